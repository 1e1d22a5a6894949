// The books stay whole whatever else happens to the database: a second run while one is in
// progress (by its path or through a link), a finished voucher met by a run with an earlier
// cut-off, date columns made by other tools or holding values that are no dates, inputs that must
// be refused before anything is written, and the test aids that the shipped console must ignore.

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>

#include <gtest/gtest.h>

#include "demo/bd_sqlite.hpp"
#include "purge/vista_previa.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

namespace fs = std::filesystem;

// Everything a run could change, to tell that a refused one changed nothing.
std::string Huella(const std::string& base) {
    std::string h;
    for (const char* sql :
         {"SELECT COUNT(*) FROM MV_ASIENTOS", "SELECT CAST(SUM(IMPORTE) * 100 AS INTEGER) FROM MV_ASIENTOS",
          "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion'",
          "SELECT COUNT(*) FROM TA_CONFIGURACION", "SELECT COUNT(*) FROM MV_APLICACION",
          "SELECT COUNT(*) FROM AUX_TMP", "SELECT COUNT(*) FROM V_MV_STOCK",
          "SELECT COUNT(*) FROM MV_TRANSMISIONESLOG", "SELECT COUNT(*) FROM V_MV_PRECIOSHIS"})
        h += std::to_string(Cuenta(base, sql)) + ";";
    return h;
}

TEST(UnaCorridaALaVez, MientrasUnaEsperaEntreFechasLasDemasNoEscribenYLaPrimeraTermina) {
    Carpeta c;
    fs::create_directories(c.Ruta() / "real");
    const std::string base = c / "real/demo.db";
    Demo(base, 2000);
    const Sumas originales = Originales(base, "2021-10-31");
    // The same file reached through a link to it or to its folder shares its one lock.
    std::vector<std::string> rutas = {base};
    try {
        fs::create_symlink(base, c.Ruta() / "enlace.db");
        fs::create_directory_symlink(c.Ruta() / "real", c.Ruta() / "carpeta");
        rutas.insert(rutas.end(), {c / "enlace.db", c / "carpeta/demo.db"});
    } catch (const fs::filesystem_error& e) {
        std::cout << "[ OMITIDO  ] enlaces simbólicos: " << e.what() << "\n";
    }
    // Held between two dates of its walk: its summary voucher stands on the day after the cut-off.
    Retenida primera(c, {"--hasta", "31/10/2021", "--asientos", "--base", base},
                     {"DEPURACION_PAUSA_CEDIDA=20"});
    ASSERT_TRUE(primera.EnPausa());
    const std::string antes = Huella(base);
    ASSERT_GT(Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion'"), 0);
    const std::string clave = ClaveResumenCC(base);
    ASSERT_FALSE(clave.empty());

    for (const std::string& ruta : rutas) {
        const std::vector<std::vector<std::string>> segundas = {
            {"--hasta", "31/10/2021", "--asientos", "--base", ruta},
            {"--hasta", "30/06/2021", "--base", ruta},
            {"--aplicaciones", clave, "--cc", "--hasta", "31/10/2021", "--base", ruta},
        };
        for (const auto& args : segundas) {
            const Salida s = ProgramaEn(c, args);
            EXPECT_EQ(s.estado, 3) << ruta << " " << args[0] << " " << args[1] << "\n" << s.out << s.err;
            EXPECT_TRUE(Contiene(s.out, "DEPURACIÓN EN CURSO") && Contiene(s.out, "proceso")) << s.out;
            EXPECT_EQ(Huella(base), antes) << ruta << " " << args[0] << " " << args[1];
        }
        const Salida previa = ProgramaEn(c, {"--hasta", "31/10/2021", "--base", ruta, "--vista-previa"});
        EXPECT_EQ(previa.estado, 0) << previa.err;
        EXPECT_TRUE(Contiene(previa.out, "hay una depuración en curso")) << ruta << "\n" << previa.out;
    }
    EXPECT_FALSE(fs::exists(c.Ruta() / "enlace.db-corrida")) << "one lock, beside the real file";

    primera.Soltar();
    EXPECT_EQ(primera.Esperar(), 0);
    Cuadra(base, originales, "2021-10-31", "tras la corrida retenida");
    EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE LIKE 'DEPURACION_EN_CURSO%'"),
              0);
    EXPECT_EQ(
        Cuenta(base,
               "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND FECHA >= '2021-11-01'"),
        0);
}

TEST(CtrlC, EnCadaPasoLaCorridaTerminaCanceladaSinGrabarLaFechaYElInformeDiceLoQueSeHizo) {
    const struct {
        const char* que;
        std::vector<std::string> pausa;  // where the run is held when Ctrl-C comes
        std::vector<std::string> extra;
        std::vector<std::string> canceladas;  // the purges the journal records as cancelled
        bool copiaHecha = false;              // the backup was made before the Ctrl-C: it stays
        int senal = 0;                        // POSIX: sent instead of Ctrl-C
    } casos[] = {
        // The stock procedure does not yield: the consolidation still walks one date per pass.
        {"durante el stock", {"DEPURACION_PAUSA_SENTENCIA=KS_DEPURA_STOCK"}, {}, {"asientos", "temporales"}},
        {"antes de la copia",
         {"DEPURACION_PAUSA_CEDIDA=1"},
         {"--copia", "copias"},
         {"copia", "stock", "asientos", "temporales"}},
        // The copy made and a Ctrl-C before the run hears of it: still no purge runs.
        {"al terminar la copia",
         {"DEPURACION_PAUSA_SENTENCIA=copia de seguridad hecha"},
         {"--copia", "copias"},
         {"stock", "asientos", "temporales"},
         true},
#ifndef _WIN32
        // A service stopped, a terminal closed: taken as Ctrl-C, so the run says what it did.
        {"SIGTERM durante el stock",
         {"DEPURACION_PAUSA_SENTENCIA=KS_DEPURA_STOCK"},
         {},
         {"asientos", "temporales"},
         false,
         SIGTERM},
        {"SIGHUP durante el stock",
         {"DEPURACION_PAUSA_SENTENCIA=KS_DEPURA_STOCK"},
         {},
         {"asientos", "temporales"},
         false,
         SIGHUP},
#endif
    };
    for (const auto& k : casos) {
        SCOPED_TRACE(k.que);
        Carpeta c;
        const std::string base = DemoEn(c, 600);
        const long long aux = Cuenta(base, "SELECT COUNT(*) FROM AUX_TMP");
        ASSERT_GT(aux, 0);
        std::vector<std::string> args = {"--hasta", "30/06/2021", "--base", base, "--formato", "json"};
        for (const auto& a : k.extra) args.push_back(a == "copias" ? c / "copias" : a);
        const std::string antes = Huella(base);
        Retenida corrida(c, args, k.pausa);
        ASSERT_TRUE(corrida.EnPausa());
#ifndef _WIN32
        if (k.senal != 0) corrida.Senal(k.senal);
#endif
        if (k.senal == 0) corrida.Interrumpir();
        corrida.Soltar();
        EXPECT_EQ(corrida.Esperar(), 1);
        EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM AUX_TMP"), aux) << "the temporaries purge did not run";
        EXPECT_FALSE(FechaGrabada(base, "30/06/2021"));
        const std::string diario = Leer(c / "DEPURACION.DIARIO.jsonl");
        const std::string corridaJson = diario.substr(diario.rfind("{\"registro\":\"corrida\""));
        EXPECT_TRUE(Contiene(corridaJson, "\"cancelado\":true")) << corridaJson;
        for (const char* purga : {"copia", "stock", "asientos", "temporales"}) {
            const std::regex cancelada("\"purga\":\"" + std::string(purga) +
                                       "\"[^\n]*\"resultado\":\"cancelada\"");
            const bool esperada =
                std::find(k.canceladas.begin(), k.canceladas.end(), purga) != k.canceladas.end();
            EXPECT_EQ(std::regex_search(diario, cancelada), esperada) << purga << "\n" << diario;
        }
        if (!k.extra.empty()) {
            EXPECT_EQ(Huella(base), antes) << "nothing ran after a Ctrl-C before the copy";
            EXPECT_EQ(fs::exists(c / "copias") && !fs::is_empty(c / "copias"), k.copiaHecha);
        }
    }
}

#ifndef _WIN32
// A reader of the output that leaves at once (`| head`, `| true`): the run still ends with the
// status of what it did, not killed by the broken pipe.
TEST(Salida, UnLectorQueSeVaNoCambiaElEstadoDeUnaCorridaTerminada) {
    Carpeta c;
    const std::string base = DemoEn(c, 300);
    const std::string orden = "('" + std::string(DEP_CONSOLA_REAL) + "' --hasta 30/06/2021 --base '" + base +
                              "' 2>/dev/null; echo $? > '" + (c / "estado") + "') | true";
    ASSERT_EQ(std::system(orden.c_str()), 0);
    EXPECT_EQ(Leer(c / "estado"), "0\n");
    EXPECT_TRUE(FechaGrabada(base, "30/06/2021"));
}
#endif

TEST(Recuperacion, UnComprobanteTerminadoNoSeMueveEnUnaCorridaConCorteAnterior) {
    Carpeta c;
    const std::string base = DemoEn(c, 1200);
    const Sumas originales = Originales(base, "2021-03-15");
    ASSERT_EQ(ProgramaEn(c, {"--hasta", "15/03/2021", "--asientos", "--base", base}).estado, 0);
    const std::string antes = Huella(base);
    const Salida s =
        ProgramaEn(c, {"--hasta", "14/03/2021", "--asientos", "--base", base, "--formato", "json"});
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
    EXPECT_EQ(Huella(base), antes);
    EXPECT_TRUE(Contiene(s.out, "No hay datos")) << s.out;
    EXPECT_EQ(Cuenta(base,
                     "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND FECHA <> '2021-03-15 "
                     "00:00:00'"),
              0);
    Cuadra(base, originales, "2021-03-15", "corte anterior");
}

TEST(FechasDeOtrasHerramientas, ValoresQueNoSonFechasDetienenSoloLoQueBorraPorFecha) {
    Carpeta c;
    for (const std::string tipo : {"DATETIME", "TEXT"}) {
        const std::string base = c / ("r" + tipo + ".db");
        Demo(base, 800);
        if (tipo != "DATETIME") Redeclarar(base, "FECHA DATETIME NOT NULL", "FECHA " + tipo + " NOT NULL");
        {
            demo::Bd bd(base);
            bd.Ejecutar(
                "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], "
                "IMPORTE, PERIODO, FECHA, MES_OPERATIVO, DETALLE) VALUES ('1.1.01', 'FC', '0001', "
                "'00000901', 'A', 1, 'D', 5, 2021, '15/12/2023', 12, 'raro'), ('1.1.01', 'FC', '0001', "
                "'00000902', 'A', 1, 'D', 6, 2021, 45000, 12, 'raro'), ('1.1.01', 'FC', '0001', '00000903', "
                "'A', 1, 'D', 7, 2021, '', 12, 'raro');INSERT INTO MV_TRANSMISIONESLOG (FECHA, TERMINAL) "
                "VALUES ('01-01-2020', 'T1');");
        }
        const long long asientos = Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS");
        const long long log = Cuenta(base, "SELECT COUNT(*) FROM MV_TRANSMISIONESLOG");
        ASSERT_GT(Cuenta(base, "SELECT COUNT(*) FROM V_MV_PRECIOSHIS WHERE FECHA <= '2021-06-30'"), 0);
        const Salida s = ProgramaEn(c, {"--hasta", "30/06/2021", "--base", base, "--formato", "json"});
        EXPECT_EQ(s.estado, 3) << tipo << "\n" << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out, "LA COLUMNA FECHA DE MV_ASIENTOS TIENE 3 VALOR(ES) QUE NO SON FECHAS"))
            << s.out;
        EXPECT_TRUE(Contiene(s.out, "'15/12/2023'") && Contiene(s.out, "45000")) << s.out;
        EXPECT_TRUE(Contiene(s.out, "MV_TRANSMISIONESLOG TIENE 1 VALOR(ES)")) << s.out;
        EXPECT_TRUE(Contiene(s.out, "\"purga\":\"asientos\",\"marcada\":true,\"resultado\":\"no ejecutada\""))
            << s.out;
        EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS"), asientos) << tipo;
        EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM MV_TRANSMISIONESLOG"), log) << tipo;
        // What does not delete by that column still ran, and the date is stored as for any run
        // that was not cancelled.
        EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM V_MV_PRECIOSHIS WHERE FECHA <= '2021-06-30'"), 0)
            << tipo;
        EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM AUX_TMP"), 0) << tipo;
        EXPECT_TRUE(FechaGrabada(base, "30/06/2021")) << tipo;
    }
}

// The rows of the work and history tables, which the temporaries purge deletes.
long long FilasTemporales(const std::string& base) {
    std::vector<std::string> tablas = TablasTemporales();
    tablas.insert(tablas.end(), {"MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS"});
    long long n = 0;
    for (const auto& t : tablas) n += Cuenta(base, "SELECT COUNT(*) FROM " + t);
    return n;
}

TEST(DiscoLleno, UnProcedimientoQueFallaNoSeLlevaConsigoLoQueElInformeDaPorHecho) {
    if (const std::string no = PorQueNoMonta(); !no.empty()) GTEST_SKIP() << no;
    Carpeta c;
    const fs::path disco = c.Ruta() / "disco";
    const std::string base = (disco / "demo.db").string();
    Demo(c / "modelo.db", 3000);
    if (const std::string no = MontarDisco(disco, c / "modelo.db", base); !no.empty()) GTEST_SKIP() << no;
    LlenarDisco(disco, 96 * 1024);
    const long long antes = FilasTemporales(base);
    const Salida s = ProgramaEn(
        c, {"--hasta", "30/06/2022", "--stock", "--temporales", "--base", base, "--formato", "json"});
    fs::remove(disco / "relleno");  // room for reading back what the run left
    EXPECT_EQ(s.estado, 3) << s.out << s.err;
    EXPECT_EQ(Integridad(base), "ok");
    // Whatever the report counts as deleted is gone for good, and the date it says it stored is there.
    ASSERT_NE(s.out.rfind("{\"informe\""), std::string::npos) << s.out << s.err;
    const std::string informe = s.out.substr(s.out.rfind("{\"informe\""));
    const auto p = informe.find("\"purga\":\"temporales\"");
    ASSERT_NE(p, std::string::npos) << informe;
    const auto f = informe.find("\"filas\":", p);
    const long long dichas = std::stoll(informe.substr(f + 8));
    EXPECT_EQ(antes - FilasTemporales(base), dichas) << informe;
    const bool grabada = Contiene(informe, "\"fecha_grabada\":true");
    EXPECT_EQ(FechaGrabada(base, "30/06/2022"), grabada) << informe;
    const Salida bien = ProgramaEn(c, {"--hasta", "30/06/2022", "--stock", "--temporales", "--base", base});
    EXPECT_EQ(bien.estado, 0) << bien.out << bien.err;
    Desmontar(disco);
}

TEST(Entradas, FechasComprobantesYArchivosInvalidosSeRechazanSinEscribirNada) {
    Carpeta c;
    const std::string base = DemoEn(c, 600);
    ASSERT_EQ(ProgramaEn(c, {"--hasta", "31/03/2021", "--asientos", "--base", base}).estado, 0);
    const std::string cc = ClaveResumenCC(base);
    ASSERT_FALSE(cc.empty());
    const std::string antes = Huella(base);
    const std::vector<std::vector<std::string>> casos = {
        {"--hasta", "31/12/9999"},
        {"--hasta", "31/12/1752"},
        {"--hasta", "31/12/9999", "--vista-previa"},
        {"--hasta", "30/06/2202"},  // a mistyped year: after today
        {"--hasta", "30/06/2202", "--vista-previa"},
        {"--hasta", "31/12/2021", "--aplicaciones", "00010000001X", "--cc"},
        {"--hasta", "31/12/2021", "--aplicaciones", "000100000001x", "--cc"},
        {"--hasta", "31/12/2021", "--aplicaciones", "0001000000\xC3\xB1X", "--cc"},
        {"--hasta", "31/12/2021", "--aplicaciones", "00O100000001X", "--cc"},
        {"--hasta", "31/12/2021", "--aplicaciones", "000199999999X", "--cc"},
        {"--hasta", "31/12/2021", "--aplicaciones", cc, "--fp"},
        {"--hasta", "31/12/2021", "--diario", base},
        {"--hasta", "31/12/2021", "--traza", base + "-wal"},
        {"--hasta", "31/12/2021", "--diario", base + "-corrida"},
        {"--hasta", "31/12/2021", "--traza", (c.Ruta() / "." / "demo.db").string()},
    };
    for (auto args : casos) {
        std::string que;
        for (const auto& a : args) que += a + " ";
        args.insert(args.end(), {"--base", base});
        const Salida s = ProgramaEn(c, args);
        EXPECT_EQ(s.estado, 2) << que << "\n" << s.out << s.err;
        if (args[1] == "30/06/2202") {
            EXPECT_TRUE(Contiene(s.out, "La fecha de corte no puede ser posterior a hoy (")) << s.out;
        }
        EXPECT_EQ(Huella(base), antes) << que;
        EXPECT_EQ(Integridad(base), "ok") << que;
    }
}

TEST(Informe, CadaPurgaQueNoSeHizoLoDiceConSuMotivoYElEstadoDeSalida) {
    Carpeta c;
    const struct {
        const char* preparar;  // on the demo file before the run
        std::vector<std::string> args;
        const char* esperado;  // in the JSON report
        int estado;
    } casos[] = {
        {"DELETE FROM DEP_PROCEDIMIENTOS",
         {"--stock", "--hasta", "30/06/2021"},
         "\"purga\":\"stock\",\"marcada\":true,\"resultado\":\"no ejecutada\"",
         3},
        {"DELETE FROM V_TA_CPTE WHERE Codigo = 'FP'",
         {"--asientos", "--hasta", "30/06/2021"},
         "\"resultado\":\"no ejecutada\",\"filas\":",
         3},
        {"", {"--asientos", "--hasta", "01/01/2020"}, "\"resultado\":\"omitida\"", 0},
    };
    int n = 0;
    for (const auto& k : casos) {
        const std::string base = c / ("i" + std::to_string(++n) + ".db");
        Demo(base, 600);
        if (*k.preparar) demo::Bd(base).Ejecutar(k.preparar);
        std::vector<std::string> args = k.args;
        args.insert(args.end(), {"--base", base, "--formato", "json", "--ante-error", "abortar"});
        const Salida s = ProgramaEn(c, args);
        EXPECT_EQ(s.estado, k.estado) << k.preparar << "\n" << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out, k.esperado)) << k.preparar << "\n" << s.out;
        EXPECT_TRUE(*k.preparar == '\0' || Contiene(s.out, "\"motivo\":\"")) << s.out;
    }
}

// The proof of each pass in the JSON report.
std::string Verificacion(const std::string& out, const std::string& tipo) {
    const auto p = out.find("{\"tipo\":\"" + tipo + "\",\"verificacion\":");
    return p == std::string::npos ? std::string() : out.substr(p, out.find("}}", p) - p + 2);
}

TEST(Verificacion, UnaCorridaLimpiaCuadraYLibrosDaniadosOAsientosAjenosSeDicenYTerminanEnTres) {
    Carpeta c;
    const struct {
        const char* preparar;  // on the demo file before the run
        const char* accion;    // sent at a yield of the run's date walk
        int estado;
        const char *cc, *fp;  // in the proof of each pass
    } casos[] = {
        // Quotes, nulls, trailing blanks and letter case within one key, both families, and an
        // earliest entry with a time of day.
        {"UPDATE MV_ASIENTOS SET CUENTA = 'O''Brien [caja]' WHERE ID % 11 = 0;"
         "UPDATE MV_ASIENTOS SET CUENTA = 'Caja Chica' WHERE ID % 11 = 1;"
         "UPDATE MV_ASIENTOS SET CUENTA = 'CAJA CHICA  ' WHERE ID % 11 = 2;"
         "UPDATE MV_ASIENTOS SET CUENTA = 'caja chica' WHERE ID % 11 = 3;"
         "UPDATE MV_ASIENTOS SET MONEDA = NULL, NroComprobanteBancario = NULL, IdCajas = NULL, COTIZACION = "
         "NULL   WHERE ID % 11 = 4;UPDATE MV_ASIENTOS SET NroComprobanteBancario = '' WHERE ID % 11 = "
         "5;UPDATE MV_ASIENTOS SET FECHA = datetime(FECHA, '+10 hours', '+30 minutes') WHERE ID =   (SELECT "
         "ID FROM MV_ASIENTOS ORDER BY FECHA LIMIT 1);",
         "", 0, "\"diferencia\":0.0,\"estado\":\"ok\",\"filas_nuevas\":0",
         "\"diferencia\":0.0,\"estado\":\"ok\",\"filas_nuevas\":0"},
        {"",
         "UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 1.25 WHERE ID = (SELECT MIN(ID) FROM MV_ASIENTOS WHERE "
         "DETALLE = 'Depuracion' AND TC = 'CC')",
         3, "\"diferencia\":1.25,\"estado\":\"diferencias\",\"filas_nuevas\":0", ""},
        {"",
         "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], IMPORTE, "
         "PERIODO, FECHA, MES_OPERATIVO, DETALLE) VALUES ('9.9.99', 'FC', '0009', '00000001', 'A', 1, 'D', "
         "7, 2021, '10/01/2021', 1, 'otro programa')",
         3, "\"estado\":\"diferencias\",\"filas_nuevas\":1", ""},
    };
    int n = 0;
    for (const auto& k : casos) {
        const std::string base = c / ("v" + std::to_string(++n) + ".db");
        Demo(base, 1500);
        if (*k.preparar) demo::Bd(base).Ejecutar(k.preparar);
        std::vector<std::string> entorno;
        if (*k.accion)
            entorno = {"DEPURACION_ACCION_SQL=" + std::string(k.accion), "DEPURACION_ACCION_CEDIDA=30"};
        const Salida s = ProgramaEn(
            c, {"--hasta", "31/08/2021", "--asientos", "--base", base, "--formato", "json"}, entorno);
        EXPECT_EQ(s.estado, k.estado) << s.out << s.err;
        EXPECT_TRUE(Contiene(Verificacion(s.out, "CC"), k.cc)) << Verificacion(s.out, "CC");
        EXPECT_TRUE(Contiene(Verificacion(s.out, "FP"), k.fp)) << Verificacion(s.out, "FP");
        EXPECT_EQ(Contiene(s.out, "NO CUADRAN"), k.estado == 3) << s.out;
    }
}

TEST(Copia, LaCopiaSeAbreCuadraYTieneLoQueHabiaAntesDeLaCorrida) {
    Carpeta c;
    const std::string base = DemoEn(c, 800);
    const std::string antes = Huella(base);
    const Salida s = ProgramaEn(
        c, {"--hasta", "30/06/2021", "--base", base, "--copia", c / "copias", "--formato", "json"});
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
    std::vector<fs::path> copias;
    for (const auto& e : fs::directory_iterator(c.Ruta() / "copias")) copias.push_back(e.path());
    ASSERT_EQ(copias.size(), 1u);
    EXPECT_EQ(Integridad(copias[0].string()), "ok");
    EXPECT_EQ(Huella(copias[0].string()), antes);
    EXPECT_NE(Huella(base), antes);
    std::string enJson;  // the path as a JSON text: a backslash of Windows doubled
    for (const char ch : copias[0].string()) enJson += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    EXPECT_TRUE(Contiene(s.out, "\"copia\":{\"archivo\":\"" + enJson +
                                    "\",\"bytes\":" + std::to_string(fs::file_size(copias[0]))))
        << s.out;
    // The journal's total counts rows, not the copy's bytes.
    const std::string diario = Leer(c / "DEPURACION.DIARIO.jsonl");
    const auto total = diario.find("\"filas\":", diario.find("\"unidades\":", diario.rfind("\"corrida\"")));
    ASSERT_NE(total, std::string::npos) << diario;
    EXPECT_LT(std::stoll(diario.substr(total + 8)), 20000) << diario;
}

TEST(Copia, UnaCopiaQueNoSePuedeHacerDetieneLaCorridaSinTocarNada) {
    Carpeta c;
    const std::string base = DemoEn(c, 600);
    std::ofstream(c / "archivo") << "no es una carpeta\n";
    const std::string antes = Huella(base);
    // Beneath a regular file no folder can be made, not even by root.
    const Salida s =
        ProgramaEn(c, {"--hasta", "30/06/2021", "--base", base, "--copia", c / "archivo/copias"});
    EXPECT_EQ(s.estado, 3) << s.out << s.err;
    EXPECT_TRUE(Contiene(s.out, "No se pudo hacer la copia de seguridad") &&
                Contiene(s.out, "NO SE DEPURÓ NADA"))
        << s.out;
    EXPECT_EQ(Huella(base), antes);
    EXPECT_FALSE(FechaGrabada(base, "30/06/2021"));
}

// Every row of the purged tables with its identity and amount, to compare two files.
std::string Filas(const std::string& base) {
    std::string r;
    for (const auto& f : demo::Bd(base).Filas(
             "SELECT 'A', ID, IMPORTE, FECHA FROM MV_ASIENTOS UNION ALL SELECT 'P', ID, IMPORTE, NULL FROM "
             "MV_APLICACION UNION ALL SELECT 'S', ID, NULL, FECHA FROM V_MV_STOCK ORDER BY 1, 2"))
        r += f[0] + f[1] + "|" + f[2] + "|" + f[3] + "\n";
    return r;
}

// A demo file at `base` and its twin `testigo`, purged up to 30/06/2022 without compaction.
void DemoYTestigo(const Carpeta& c, const std::string& base, const std::string& testigo) {
    Demo(base, 3000);
    fs::copy_file(base, testigo);
    ASSERT_EQ(ProgramaEn(c, {"--hasta", "30/06/2022", "--base", testigo, "--sin-compactar"}).estado, 0);
}

TEST(Compactacion, DevuelveElEspacioYConservaCadaFilaConSuIdentidad) {
    Carpeta c;
    const std::string base = c / "demo.db", testigo = c / "testigo.db";
    DemoYTestigo(c, base, testigo);
    const Salida s = ProgramaEn(c, {"--hasta", "30/06/2022", "--base", base, "--formato", "json"});
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
    EXPECT_TRUE(Contiene(s.out, "\"compactacion\":{\"estado\":\"ok\"")) << s.out;
    EXPECT_EQ(Integridad(base), "ok");
    EXPECT_EQ(Cuenta(base, "PRAGMA freelist_count"), 0);
    EXPECT_GT(Cuenta(testigo, "PRAGMA freelist_count"), 0);
    EXPECT_LT(fs::file_size(base), fs::file_size(testigo));
    EXPECT_TRUE(Filas(base) == Filas(testigo)) << "rows, identities or amounts changed";
}

TEST(Compactacion, SinEspacioNoSeHaceLoDiceYNoPierdeNada) {
    if (const std::string no = PorQueNoMonta(); !no.empty()) GTEST_SKIP() << no;
    Carpeta c;
    // The copy a compaction builds goes to the temporary folder: a tiny disk there.
    const fs::path temporal = c.Ruta() / "temporal";
    fs::create_directories(temporal);
    if (const std::string no = MontarTmpfs(temporal, "256k"); !no.empty()) GTEST_SKIP() << no;
    const std::string base = c / "demo.db", testigo = c / "testigo.db";
    DemoYTestigo(c, base, testigo);
    const Salida s = ProgramaEn(c, {"--hasta", "30/06/2022", "--base", base, "--formato", "json"},
                                {"SQLITE_TMPDIR=" + temporal.string()});
    // Housekeeping that declines is reported, and the purges that finished keep the run a success.
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
    EXPECT_TRUE(Contiene(s.out, "\"compactacion\":{\"estado\":\"omitida\"") &&
                Contiene(s.out, "\"motivo\":\"no hay espacio en la carpeta temporal"))
        << s.out;
    EXPECT_TRUE(Contiene(s.out, "\"resultado\":\"ok\"")) << "the purges themselves were done";
    EXPECT_EQ(Integridad(base), "ok");
    EXPECT_TRUE(Filas(base) == Filas(testigo));
    Desmontar(temporal);
}

TEST(Pruebas, LaConsolaInstaladaNoObedeceALasVariablesDeLasPruebas) {
    Carpeta c;
    const std::string base = DemoEn(c, 600);
    const Sumas originales = Originales(base, "2021-03-31");
    std::ofstream(c / "pausa") << "\n";
    const int estado =
        prueba::Ejecutar({DEP_CONSOLA_REAL,
                          {"--hasta", "31/03/2021", "--asientos", "--base", base},
                          {"DEPURACION_RECHAZAR=1|0|rechazada", "DEPURACION_PAUSA=" + (c / "pausa")},
                          {},
                          c / "err"});
    EXPECT_EQ(estado, 0);
    EXPECT_TRUE(Contiene(Leer(c / "err"), "Finalizado Asientos")) << Leer(c / "err");
    EXPECT_EQ(prueba::Ejecutar({DEP_CONSOLA_REAL, {"--hasta", "x"}, {}, {}, {}}), 2);
    Cuadra(base, originales, "2021-03-31", "consola instalada");
    EXPECT_EQ(Cuenta(base,
                     "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE <> 'Depuracion' AND EsCierre = 0 AND "
                     "ES_SALDO_APERTURA = 0 AND FECHA < '2021-04-01'"),
              0);
}

}  // namespace
}  // namespace dep::fiabilidad
