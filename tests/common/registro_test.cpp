#include "common/registro.hpp"

#include <gtest/gtest.h>

#include <tuple>
#include "apoyo.hpp"

namespace dep {
namespace {

using prueba::ConexionGrabadora;
using prueba::Entorno;

Resultado UnaFila() {
    return Resultado{{"Nombre", "Id"}, {{Value("ana"), Value(1)}}};
}

class BuscarRegistroTest : public ::testing::Test {
  protected:
    std::shared_ptr<ConexionGrabadora> cn = std::make_shared<ConexionGrabadora>();
    Entorno e{cn};
};

TEST_F(BuscarRegistroTest, FormasDeLaSentenciaSegunElTipo) {
    BuscarRegistro(e.s, "TA_Usuarios", "", "Nombre", nullptr, 8);
    BuscarRegistro(e.s, "T", " 01/02/2020 ", "FECHA", nullptr, 7);
    BuscarRegistro(e.s, "T", " 12.50abc", "N", nullptr, 5);
    BuscarRegistro(e.s, "T", "x1", "N", nullptr, 3);
    BuscarRegistro(e.s, "T", "7 OR 1=1", "N", nullptr, 4);
    BuscarRegistro(e.s, "T", " tal cual ", "C");
    BuscarRegistro(e.s, "T", "v", "C", nullptr, 11);
    BuscarRegistro(e.s, "TA_Usuarios", "O'Brien' OR '1'='1", "Nombre", nullptr, 8);  // quotes doubled
    // A condition replaces value and field, a blank put before it.
    BuscarRegistro(e.s, "T", "ignorado", "IGNORADO", nullptr, 8, "A = 1");
    BuscarRegistro(e.s, "T", "", "", nullptr, std::nullopt, "x where A = 1");
    BuscarRegistro(e.s, "T", "", "", nullptr, std::nullopt, "WHERE A = 1");
    EXPECT_EQ(cn->sentencias, (std::vector<std::string>{
                                  "SELECT * FROM TA_Usuarios  with(nolock)  WHERE LTRIM(RTRIM(Nombre)) =''",
                                  "SELECT * FROM T  with(nolock)  WHERE FECHA = 01/02/2020 ",
                                  "SELECT * FROM T  with(nolock)  WHERE N = 12.5",
                                  "SELECT * FROM T  with(nolock)  WHERE N = 0",
                                  "SELECT * FROM T  with(nolock)  WHERE N = 7",
                                  "SELECT * FROM T  with(nolock)  WHERE C =  tal cual ",
                                  "SELECT * FROM T  with(nolock)  WHERE C = v",
                                  "SELECT * FROM TA_Usuarios  with(nolock)  WHERE LTRIM(RTRIM(Nombre)) "
                                  "='O''Brien'' OR ''1''=''1'",
                                  "SELECT * FROM T with(nolock)   WHERE A = 1",
                                  "SELECT * FROM T with(nolock)   x where A = 1",
                                  "SELECT * FROM T with(nolock)   WHERE WHERE A = 1",
                              }));
}

TEST_F(BuscarRegistroTest, ResultadoSinYConRecordsetPropio) {
    cn->Responder(UnaFila());
    EXPECT_TRUE(BuscarRegistro(e.s, "TA_Usuarios", "ana", "Nombre", nullptr, 8));
    EXPECT_FALSE(BuscarRegistro(e.s, "TA_Usuarios", "nadie", "Nombre", nullptr, 8));

    Recordset rs;
    cn->Responder(Resultado{{"X"}, {{Value(1)}}});
    ASSERT_TRUE(BuscarRegistro(e.s, "T", "1", "X", &rs, 3));
    cn->Responder(UnaFila());
    // Reopened on the new statement, left open on its first row.
    ASSERT_TRUE(BuscarRegistro(e.s, "TA_Usuarios", "ana", "Nombre", &rs, 8));
    EXPECT_EQ(std::tuple(rs.State(), rs.Fields("NOMBRE").ATexto(), rs.CursorType(), rs.LockType()),
              std::tuple(ado::kAbierto, "ana", ado::kSoloAvance, ado::kSoloLectura));
    EXPECT_FALSE(BuscarRegistro(e.s, "TA_Usuarios", "nadie", "Nombre", &rs, 8));
    EXPECT_EQ(rs.State(), ado::kAbierto);
    EXPECT_TRUE(e.op.llamadas.empty());
}

TEST_F(BuscarRegistroTest, LaTrampaReintentaSigueOAbandona) {
    const Falla caida(-2147217900, "Nombre de objeto no válido 'TA_X'.");
    // Retry: the open runs again and finds the row.
    e.op.respuestasMensaje = {vb::kReintentar};
    cn->Fallar(caida);
    cn->Responder(UnaFila());
    EXPECT_TRUE(BuscarRegistro(e.s, "TA_X", "ana", "Nombre", nullptr, 8));
    ASSERT_EQ(e.op.llamadas.size(), 1u);
    const auto& m = e.op.llamadas[0];
    EXPECT_EQ(std::tie(m.texto, m.titulo, m.botones),
              std::tuple("Nombre de objeto no válido 'TA_X'.", "Aviso al Operador", 18));
    EXPECT_EQ(cn->sentencias.size(), 2u);

    // Abort: leaves at once with false.
    e.op.Olvidar();
    e.op.respuestasMensaje = {vb::kAbortar};
    cn->Fallar(caida);
    EXPECT_FALSE(BuscarRegistro(e.s, "TA_X", "ana", "Nombre", nullptr, 8));
    EXPECT_EQ(e.op.llamadas.size(), 1u);

    // Ignore: goes on; reading the unopened set fails in turn and is ignored as well.
    e.op.Olvidar();
    e.op.respuestasMensaje = {vb::kIgnorar, vb::kIgnorar, vb::kIgnorar};
    cn->Fallar(caida);
    EXPECT_FALSE(BuscarRegistro(e.s, "TA_X", "ana", "Nombre", nullptr, 8));
    EXPECT_GE(e.op.llamadas.size(), 1u);
}

// With a true default only the false texts give false, and the other way round.
TEST(ValorLogico, SoloLosTextosContrariosAlDefectoLoCambian) {
    for (const char* t : {"FALSE", "falso", "0", "No", "n"}) EXPECT_FALSE(ValorLogico(t, Value(true))) << t;
    for (const char* t : {"", " N", "x", "SI", "NO "}) EXPECT_TRUE(ValorLogico(t, Value(true))) << t;
    for (const char* t : {"TRUE", "verdadero", "1", "si", "s"})
        EXPECT_TRUE(ValorLogico(t, Value(false))) << t;
    for (const char* t : {"", " S", "sí", "2", "YES"}) EXPECT_FALSE(ValorLogico(t, Value(false))) << t;
    EXPECT_TRUE(ValorLogico("S", Value("Verdadero")));  // the default read as a boolean
    EXPECT_THROW(ValorLogico("S", Value("quizas")), Falla);
}

}  // namespace
}  // namespace dep
