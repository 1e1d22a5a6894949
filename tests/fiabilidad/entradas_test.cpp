// Bad input and bad environments: awkward values in the group key (null rates too), large and
// long amounts, typed dates, database files that cannot be used, a full disk, a missing log
// folder and broken settings. Each ends with a clear Spanish message or the designed result, and
// nothing is lost.

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "app/consola/anfitrion_consola.hpp"
#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

namespace fs = std::filesystem;

TEST(ValoresRaros, ComillasPorcentajesCorchetesLetrasNoAsciiNulosEImportesGrandesSeConsolidan) {
    Carpeta c;
    const std::string base = DemoEn(c, 800);
    {
        demo::Bd bd(base);
        bd.Ejecutar(
            "UPDATE MV_ASIENTOS SET CUENTA = 'O''Brien 100% [caja]' WHERE ID % 7 = 0;"
            "UPDATE MV_ASIENTOS SET CUENTA = 'Año ñandú ' || char(255) || ' _%' WHERE ID % 7 = 1;UPDATE "
            "MV_ASIENTOS SET MONEDA = NULL, NroComprobanteBancario = NULL,   TIPO_REG = NULL, IdCajas = "
            "NULL, UNEGOCIO = NULL WHERE ID % 7 = 2;UPDATE MV_ASIENTOS SET CUENTA = 'GRANDE' || ID, IMPORTE "
            "= 1234567890.12 WHERE ID % 50 = 3;UPDATE MV_ASIENTOS SET CUENTA = 'GRANDE-PAR', IMPORTE = "
            "4999999999.99 WHERE ID IN   (SELECT ID FROM MV_ASIENTOS WHERE ID % 50 = 4 AND EsCierre = 0 AND "
            "ES_SALDO_APERTURA = 0 AND   FECHA < '2021-06-01' ORDER BY ID LIMIT 2);UPDATE MV_ASIENTOS SET "
            "IMPORTE = 0.3333333333 WHERE ID % 7 = 4 AND ID % 3 = 0;UPDATE MV_ASIENTOS SET CUENTA = '''' "
            "WHERE ID % 97 = 5;UPDATE MV_ASIENTOS SET COTIZACION = NULL WHERE ID % 9 = 2;");
    }
    const Sumas originales = Originales(base, "2021-06-30");
    const Salida s = Programa({"--hasta", "30/06/2021", "--asientos", "--base", base});
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
    EXPECT_FALSE(Contiene(s.out, "QUEDARON SIN CONSOLIDAR")) << s.out;
    Cuadra(base, originales, "2021-06-30", "valores raros");
    // Entries of the cut-off day later than the walk's time of day stay, as designed.
    EXPECT_EQ(Cuenta(base,
                     "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE <> 'Depuracion' AND EsCierre = 0 AND "
                     "ES_SALDO_APERTURA = 0 AND FECHA < '2021-06-30'"),
              0);
    for (const char* cuenta :
         {"'O''Brien 100% [caja]'", "'Año ñandú ' || char(255) || ' _%'", "''''", "'GRANDE-PAR'"})
        EXPECT_GT(
            Cuenta(base, std::string(
                             "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND CUENTA = ") +
                             cuenta),
            0)
            << cuenta;
    // The cents of the largest amounts the consolidation takes (below 1e10) survive exactly, as
    // text too.
    EXPECT_EQ(Cuenta(base,
                     "SELECT printf('%.2f', SUM(IMPORTE)) = '9999999999.98' FROM MV_ASIENTOS WHERE DETALLE = "
                     "'Depuracion' AND CUENTA = 'GRANDE-PAR'"),
              1);
    EXPECT_GT(Cuenta(base,
                     "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND CUENTA LIKE "
                     "'GRANDE%' AND printf('%.2f', IMPORTE) = '1234567890.12'"),
              0);
}

// The console in this process, on a file that does not exist: a date it takes ends in 3.
TEST(Consola, FechasEscritasDeTodasLasFormasAceptadasYRechazadas) {
    Carpeta c;
    std::ostringstream out, err;
    auto correr = [&](const char* fecha) {
        out.str("");
        err.str("");
        return consola::Correr({"--hasta", fecha, "--base", c / "no.db"}, out, err, false, {});
    };
    int probadas = 0;
    for (const char* f : {"30/06/2022", "30-06-2022", "30.06.2022", "30/6/22", "1/1/2021", "29/02/2024",
                          "30/06/2022 10:30", "30/06/2022 10:30:15", "31/12/99"}) {
        ++probadas;
        EXPECT_EQ(correr(f), 3) << f << out.str();
        EXPECT_TRUE(Contiene(err.str(), "no existe el archivo")) << f << err.str();
    }
    EXPECT_EQ(correr(""), 2);
    for (const char* f :
         {"   ", "31/02/2021", "29/02/2023", "32/01/2021", "00/01/2021", "15/13/2021", "15/00/2021", "hoy",
          "30/06", "30/06/2022x", "30/06/2022 25:00", "30//2022", "30/06/2022'; DROP TABLE MV_ASIENTOS; --",
          "30/06/20222", "3O/06/2022", "-1/06/2022", "30\xC2\xA0/06/2022", "31/04/2021"}) {
        ++probadas;
        EXPECT_EQ(correr(f), 2) << "'" << f << "'";
        EXPECT_EQ(out.str(), "Fecha incorrecta\n") << "'" << f << "'";
    }
    RecordProperty("fechas", probadas);
}

TEST(Fechas, LaMismaFechaEscritaDeOtraFormaDejaLosMismosLibros) {
    Carpeta c;
    Demo(c / "a.db", 800);
    fs::copy_file(c / "a.db", c / "b.db");
    EXPECT_EQ(Programa({"--hasta", "30/06/2021", "--asientos", "--base", c / "a.db"}).estado, 0);
    EXPECT_EQ(Programa({"--hasta", "30-6-21", "--asientos", "--base", c / "b.db"}).estado, 0);
    EXPECT_TRUE(FechaGrabada(c / "b.db", "30/06/2021"));  // as read, which a server reads alike
    EXPECT_EQ(Actuales(c / "a.db", "2021-06-30"), Actuales(c / "b.db", "2021-06-30"));
    EXPECT_EQ(Cuenta(c / "b.db",
                     "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND FECHA <> '2021-06-30 "
                     "00:00:00'"),
              0);
}

TEST(Archivos, InexistenteNoBaseVacioBloqueadoYDeSoloLecturaTerminanEnTresConMensaje) {
    Carpeta c;
    Salida s = Programa({"--hasta", "30/06/2021", "--base", c / "no.db"});
    EXPECT_EQ(s.estado, 3);
    EXPECT_TRUE(Contiene(s.err, "No se pudo abrir la base de datos") && Contiene(s.err, "no.db")) << s.err;
    EXPECT_FALSE(fs::exists(c / "no.db"));

    {
        std::ofstream f(c / "basura.db", std::ios::binary);
        for (int i = 0; i < 4096; ++i) f.put(static_cast<char>(i * 37 % 251));
    }
    s = Programa({"--hasta", "30/06/2021", "--base", c / "basura.db"});
    EXPECT_EQ(s.estado, 3) << s.out << s.err;
    EXPECT_TRUE(Contiene(s.err + s.out, "No se pudo abrir la base de datos")) << s.out << s.err;

    // Locked by another process: the busy time-out of the settings, then a clear message.
    const std::string base = DemoEn(c, 800);
    const Sumas originales = Originales(base, "2021-06-30");
    {
        std::ofstream ini(c / "cn000pr.ini");
        ini << "[Conexion]\nEsperaBloqueo=300\n";
    }
    {
        demo::Bd otro(base);  // another program holds the file locked for the whole run
        otro.Ejecutar("BEGIN EXCLUSIVE");
        s = ProgramaEn(c, {"--hasta", "30/06/2021", "--asientos", "--base", base},
                       {"DEPURACION_INI=" + (c / "cn000pr.ini")});
    }
    EXPECT_EQ(s.estado, 3) << s.out << s.err;
    EXPECT_TRUE(Contiene(s.out + s.err, "bloqueada")) << s.out << s.err;
    Cuadra(base, originales, "2021-06-30", "bloqueada");

    // Read only: a read-only mount when we may mount (permissions do not stop root), else the mode.
    const fs::path ro = c.Ruta() / "ro";
    fs::create_directories(ro);
    // A write-ahead log cannot even be read where its shared memory cannot be made: a file on
    // read-only media is in rollback-journal mode.
    demo::Bd(base).Ejecutar("PRAGMA journal_mode = DELETE");
    fs::copy_file(base, ro / "demo.db");
    const bool montado = MontarSoloLectura(ro);
    if (!montado) fs::permissions(ro / "demo.db", fs::perms::owner_read | fs::perms::group_read);
    if (montado || !PorQueNoMonta().empty()) {
        s = ProgramaEn(c, {"--hasta", "30/06/2021", "--asientos", "--base", (ro / "demo.db").string()});
        EXPECT_EQ(s.estado, 3) << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out + s.err, "solo lectura") || Contiene(s.out + s.err, "sólo lectura"))
            << s.out << s.err;
        Cuadra((ro / "demo.db").string(), originales, "2021-06-30", "solo lectura");
    }
    if (montado) Desmontar(ro);
}

TEST(Archivos, UnDiscoLlenoEnMediaFechaNoPierdeNadaYSeTerminaConEspacio) {
    if (const std::string no = PorQueNoMonta(); !no.empty()) GTEST_SKIP() << no;
    Carpeta c;
    const fs::path disco = c.Ruta() / "disco";
    const std::string base = (disco / "demo.db").string();
    Demo(c / "modelo.db", 3000);
    if (const std::string no = MontarDisco(disco, c / "modelo.db", base); !no.empty()) GTEST_SKIP() << no;
    const Sumas originales = Originales(base, "2022-06-30");
    // Leave a few pages free: the first dates fit, a later one finds the disk full.
    LlenarDisco(disco, 48 * 1024);
    const Salida s = ProgramaEn(c, {"--hasta", "30/06/2022", "--asientos", "--base", base});
    EXPECT_EQ(s.estado, 3) << s.out << s.err;
    EXPECT_TRUE(Contiene(s.out + s.err, "lleno") || Contiene(s.out + s.err, "espacio") ||
                Contiene(s.out + s.err, "full"))
        << s.out << s.err;
    Cuadra(base, originales, "2022-06-30", "disco lleno");
    fs::remove(disco / "relleno");
    const Salida bien = ProgramaEn(c, {"--hasta", "30/06/2022", "--asientos", "--base", base});
    EXPECT_EQ(bien.estado, 0) << bien.out << bien.err;
    Cuadra(base, originales, "2022-06-30", "disco lleno, y vuelta a correr");
    Desmontar(disco);
}

TEST(Ajustes, SinArchivoOConUnoMalFormadoValenLosValoresPorDefecto) {
    Carpeta c;
    const std::string base = DemoEn(c, 800);
    const Sumas originales = Originales(base, "2021-03-31");
    {
        std::ofstream ini(c / "malo.ini", std::ios::binary);
        ini << "\xFF\xFE[Conexion\nMotor\nEsperaBloqueo=-5\nTiempoEspera=muchisimo\n[Conexion]\nTraza\n=x\n";
        ini.put('\0');
    }
    std::ofstream(c / "desbordado.ini") << "[Conexion]\nEsperaBloqueo=1e400\nTiempoEspera=-1\n";
    for (const std::string& ini : {c / "no-existe.ini", c / "malo.ini", c / "desbordado.ini"}) {
        const Salida s =
            ProgramaEn(c, {"--hasta", "31/03/2021", "--asientos", "--base", base}, {"DEPURACION_INI=" + ini});
        EXPECT_EQ(s.estado, 0) << ini << "\n" << s.out << s.err;
        Cuadra(base, originales, "2021-03-31", ini);
        // A number too large for its type is said, with what was read.
        EXPECT_EQ(Contiene(s.err, "EsperaBloqueo en " + ini + " (\"1e400\")"), Contiene(ini, "desbordado"))
            << s.err;
    }
}

}  // namespace
}  // namespace dep::fiabilidad
