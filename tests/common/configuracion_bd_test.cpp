// The configuration store on a real database file.
#include <gtest/gtest.h>

#include "base_real.hpp"
#include "common/configuracion.hpp"

namespace dep {
namespace {

class ConfiguracionBD : public ::testing::Test {
  protected:
    prueba::VariableEntorno temp{"TEMP", nullptr};
    prueba::BaseReal bd;
    Servicios& s = bd.e->s;

    void SetUp() override {
        bd.Crudo(
            "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio) VALUES "
            "('FECHAULTIMADEPURACION', '31/12/2019', 'previo', 'DATOS', 0),('[FECHA HASTA]', '30/06/2020', "
            "NULL, 'DATOS', 0),('THEME', '   ', NULL, 'VISUAL', 0);");
    }
    // The row of `clave` (a literal's text) as CLAVE|VALOR|ValorAux|Grupo|PoliticaNegocio.
    std::string Fila(const std::string& clave) {
        return bd
            .Uno(
                "SELECT CLAVE || '|' || VALOR || '|' || coalesce(ValorAux, '<nulo>') || '|' || Grupo || "
                "'|' || PoliticaNegocio FROM TA_CONFIGURACION WHERE CLAVE = '" +
                clave + "'")
            .value_or("<sin fila>");
    }
};

TEST_F(ConfiguracionBD, CfgLeeLaFilaSinImportarMayusculasNiBlancos) {
    std::string aux;
    EXPECT_EQ(Cfg(s, " fechaUltimaDepuracion ", aux), "31/12/2019");
    EXPECT_EQ(aux, "previo");
    EXPECT_EQ(Cfg(s, "[fecha hasta]", aux), "30/06/2020");  // sent entirely in upper case
    EXPECT_EQ(aux, "");
    EXPECT_TRUE(bd.e->op.llamadas.empty());
}

TEST_F(ConfiguracionBD, GrabaDfgCreaLaFilaConClaveRecortadaYAuxiliarNulo) {
    GrabaDfg(s, " num_fp", Value("  00000042 "), "", true, "NUMERACION", true);
    EXPECT_EQ(bd.Cuenta("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'NUM_FP'"), 1);
    EXPECT_EQ(Fila("NUM_FP"), "NUM_FP|00000042|<nulo>|NUMERACION|1");
    EXPECT_EQ(Cfg(s, "NUM_FP"), "00000042");

    GrabaDfg(s, "SIN_RECORTE", Value(" a "), " x ", false, "DATOS", false);
    EXPECT_EQ(Fila("SIN_RECORTE"), "SIN_RECORTE| a |x|DATOS|0");
}

TEST_F(ConfiguracionBD, GrabaDfgActualizaLaFilaYUnAuxiliarVacioLaDejaComoEstaba) {
    GrabaDfg(s, "fechaultimadepuracion", Value("31/12/2020"), "", false, "DATOS", true);
    EXPECT_EQ(bd.Cuenta("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'"), 1);
    EXPECT_EQ(Fila("FECHAULTIMADEPURACION"), "FECHAULTIMADEPURACION|31/12/2020|previo|DATOS|0");
    EXPECT_EQ(Cfg(s, "FECHAULTIMADEPURACION"), "31/12/2020");

    GrabaDfg(s, "FECHAULTIMADEPURACION", Value("01/01/2021"), " nuevo ", false, "DATOS", true);
    EXPECT_EQ(Fila("FECHAULTIMADEPURACION"), "FECHAULTIMADEPURACION|01/01/2021|nuevo|DATOS|0");
    EXPECT_EQ(bd.Cuenta("SELECT COUNT(*) FROM TA_CONFIGURACION"), 3);
}

TEST_F(ConfiguracionBD, UnaClaveConComillaSeGuardaYSeLeeSinRomperLaSentencia) {
    GrabaDfg(s, "O'HARA", Value("v'1"), "a'b", false, "DATOS", true);
    EXPECT_EQ(Fila("O''HARA"), "O'HARA|v'1|a'b|DATOS|0");
    std::string aux;
    EXPECT_EQ(Cfg(s, "o'hara", aux), "v'1");
    EXPECT_EQ(aux, "a'b");
    GrabaDfg(s, "X' OR '1'='1", Value("no"), "", false, "DATOS", true);
    EXPECT_EQ(Fila("FECHAULTIMADEPURACION"), "FECHAULTIMADEPURACION|31/12/2019|previo|DATOS|0");  // untouched
    EXPECT_TRUE(bd.e->op.llamadas.empty());
}

TEST_F(ConfiguracionBD, GrabaDfgSobreUnaTablaQueNoExisteNoAvisaNiEscribe) {
    const std::string antes = TablaConfig();
    TablaConfig() = "TA_NO_EXISTE";
    EXPECT_NO_THROW(GrabaDfg(s, "K", Value("v"), "", false, "DATOS", true));
    TablaConfig() = antes;
    EXPECT_TRUE(bd.e->op.llamadas.empty());
    EXPECT_EQ(bd.Cuenta("SELECT COUNT(*) FROM TA_CONFIGURACION"), 3);
}

}  // namespace
}  // namespace dep
