// Each kind of statement the consolidation sends, refused by the embedded engine's test refusal
// (DEPURACION_RECHAZAR): nothing is lost, the report promised is given and the console's exit
// status says what happened.
#include <filesystem>

#include <gtest/gtest.h>

#include "demo/demo.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

constexpr const char* kCorte = "31/03/2021";
constexpr const char* kCorteIso = "2021-03-31";

class Rechazos : public ::testing::Test {
  protected:
    void SetUp() override { Nueva(); }
    // A fresh demo database (each refusal on books that still hold all their detail).
    void Nueva() {
        std::filesystem::remove(base);
        Demo(base, 800, 5);
        originales = Originales(base, kCorteIso);
        disparadores = DisparadoresDeAsientos(base);
        ASSERT_FALSE(originales.empty());
    }
    // Runs the consolidation with `rechazo` ("patron|n|texto") and checks the books.
    Salida Correr(const std::string& rechazo, const std::vector<std::string>& mas = {}) {
        std::vector<std::string> args{"--hasta", kCorte,    "--asientos", "--base",
                                      base,      "--traza", c / "traza"};
        args.insert(args.end(), mas.begin(), mas.end());
        Salida s = ProgramaEn(c, args, {"DEPURACION_RECHAZAR=" + rechazo});
        ++rechazados;
        Revisar(rechazo);
        return s;
    }
    void Revisar(const std::string& cuando) {
        RevisarLibros(base, originales, kCorteIso, disparadores, cuando);
    }
    std::string Log() { return Leer(c.Ruta() / "KSERR.LOG"); }
    long long Pendientes() {
        return Cuenta(base, std::string("SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE <> 'Depuracion' AND "
                                        "EsCierre = 0 AND ES_SALDO_APERTURA = 0 AND FECHA < date('") +
                                kCorteIso + "', '+1 day')");
    }
    Carpeta c;
    std::string base = c / "demo.db";
    Sumas originales;
    int disparadores = 0;
    int rechazados = 0;
};

TEST_F(Rechazos, UnaFusionOUnBorradoRechazadosUnaVezSeRecuperanEnLaFechaSiguienteYSeInforman) {
    for (const char* patron : {"IF NOT EXISTS(SELECT * FROM MV_ASIENTOS", "DELETE MV_ASIENTOS WHERE"}) {
        Nueva();
        const Salida s = Correr(std::string(patron) + "|4|Rechazo de prueba " + patron);
        EXPECT_EQ(s.estado, 0) << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out, "UNA FECHA POSTERIOR LOS CONSOLIDO")) << s.out;
        EXPECT_TRUE(Contiene(s.out, "\n  Depuración terminada")) << s.out;
        EXPECT_TRUE(Contiene(s.out, std::string("PRIMER ERROR: Rechazo de prueba ") + patron)) << s.out;
        EXPECT_TRUE(Contiene(Log(), std::string("PRIMER ERROR: Rechazo de prueba ") + patron)) << Log();
        std::filesystem::remove(c.Ruta() / "KSERR.LOG");
    }
}

TEST_F(Rechazos, UnPasoRechazadoYHechoAlReintentarloTerminaEnCeroComoDiceElTitular) {
    // The error dialog ran, but the retry did the work: the first line and the exit status agree.
    const Salida s =
        ProgramaEn(c, {"--hasta", kCorte, "--stock", "--base", base, "--ante-error", "reintentar"},
                   {"DEPURACION_RECHAZAR=KS_DEPURA_STOCK|1|database is locked"});
    EXPECT_TRUE(Contiene(s.out, "-> Reintentar")) << s.out;
    EXPECT_TRUE(Contiene(s.out, "\n  Depuración terminada")) << s.out;
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
}

TEST_F(Rechazos, UnaFusionSiempreRechazadaDejaTodoSinConsolidarLoDiceYTerminaEnTres) {
    const std::string rechazo = "IF NOT EXISTS(SELECT * FROM MV_ASIENTOS|0|Cuenta bloqueada";
    // Also with no folder for the error log: the report is shown all the same.
    for (const bool sinCarpeta : {false, true}) {
        if (sinCarpeta) Nueva();
        const long long antes = Pendientes();
        const Salida s =
            sinCarpeta
                ? Programa({"--hasta", kCorte, "--asientos", "--base", base},
                           {"DEPURACION_RECHAZAR=" + rechazo, "TEMP=" + (c / "no/existe"), "TMP=", "TMPDIR="})
                : Correr(rechazo);
        Revisar(sinCarpeta ? "sin carpeta" : "con carpeta");
        EXPECT_EQ(s.estado, 3) << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out, "QUEDARON SIN CONSOLIDAR")) << s.out;
        EXPECT_TRUE(Contiene(s.out, "Depuración con errores: Asientos (la base de datos rechazó pasos)"))
            << s.out;
        EXPECT_TRUE(Contiene(s.out, "PRIMER ERROR: Cuenta bloqueada")) << s.out;
        EXPECT_EQ(Pendientes(), antes);
    }
    EXPECT_TRUE(Contiene(Log(), "QUEDARON SIN CONSOLIDAR")) << Log();
}

TEST_F(Rechazos, ConsultasYDisparadoresRechazadosEntranEnLaTrampaYTerminanEnTres) {
    for (const char* rechazo :
         {"GROUP BY|3|", "GROUP BY|0|", "DISABLE TRIGGER ALL|1|", "DISABLE TRIGGER ALL|6|",
          "ENABLE TRIGGER ALL|1|", "ENABLE TRIGGER ALL|9|", "UPDATE MV_ASIENTOS SET FECHA|1|",
          "SELECT MAX(NUMERO) AS NUMERO FROM MV_ASIENTOS|1|",
          "SELECT MAX(NUMERO) AS NUMERO FROM MV_ASIENTOS|2|", "SELECT MAX([NUMERO ASIENTO])|1|",
          "SELECT MAX([NUMERO ASIENTO])|2|", "FROM V_TA_CPTE|1|", "MIN(FECHA)|1|"}) {
        Nueva();
        const Salida s = Correr(rechazo);
        EXPECT_EQ(s.estado, 3) << rechazo << "\n" << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out, "ERROR (") || Contiene(s.out, "ATENCION")) << rechazo << "\n" << s.out;
        // A second run without refusals finishes the work.
        const Salida bien = ProgramaEn(c, {"--hasta", kCorte, "--asientos", "--base", base});
        EXPECT_EQ(bien.estado, 0) << rechazo << "\n" << bien.out << bien.err;
        Revisar(std::string(rechazo) + ", y vuelta a correr");
        EXPECT_EQ(Pendientes(), 0) << rechazo;
    }
}

TEST_F(Rechazos, DisparadoresQueNoVuelvenAActivarseSeDicenYTerminanEnTres) {
    const Salida s = Programa(
        {"--hasta", kCorte, "--asientos", "--base", base, "--ante-error", "ignorar", "--formato", "json"},
        {"DEPURACION_RECHAZAR=ENABLE TRIGGER ALL|0|", "TEMP=" + c.Ruta().string()});
    EXPECT_EQ(s.estado, 3) << s.out << s.err;
    EXPECT_GT(DisparadoresGuardados(base), 0) << "the refusal really left them off";
    EXPECT_TRUE(Contiene(s.out, "QUEDARON DESACTIVADOS")) << s.out;
    EXPECT_TRUE(Contiene(s.out, "\"pendientes\":[\"los disparadores de MV_ASIENTOS quedaron desactivados\"]"))
        << s.out;
    const Salida bien = ProgramaEn(c, {"--hasta", kCorte, "--asientos", "--base", base});
    EXPECT_EQ(bien.estado, 0) << bien.out << bien.err;
    Revisar("disparadores, y vuelta a correr");
}

TEST_F(Rechazos, LaEscrituraDeLaConfiguracionRechazadaNoPierdeNada) {
    const Salida s = ProgramaEn(c, {"--hasta", kCorte, "--base", base},
                                {"DEPURACION_RECHAZAR=INTO TA_CONFIGURACION|0|;;UPDATE TA_CONFIGURACION|0|"});
    Revisar("configuracion");
    EXPECT_NE(s.estado, 2) << s.out << s.err;
    EXPECT_EQ(Pendientes(), 0);
    EXPECT_EQ(Cuenta(base,
                     "SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION' AND VALOR "
                     "= '31/03/2021'"),
              0);
}

}  // namespace
}  // namespace dep::fiabilidad
