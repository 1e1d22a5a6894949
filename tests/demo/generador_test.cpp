// The demo generator: deterministic for a seed, and every situation the purges must meet is in
// the data (balanced vouchers of both families, closings and openings, null bank numbers, times
// of day, register types, talonarios full and with room, applications of every kind).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "ayuda_bd.hpp"
#include "demo/demo.hpp"
#include "runtime/falla.hpp"

namespace dep {
namespace {

using CarpetaTemporal = prueba::Carpeta;
using prueba::Lector;

class Demo : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new CarpetaTemporal;
        OpcionesDemo o;
        o.asientos = 6000;
        o.semilla = 7;
        GenerarDemo(*dir_ / "demo.db", o);
        bd_ = new Lector(*dir_ / "demo.db");
    }
    static void TearDownTestSuite() {
        delete bd_;
        delete dir_;
    }
    static const Lector& Bd() { return *bd_; }
    static long long N(const std::string& sql) { return bd_->Numero(sql); }

    static CarpetaTemporal* dir_;
    static Lector* bd_;
};
CarpetaTemporal* Demo::dir_ = nullptr;
Lector* Demo::bd_ = nullptr;

TEST_F(Demo, CantidadExactaDeAsientosEnTresEjercicios) {
    EXPECT_EQ(N("SELECT count(*) FROM MV_ASIENTOS"), 6000);
    EXPECT_EQ(Bd().Valor("SELECT min(FECHA) FROM MV_ASIENTOS"), "2021-01-01 00:00:00");
    EXPECT_EQ(Bd().Valor("SELECT substr(max(FECHA), 1, 10) FROM MV_ASIENTOS"), "2023-12-31");
    EXPECT_EQ(N("SELECT count(*) FROM MV_EJERCICIOS WHERE Periodo = 2024"), 1);  // day after a late cut-off
    EXPECT_EQ(Bd().Filas("SELECT DISTINCT FECHA, TC FROM MV_ASIENTOS WHERE EsCierre = 1 ORDER BY 1"),
              (std::vector<std::vector<std::string>>{{"2021-12-31 00:00:00", "AS"},
                                                     {"2022-12-31 00:00:00", "AS"}}));
    EXPECT_EQ(Bd().Filas("SELECT DISTINCT FECHA FROM MV_ASIENTOS WHERE ES_SALDO_APERTURA = 1 ORDER BY 1"),
              (std::vector<std::vector<std::string>>{
                  {"2021-01-01 00:00:00"}, {"2022-01-01 00:00:00"}, {"2023-01-01 00:00:00"}}));
}

// The books hold as a suite's do: each query counts the entries that break a rule.
TEST_F(Demo, NingunAsientoRompeLasReglasDeLosLibros) {
    for (
        const char* sql :
        {// Every entry belongs to the fiscal year of its date, with its month as operating month.
         "SELECT count(*) FROM MV_ASIENTOS A WHERE NOT EXISTS (SELECT 1 FROM MV_EJERCICIOS E WHERE A.FECHA "
         ">= E.[FECHA DESDE] AND substr(A.FECHA, 1, 10) <= substr(E.[FECHA HASTA], 1, 10) AND E.Periodo = "
         "A.PERIODO) OR A.MES_OPERATIVO <> CAST(substr(A.FECHA, 6, 2) AS INTEGER)",
         // Each voucher balances, with one date and one entry number.
         "SELECT count(*) FROM (SELECT 1 FROM MV_ASIENTOS GROUP BY TC, SUCURSAL, NUMERO, LETRA HAVING "
         "sum(CASE WHEN [DEBE-HABER] = 'D' THEN round(IMPORTE * 100) ELSE -round(IMPORTE * 100) END) <> 0 "
         "OR count(DISTINCT FECHA) > 1 OR count(DISTINCT [NUMERO ASIENTO]) > 1)",
         "SELECT count(*) FROM MV_ASIENTOS WHERE IMPORTE <= 0 OR abs(IMPORTE * 100 - round(IMPORTE * 100)) > "
         "1e-9 * IMPORTE * 100 + 1e-6 OR [DEBE-HABER] NOT IN ('D', 'H')",
         // Entry numbers run from 1 without gaps in each month, register and period.
         "SELECT count(*) FROM (SELECT PERIODO, MES_OPERATIVO, TIPO_REG, count(DISTINCT [NUMERO ASIENTO]) n, "
         "min([NUMERO ASIENTO]) lo, max([NUMERO ASIENTO]) hi FROM MV_ASIENTOS GROUP BY 1, 2, 3) WHERE lo <> "
         "1 "
         "OR hi <> n",
         "SELECT count(*) FROM MV_ASIENTOS A WHERE NOT EXISTS (SELECT 1 FROM V_TA_Cajas C WHERE C.IdCajas = "
         "A.IdCajas)",
         "SELECT count(*) FROM MV_ASIENTOS WHERE EsCierre = 1 AND ES_SALDO_APERTURA = 1",
         // The closing leaves every account at zero.
         "SELECT count(*) FROM (SELECT CUENTA FROM MV_ASIENTOS WHERE FECHA <= '2022-12-31 23:59:59' AND "
         "FECHA "
         ">= '2022-01-01' GROUP BY CUENTA HAVING sum(CASE WHEN [DEBE-HABER] = 'D' THEN round(IMPORTE * 100) "
         "ELSE -round(IMPORTE * 100) END) <> 0)",
         // Only bank accounts carry the bank voucher number.
         "SELECT count(*) FROM MV_ASIENTOS WHERE NroComprobanteBancario IS NOT NULL AND CUENTA NOT LIKE "
         "'1102%'",
         "SELECT count(*) FROM MV_ASIENTOS WHERE FECHA NOT GLOB "
         "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'"})
        EXPECT_EQ(N(sql), 0) << sql;
}

// Both families, the usual voucher types and every kind of group key value the purges meet.
TEST_F(Demo, CadaClaseDeValorEstaEnLosDatos) {
    for (const char* tc : {"FP", "CBFP", "FPC", "PGFP", "FC", "NC", "ND", "RC", "OPG", "CB", "AS", "SI"})
        EXPECT_GT(N(std::string("SELECT count(*) FROM MV_ASIENTOS WHERE TC = '") + tc + "'"), 0) << tc;
    const std::pair<const char*, long long> alMenos[] = {
        {"count(DISTINCT CUENTA)", 21},
        {"count(DISTINCT MONEDA)", 3},
        {"count(DISTINCT COTIZACION)", 11},
        {"count(DISTINCT IdCajas)", 3},
        {"count(DISTINCT UNEGOCIO)", 3},
        {"count(DISTINCT TIPO_REG)", 5},  // the default register and the empty one among them
        {"sum(TIPO_REG = '')", 1},
        {"sum(TIPO_REG = char(255) || 'RS')", 1},
        {"sum(NroComprobanteBancario IS NULL)", 1},
        {"sum(NroComprobanteBancario IS NOT NULL)", 1},
        {"sum(FECHA LIKE '% 10:30:00')", 1},  // times of day
        {"sum(FECHA LIKE '% 00:00:00')", 1},
    };
    for (const auto& [cuenta, minimo] : alMenos)
        EXPECT_GE(N(std::string("SELECT ") + cuenta + " FROM MV_ASIENTOS"), minimo) << cuenta;
}

TEST_F(Demo, TalonariosUnoLlenoYOtroConLugar) {
    EXPECT_EQ(N("SELECT count(*) FROM V_TA_CPTE WHERE CODIGO IN ('CC', 'FP') AND Letras LIKE '%X%'"), 2);
    EXPECT_EQ(
        Bd().Valor("SELECT A_ULTIMO_NRO = A_NRO_HASTA FROM V_TA_CPTE WHERE CODIGO = 'FC' AND TALONARIO = 1"),
        "1");
    EXPECT_EQ(
        Bd().Valor("SELECT A_ULTIMO_NRO < A_NRO_HASTA FROM V_TA_CPTE WHERE CODIGO = 'FC' AND TALONARIO = 2"),
        "1");
    EXPECT_EQ(
        Bd().Valor("SELECT B_ULTIMO_NRO < B_NRO_HASTA FROM V_TA_CPTE WHERE CODIGO = 'FC' AND TALONARIO = 1"),
        "1");
    // The full book's last number is the highest invoice of its branch and letter.
    EXPECT_EQ(N("SELECT A_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = 'FC' AND TALONARIO = 1"),
              N("SELECT CAST(max(NUMERO) AS INTEGER) FROM MV_ASIENTOS WHERE TC = 'FC' AND SUCURSAL = '0001' "
                "AND LETRA = 'A'"));
    EXPECT_GT(N("SELECT count(*) FROM V_TA_CPTE WHERE length(Letras) > 1"), 3);
    EXPECT_GT(N("SELECT count(*) FROM VT_TA_Cpte"), 10);
}

TEST_F(Demo, ConfiguracionUsuariosYCajas) {
    EXPECT_EQ(Bd().Valor(
                  "SELECT VALOR || '|' || Grupo FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'"),
              "31/12/2020|DATOS");
    EXPECT_GT(N("SELECT count(*) FROM TA_CONFIGURACION WHERE CLAVE LIKE 'NUM~_%' ESCAPE '~'"), 0);
    EXPECT_GT(N("SELECT count(*) FROM TA_Usuarios WHERE SISTEMA = 'CN000PR'"), 1);
    EXPECT_EQ(Bd().Valor("SELECT Descripcion FROM V_TA_Cajas WHERE IdCajas = '1'"), "CAJA CENTRAL");
}

TEST_F(Demo, AplicacionesDeCadaClase) {
    const std::string existe =
        "EXISTS (SELECT 1 FROM MV_ASIENTOS M WHERE M.CUENTA = A.CUENTA AND M.TC = A.%s AND M.SUCURSAL = A.%s "
        "AND M.NUMERO = A.%s AND M.LETRA = A.%s)";
    auto cond = [&](bool aplicado) {
        char b[400];
        if (aplicado)
            std::snprintf(b, sizeof b, existe.c_str(), "TC", "SUCURSAL", "NUMERO", "LETRA");
        else
            std::snprintf(b, sizeof b, existe.c_str(), "TCO_ORIGEN", "SUCURSAL_ORIGEN", "NUMERO_ORIGEN",
                          "LETRA_ORIGEN");
        return std::string(b);
    };
    const std::string base =
        "SELECT count(*) FROM MV_APLICACION A WHERE upper(TCO_ORIGEN) NOT IN "
        "('OC','RM','VJ','OPG','TR') AND TC NOT IN ('VJ','RM','TR','OC','OPG') AND ";
    EXPECT_GT(N(base + cond(true) + " AND " + cond(false)), 100);
    EXPECT_GT(N(base + "NOT " + cond(true) + " AND " + cond(false)), 0);
    EXPECT_GT(N(base + cond(true) + " AND NOT " + cond(false)), 0);
    EXPECT_GT(N(base + "NOT " + cond(true) + " AND NOT " + cond(false)), 0);
    EXPECT_GT(N("SELECT count(*) FROM MV_APLICACION WHERE TCO_ORIGEN = 'opg' COLLATE BINARY"), 0);
    EXPECT_GT(N("SELECT count(*) FROM MV_APLICACION WHERE TCO_ORIGEN = 'OC'"), 0);
    EXPECT_GT(N("SELECT count(*) FROM MV_APLICACION WHERE TC = 'FP'"), 0);
    EXPECT_EQ(N("SELECT count(*) FROM MV_APLICACION WHERE IDCOMPROBANTE <> SUCURSAL || NUMERO || LETRA OR "
                "IDCOMPROBANTE_ORIGEN <> SUCURSAL_ORIGEN || NUMERO_ORIGEN || LETRA_ORIGEN OR "
                "length(IDCOMPROBANTE) <> 13"),
              0);
    // Pending credits for the summary vouchers a consolidation of these data will write.
    EXPECT_EQ(N("SELECT count(*) FROM VE_CPTES_CREDITOS_PENDIENTES WHERE TC = 'CC' AND SUCURSAL = '0001' AND "
                "NUMERO = '00000001' AND LETRA = 'X'"),
              2);
    EXPECT_EQ(
        Bd().Valor("SELECT NUMERO FROM VE_CPTES_CREDITOS_PENDIENTES WHERE TC = 'FP'"),
        Bd().Valor(
            "SELECT printf('%08d', max(NUMERO) + 1) FROM MV_ASIENTOS WHERE TC = 'FP' AND SUCURSAL = '0001'"));
}

TEST_F(Demo, MovimientosHistorialYTemporalesAntesYDespuesDeUnCorte) {
    for (const char* t : {"V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE", "MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS"}) {
        EXPECT_GT(N(std::string("SELECT count(*) FROM ") + t + " WHERE FECHA <= '2022-06-30 23:59:59'"), 0)
            << t;
        EXPECT_GT(N(std::string("SELECT count(*) FROM ") + t + " WHERE FECHA > '2022-06-30 23:59:59'"), 0)
            << t;
    }
    for (const char* t :
         {"V_MV_STOCK_ITEMS", "V_MV_CPTE_ITEMS", "C_MV_CPTE_ITEMS", "MV_VIAJES", "MV_ASIENTOSCCOSTO"})
        EXPECT_GT(N(std::string("SELECT count(*) FROM ") + t), 0) << t;
    for (const char* t : {"AUX_MAYORES", "AUX_ANEXOA", "AUX_EstadisticaCta", "Aux_MV_Cpte",
                          "AUX_SALDOSMENSUALES", "AUX_SUBDIARIOS", "AUX_TMP", "AUX_TOTALES_DET",
                          "AUX_BORRADOR_PRECIOS", "AUX_ERR", "AUX_MV_APLICACION_TR"})
        EXPECT_GT(N(std::string("SELECT count(*) FROM ") + t), 0) << t;
    EXPECT_EQ(N("SELECT count(*) FROM V_MV_STOCK_ITEMS I WHERE NOT EXISTS (SELECT 1 FROM V_MV_STOCK S WHERE "
                "S.TC = I.TC AND S.IDCOMPROBANTE = I.IDCOMPROBANTE)"),
              0);
    // Cost-centre rows repeat the entry number of their entry.
    EXPECT_EQ(N("SELECT count(*) FROM MV_ASIENTOSCCOSTO C WHERE NOT EXISTS (SELECT 1 FROM MV_ASIENTOS A "
                "WHERE A.TC = C.TC AND A.SUCURSAL = C.SUCURSAL AND A.NUMERO = C.NUMERO AND A.LETRA = C.LETRA "
                "AND A.SECUENCIA = C.SECUENCIA AND A.[NUMERO ASIENTO] = C.[NUMERO ASIENTO])"),
              0);
}

TEST_F(Demo, IndicesYDisparadoresVuelvenTrasLaCarga) {
    EXPECT_EQ(N("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'MV_ASIENTOS'"), 3);
    EXPECT_EQ(N("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'MV_ASIENTOS' AND "
                "sql IS NOT NULL"),
              4);
    EXPECT_EQ(N("SELECT count(*) FROM MV_ASIENTOS_AUDITORIA"), 0);
    EXPECT_EQ(N("SELECT count(*) FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = 'KS_DEPURA_STOCK'"), 1);
}

TEST(GenerarDemoSemilla, MismaSemillaMismaBaseOtraSemillaOtra) {
    CarpetaTemporal dir;
    OpcionesDemo o;
    o.asientos = 1500;
    o.semilla = 42;
    GenerarDemo(dir / "a.db", o);
    GenerarDemo(dir / "b.db", o);
    o.semilla = 43;
    GenerarDemo(dir / "c.db", o);
    auto a = Lector(dir / "a.db").HuellaContenido();
    EXPECT_EQ(a, Lector(dir / "b.db").HuellaContenido());
    EXPECT_NE(a, Lector(dir / "c.db").HuellaContenido());
}

TEST(GenerarDemoSemilla, ElMinimoDeAsientosEsExactoYMenosOArchivoExistenteNoDejanNada) {
    CarpetaTemporal dir;
    OpcionesDemo o;
    o.asientos = kMinimoAsientosDemo;
    o.anioInicial = 2005;
    GenerarDemo(dir / "chica.db", o);
    Lector l(dir / "chica.db");
    EXPECT_EQ(l.Numero("SELECT count(*) FROM MV_ASIENTOS"), kMinimoAsientosDemo);
    EXPECT_EQ(l.Valor("SELECT min(FECHA) FROM MV_ASIENTOS"), "2005-01-01 00:00:00");
    EXPECT_EQ(l.Valor("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'"),
              "31/12/2004");
    // One entry fewer, a year too early or a file already there: refused, and nothing left.
    o.asientos = kMinimoAsientosDemo - 1;
    EXPECT_THROW(GenerarDemo(dir / "x.db", o), Falla);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.db"));
    o.asientos = 1000;
    o.anioInicial = 1800;
    EXPECT_THROW(GenerarDemo(dir / "x.db", o), Falla);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.db"));
    CrearEsquema(dir / "y.db");
    o.anioInicial = 2021;
    EXPECT_THROW(GenerarDemo(dir / "y.db", o), Falla);
    EXPECT_EQ(Lector(dir / "y.db").Numero("SELECT count(*) FROM MV_ASIENTOS"), 0);
}

}  // namespace
}  // namespace dep
