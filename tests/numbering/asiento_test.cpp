// The next free entry number, checked once against the cost-centre entries.
#include <gtest/gtest.h>

#include "base.hpp"
#include "numbering/ast.hpp"

namespace dep::prueba {
namespace {

using ::testing::ElementsAre;

class Asientos : public BaseNumeracion {
  protected:
    // One entry numbered `nro` in month 3 of period 2020 (or as given) in the entries table or
    // in the cost-centre one.
    void Fila(bool ccosto, int nro, const std::string& tipoReg = "\u00FFRS", int mes = 3,
              int periodo = 2020) {
        const std::string t = ccosto ? "MV_ASIENTOSCCOSTO" : "MV_ASIENTOS";
        const std::string extra = ccosto ? "" : ", [DEBE-HABER], FECHA";
        const std::string valExtra = ccosto ? "" : ", 'D', '2020-03-01 00:00:00'";
        Sql("INSERT INTO " + t + " (CUENTA, TC, SUCURSAL, NUMERO, LETRA, TIPO_REG, PERIODO, MES_OPERATIVO, " +
            "[NUMERO ASIENTO]" + extra + ") VALUES ('1.1', 'CC', '0001', '00000001', 'X', '" + tipoReg +
            "', " + std::to_string(periodo) + ", " + std::to_string(mes) + ", " + std::to_string(nro) +
            valExtra + ")");
    }
    // The statements of a request for month 3 of 2020 whose register condition is `tipo`, the
    // first cost-centre check looking for `nro`.
    static std::vector<std::string> Enviadas(const std::string& tipo, int nro) {
        const std::string donde = " WITH(NOLOCK) WHERE MES_OPERATIVO = 3 AND " + tipo + " AND PERIODO = 2020";
        const std::string max = "SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOS";
        return {max + donde,
                "SELECT [NUMERO ASIENTO] AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO" + donde +
                    " AND [NUMERO ASIENTO] = " + std::to_string(nro),
                max + "CCOSTO" + donde};
    }
    std::int32_t Pedir(const std::optional<std::string>& tipo = std::string("    "),
                       const Value& periodo = 2020) {
        const std::int32_t n = Obtener_Nro_Asiento(*s, Value(3), periodo, tipo);
        EXPECT_EQ(numeracion::ConjuntosAbiertos(), 0);
        return n;
    }
};

TEST_F(Asientos, ElSiguienteLibreFrenteAlCentroDeCostoYSinAsientosElUno) {
    Fila(false, 9, "\u00FFRS", 4);        // another month
    Fila(false, 9, "\u00FFRS", 3, 2019);  // another period
    EXPECT_EQ(Pedir(), 1);
    Fila(true, 1);
    Fila(true, 3);
    EXPECT_EQ(Pedir(), 4);  // unless the one is taken
    Fila(false, 41);
    for (int n : {40, 43, 44, 45}) Fila(true, n);
    EXPECT_EQ(Pedir(), 42);
    Fila(true, 42);
    EXPECT_EQ(Pedir(), 46);
}

TEST_F(Asientos, TipoDeRegistroVacioUsaElRegistroPorDefecto) {
    Fila(false, 41);
    Fila(false, 50, "");
    Fila(false, 90, "AB");
    Fila(true, 51);
    EXPECT_EQ(Pedir("    "), 52);
    EXPECT_EQ(espia->sentencias, Enviadas("(TIPO_REG = '\u00FFRS' OR TIPO_REG = '')", 51));
    // Empty and absent register types send the same statements as four blanks.
    const auto antes = espia->sentencias;
    for (const std::optional<std::string>& t :
         {std::optional<std::string>(""), std::optional<std::string>()}) {
        Olvidar();
        EXPECT_EQ(Pedir(t), 52);
        EXPECT_EQ(espia->sentencias, antes);
    }
}

TEST_F(Asientos, TipoDeRegistroDadoSeRecortaYSuComillaSeDoblaUnaVez) {
    Fila(false, 90, "AB");
    Fila(false, 41);
    Fila(true, 91, "AB");
    EXPECT_EQ(Pedir(" AB "), 92);
    EXPECT_EQ(espia->sentencias, Enviadas("TIPO_REG = 'AB'", 91));
    Olvidar();
    Fila(false, 12, "A''B");
    Fila(true, 13, "A''B");
    EXPECT_EQ(Pedir("A'B"), 14);
    EXPECT_EQ(espia->sentencias, Enviadas("TIPO_REG = 'A''B'", 13));
    EXPECT_TRUE(Rutinas().empty());
}

TEST_F(Asientos, PeriodoComoTextoOComoNumero) {
    Fila(false, 7);
    EXPECT_EQ(Pedir("    ", Value(2020)), 8);
    const auto comoNumero = espia->sentencias;
    Olvidar();
    EXPECT_EQ(Pedir("    ", Value(" 2020")), 8);
    EXPECT_EQ(espia->sentencias, comoNumero);
    Olvidar();
    Fila(false, 30, "\u00FFRS", 3, 0);
    EXPECT_EQ(Pedir("    ", Value("abc")), 31);
    EXPECT_NE(espia->sentencias[0].find("AND PERIODO = 0"), std::string::npos) << espia->sentencias[0];
}

TEST_F(Asientos, RespuestasDeErrorRutina) {
    Fila(false, 41);
    Fila(true, 42);
    Fila(true, 45);

    // Anything but 4 or 5 gives 0.
    espia->Rechazar("FROM @ADMIN_MV_ASIENTOS WITH", 1);
    op.respuestasRutina = {vb::kAbortar};
    EXPECT_EQ(Pedir(), 0);
    EXPECT_THAT(Rutinas(), ElementsAre("ValidaTCRegistraciones"));

    // 4 runs the refused statement again.
    Olvidar();
    espia->Rechazar("MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO", 1);
    op.respuestasRutina = {vb::kReintentar};
    EXPECT_EQ(Pedir(), 46);
    EXPECT_EQ(espia->Con("MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO").size(), 2u);

    // 5 goes on: without the cost-centre maximum the candidate stays.
    Olvidar();
    espia->Rechazar("MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO", 1);
    op.defectoRutina = vb::kIgnorar;
    EXPECT_EQ(Pedir(), 42);
    EXPECT_FALSE(Rutinas().empty());

    // A refusal answered with 3 after the number was computed still gives 0.
    Olvidar();
    espia->Rechazar("MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO", 1);
    op.defectoRutina = vb::kAbortar;
    EXPECT_EQ(Pedir(), 0);
}

}  // namespace
}  // namespace dep::prueba
