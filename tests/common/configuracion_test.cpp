// The configuration read against a recording connection: the statement text is the contract.
#include "common/configuracion.hpp"

#include <gtest/gtest.h>

#include "apoyo.hpp"

namespace dep {
namespace {

using prueba::Carpeta;
using prueba::ConexionGrabadora;
using prueba::Entorno;
using prueba::VariableEntorno;

Resultado Fila(Value valor, Value aux) {
    return Resultado{{"VALOR", "valoraux"}, {{valor, aux}}};
}

class CfgTest : public ::testing::Test {
  protected:
    Carpeta carpeta;  // KSERR.LOG goes here
    VariableEntorno temp{"TEMP", carpeta.Ruta()};
    std::shared_ptr<ConexionGrabadora> cn = std::make_shared<ConexionGrabadora>();
    Entorno e{cn};
};

TEST_F(CfgTest, LeeValorYAuxiliarYUnNuloComoTextoVacio) {
    cn->Responder(Fila(Value("31/12/2020"), Value::Nulo()));
    std::string aux = "previo";
    EXPECT_EQ(Cfg(e.s, "  FECHAULTIMADEPURACION "), "31/12/2020");
    cn->Responder(Fila(Value(7), Value(" a ")));
    EXPECT_EQ(Cfg(e.s, "NUM_FP", aux), "7");
    EXPECT_EQ(aux, " a ");
    EXPECT_EQ(TablaConfig(), "TA_CONFIGURACION");
    cn->Responder(Fila(Value::Nulo(), Value::Nulo()));
    EXPECT_EQ(Cfg(e.s, "K", aux), "");
    EXPECT_EQ(aux, "");
}

// The key trimmed, its quotes doubled; the date keys entirely in upper case.
TEST_F(CfgTest, LaSentenciaSegunLaClave) {
    for (const char* k : {"  FECHAULTIMADEPURACION ", " [fecha hasta] ", "[Fecha Desde]", "X' OR '1'='1"})
        Cfg(e.s, k);
    const std::string comun = "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = ";
    const std::string fecha = "SELECT VALOR, VALORAUX FROM TA_CONFIGURACION WITH(NOLOCK)  WHERE CLAVE = ";
    EXPECT_EQ(cn->sentencias,
              (std::vector<std::string>{comun + "'FECHAULTIMADEPURACION'", fecha + "'[FECHA HASTA]'",
                                        fecha + "'[FECHA DESDE]'", comun + "'X'' OR ''1''=''1'"}));
}

TEST_F(CfgTest, ClaveFaltanteYTemaPorDefecto) {
    std::string aux = "previo";
    EXPECT_EQ(Cfg(e.s, "NO_ESTA", aux), " ");
    EXPECT_EQ(aux, "");
    EXPECT_EQ(Cfg(e.s, "theme"), "1");
    cn->Responder(Fila(Value("  "), Value("")));
    EXPECT_EQ(Cfg(e.s, "THEME"), "1");
    cn->Responder(Fila(Value("3"), Value("")));
    EXPECT_EQ(Cfg(e.s, "THEME"), "3");
    EXPECT_EQ(Cfg(e.s, " THEME"), " ");  // the theme rule looks at the key as given
    EXPECT_TRUE(e.op.llamadas.empty());
}

TEST(CfgCerrada, SinConexionDevuelveVacioYNoTocaElAuxiliar) {
    Entorno e{nullptr};
    std::string aux = "previo";
    EXPECT_EQ(Cfg(e.s, "THEME", aux), "");
    EXPECT_EQ(aux, "previo");
    EXPECT_TRUE(e.op.llamadas.empty());

    auto cerrada = std::make_shared<ConexionGrabadora>();
    cerrada->abierta = false;
    Entorno e2{cerrada};
    EXPECT_EQ(Cfg(e2.s, "THEME", aux), "");
    EXPECT_TRUE(cerrada->sentencias.empty());
}

TEST_F(CfgTest, UnaFallaPasaPorTrataErrorYSoloIgnorarSigue) {
    const Falla caida(-2147217900, "El nombre de objeto 'TA_CONFIGURACION' no es válido.", "motor");

    // Ignore: the read goes on; the set never opened, so reading it fails and is ignored too.
    e.op.respuestasMensaje = {vb::kIgnorar, vb::kIgnorar, vb::kIgnorar};
    cn->Fallar(caida);
    EXPECT_NO_THROW(Cfg(e.s, "K"));
    const auto msj = e.op.DeTipo(OperadorGuionado::Tipo::Mensaje);
    ASSERT_FALSE(msj.empty());
    EXPECT_EQ(msj[0].titulo, "motor - Cfg Aviso al operador!!! - 2 ");
    EXPECT_EQ(
        msj[0].texto,
        "Ha ocurrido el Siguiente Error (-2147217900) El nombre de objeto 'TA_CONFIGURACION' no es válido.");
    EXPECT_NE(prueba::LeerArchivo(carpeta.Ruta() / "KSERR.LOG").find("Rutina: - Cfg Mensaje"),
              std::string::npos);

    // Retry is not offered: it ends the read with "" and does not run the statement again.
    e.op.Olvidar();
    cn->sentencias.clear();
    e.op.respuestasMensaje = {vb::kReintentar};
    cn->Fallar(caida);
    cn->Responder(Fila(Value("no debe leerse"), Value("")));
    EXPECT_EQ(Cfg(e.s, "THEME"), "");
    EXPECT_EQ(cn->sentencias.size(), 1u);
    EXPECT_EQ(e.op.llamadas.size(), 1u);
    cn->resultados.clear();

    e.op.respuestasMensaje = {vb::kAbortar};
    cn->Fallar(caida);
    EXPECT_EQ(Cfg(e.s, "THEME"), "");
}

}  // namespace
}  // namespace dep
