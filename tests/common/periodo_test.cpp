// The period lookup against a recording connection: statement text and the reading of "Periodo".
#include "common/periodo.hpp"

#include <gtest/gtest.h>

#include "apoyo.hpp"
#include "tests/apoyo/falla.hpp"

namespace dep {
namespace {

using prueba::ConexionGrabadora;
using prueba::Entorno;

Resultado Periodo(Value v) {
    return Resultado{{"FECHA DESDE", "PERIODO"}, {{Value("x"), v}}};
}

long NumeroDeFalla(Entorno& e, const std::string& fecha) {
    return prueba::NumeroDeFalla([&] { Obtener_Periodo(e.s, fecha); });
}

class PeriodoTest : public ::testing::Test {
  protected:
    std::shared_ptr<ConexionGrabadora> cn = std::make_shared<ConexionGrabadora>();
    Entorno e{cn};
};

TEST_F(PeriodoTest, SentenciaConLaFechaEnDosDigitosYCuatro) {
    EXPECT_EQ(Obtener_Periodo(e.s, "1/1/2021"), 0);
    EXPECT_EQ(Obtener_Periodo(e.s, "05/03/2021 10:30:00"), 0);
    EXPECT_EQ(cn->sentencias,
              (std::vector<std::string>{"Select * from MV_EJERCICIOS  with(nolock)  where [FECHA DESDE] <= "
                                        "'01/01/2021' and [FECHA HASTA] >= '01/01/2021'",
                                        "Select * from MV_EJERCICIOS  with(nolock)  where [FECHA DESDE] <= "
                                        "'05/03/2021' and [FECHA HASTA] >= '05/03/2021'"}));
}

TEST_F(PeriodoTest, ElPeriodoSeLeeDeSuTextoYSeRedondeaAlPar) {
    const std::pair<Value, int> casos[] = {
        {Value(2006), 2006}, {Value(" 2006 "), 2006}, {Value("12.5"), 12},    {Value(13.5), 14},
        {Value("P7"), 0},    {Value(32767), 32767},   {Value(-32768), -32768}};
    for (const auto& [leido, periodo] : casos) {
        cn->Responder(Periodo(leido));
        EXPECT_EQ(Obtener_Periodo(e.s, "01/01/2021"), periodo) << leido.ATexto();
    }
}

TEST_F(PeriodoTest, FallasParaElQueLlama) {
    cn->Responder(Periodo(Value(32768)));
    EXPECT_EQ(NumeroDeFalla(e, "01/01/2021"), err::kDesbordamiento);
    cn->Responder(Periodo(Value(32767.5)));  // the even neighbour is 32768
    EXPECT_EQ(NumeroDeFalla(e, "01/01/2021"), err::kDesbordamiento);
    cn->Responder(Periodo(Value::Nulo()));
    EXPECT_EQ(NumeroDeFalla(e, "01/01/2021"), err::kUsoInvalidoNulo);
    cn->Fallar(Falla(err::kBaseDatos, "rechazada"));
    EXPECT_EQ(NumeroDeFalla(e, "01/01/2021"), err::kBaseDatos);
    const auto enviadas = cn->sentencias.size();
    // A text that is no date never reaches the database.
    EXPECT_EQ(NumeroDeFalla(e, "31/02/2021"), err::kTipoIncompatible);
    EXPECT_EQ(NumeroDeFalla(e, "' OR 1=1 --"), err::kTipoIncompatible);
    EXPECT_EQ(cn->sentencias.size(), enviadas);
    EXPECT_TRUE(e.op.llamadas.empty());  // no trap of its own
}

}  // namespace
}  // namespace dep
