#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "runtime/data_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "tests/apoyo/conexion_grabadora.hpp"
#include "tests/apoyo/falla.hpp"

namespace dep {
namespace {

using prueba::ConexionGrabadora;

struct Datos : ::testing::Test {
    std::shared_ptr<ConexionGrabadora> cn = std::make_shared<ConexionGrabadora>();
    OperadorGuionado op;
    DataServices ds{cn, op};
};

TEST_F(Datos, EjecutarDejaElRechazoEnLaColeccionSinLanzar) {
    cn->respuestas.push_back({0, {ConexionGrabadora::Rechazo("El nombre de objeto 'X' no es válido.")}});
    Ejecucion e;
    EXPECT_NO_THROW(e = ds.Ejecutar("DELETE X"));
    ASSERT_EQ(cn->Errors().size(), 1u);
    EXPECT_EQ(cn->Errors()[0].descripcion, "El nombre de objeto 'X' no es válido.");
    EXPECT_FALSE(e.Hecha());
    EXPECT_EQ(e.Error(), "El nombre de objeto 'X' no es válido.");
    EXPECT_EQ(e.filas, 0);
    // The caller whose error trap reports it gets the refusal raised, as from AbrirRecordset.
    EXPECT_EQ(prueba::DescripcionDeFalla([&] { e.Exigir(); }), "El nombre de objeto 'X' no es válido.");

    // The next statement starts from an empty collection and, succeeding, leaves it empty.
    cn->respuestas.push_back({3, {}});
    e = ds.Ejecutar("DELETE Y");
    EXPECT_TRUE(cn->Errors().empty());
    EXPECT_TRUE(e.Hecha());
    EXPECT_NO_THROW(e.Exigir());
    EXPECT_EQ(e.filas, 3);
    EXPECT_EQ(cn->ejecutadas, (std::vector<std::string>{"DELETE X", "DELETE Y"}));
}

TEST_F(Datos, EjecutarQuitaLosAvisosSiSaleBienYSiNoPoneElRechazoPrimero) {
    cn->respuestas.push_back(
        {1, {ConexionGrabadora::Aviso("Depurando..."), ConexionGrabadora::Aviso("Fin")}});
    EXPECT_TRUE(ds.Ejecutar("EXEC P").Hecha());
    EXPECT_TRUE(cn->Errors().empty());
    cn->respuestas.push_back({0, {ConexionGrabadora::Aviso("paso 1"), ConexionGrabadora::Rechazo("roto")}});
    EXPECT_EQ(ds.Ejecutar("EXEC P").Error(), "roto");
    ASSERT_EQ(cn->Errors().size(), 2u);
    EXPECT_EQ(cn->Errors()[0].descripcion, "roto");
    EXPECT_EQ(cn->Errors()[1].descripcion, "paso 1");
}

// An engine that raises without filling its collection still leaves the refusal visible.
struct ConexionMuda : ConexionGrabadora {
    long Execute(const std::string& sql) override {
        ejecutadas.push_back(sql);
        throw Falla(err::kBaseDatos, "sin conexión con el servidor", "motor");
    }
};

TEST(DatosMudos, EjecutarGarantizaUnaEntradaDeError) {
    auto cn = std::make_shared<ConexionMuda>();
    cn->Errors().push_back(ConexionGrabadora::Aviso("viejo"));
    OperadorGuionado op;
    DataServices ds(cn, op);
    EXPECT_EQ(ds.Ejecutar("DELETE X").Error(), "sin conexión con el servidor");
    ASSERT_EQ(cn->Errors().size(), 1u);
    EXPECT_EQ(std::tie(cn->Errors()[0].numero, cn->Errors()[0].descripcion),
              std::tuple(err::kBaseDatos, "sin conexión con el servidor"));
}

TEST_F(Datos, SinConexionTodoFallaConMensajeClaro) {
    cn->abierta = false;
    EXPECT_FALSE(ds.EstaConectado());
    Recordset rs;
    EXPECT_EQ(prueba::DescripcionDeFalla([&] { ds.AbrirRecordset("SELECT 1", rs); }),
              "No hay conexión con la base de datos");
    EXPECT_THROW(ds.Conexion_(), Falla);
    EXPECT_THROW((void)ds.Ejecutar("DELETE X"), Falla);
    DataServices nada(nullptr, op);
    EXPECT_FALSE(nada.EstaConectado());
    EXPECT_EQ(nada.NombreServidor(), "");
    EXPECT_THROW(nada.ExisteRegistro("T", "v", "C"), Falla);
    EXPECT_TRUE(cn->consultas.empty());
}

TEST_F(Datos, AbrirRecordsetActualizableSoloSobreUnaTabla) {
    const Resultado fila{{"CLAVE", "VALOR"}, {{Value("K"), Value("v")}}};
    struct Caso {
        const char* sql;
        const char* tabla;  // "" = not updatable
    };
    for (const Caso& c :
         {Caso{"SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'K'", "TA_CONFIGURACION"},
          Caso{"select  *  from [dbo].[TA_CONFIGURACION] WITH (NOLOCK) where clave='a b'",
               "TA_CONFIGURACION"},
          Caso{"SELECT * FROM dbo.TA_X", "TA_X"},
          Caso{"SELECT * FROM @ADMIN_V_TA_Cajas WHERE 1=1", "@ADMIN_V_TA_Cajas"},
          Caso{"SELECT * FROM [Tabla Rara] (nolock)", "Tabla Rara"},
          Caso{"SELECT VALOR FROM TA_CONFIGURACION", ""}, Caso{"SELECT * FROM A, B", ""},
          Caso{"SELECT * FROM A JOIN B ON A.x=B.x", ""}, Caso{"SELECT * FROM 'TA'", ""}}) {
        SCOPED_TRACE(c.sql);
        cn->resultados.push_back(fila);
        Recordset rs;
        ds.AbrirRecordset(c.sql, rs, nullptr, 2, 3);
        EXPECT_EQ(cn->consultas.back(), c.sql);
        cn->ejecutadas.clear();
        if (*c.tabla == '\0') {
            EXPECT_THROW(rs.Poner("VALOR", Value("w")), Falla) << c.sql;
            continue;
        }
        rs.Poner("VALOR", Value("w"));
        rs.Update();
        ASSERT_EQ(cn->ejecutadas.size(), 1u) << c.sql;
        const std::string esperada = std::string(c.tabla) == "Tabla Rara" ? "[Tabla Rara]" : c.tabla;
        EXPECT_EQ(cn->ejecutadas[0],
                  "UPDATE " + esperada + " SET VALOR='w' WHERE CLAVE = 'K' AND VALOR = 'v'");
    }
}

TEST_F(Datos, AbrirRecordsetDeSoloLecturaYReapertura) {
    cn->resultados.push_back(Resultado{{"A"}, {{Value(1)}, {Value(2)}}});
    cn->resultados.push_back(Resultado{{"B"}, {}});
    Recordset rs;
    ds.AbrirRecordset("SELECT * FROM T", rs);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_THROW(rs.Poner("A", Value(3)), Falla);
    ds.AbrirRecordset("SELECT B FROM U", rs);  // an open set is closed and reopened
    EXPECT_TRUE(rs.EOF());
    EXPECT_TRUE(rs.TieneCampo("b"));
    ds.CerrarRecordset(rs);
    EXPECT_EQ(rs.State(), ado::kCerrado);
}

TEST_F(Datos, ExisteRegistroYBuscarValorDoblanLasComillas) {
    cn->resultados.push_back(Resultado{{"IdCajas"}, {{Value("1")}}});
    EXPECT_TRUE(ds.ExisteRegistro("V_TA_Cajas", "O'1", "IdCajas"));
    EXPECT_EQ(cn->consultas.back(), "SELECT IdCajas FROM V_TA_Cajas with(nolock) WHERE IdCajas = 'O''1'");
    EXPECT_FALSE(ds.ExisteRegistro("V_TA_Cajas", "2", "IdCajas"));

    cn->resultados.push_back(Resultado{{"Descripcion"}, {{Value("CAJA 1")}}});
    EXPECT_EQ(ds.BuscarValor("@Admin_V_TA_Cajas", "1", "Descripcion", "IdCajas"), Value("CAJA 1"));
    EXPECT_EQ(cn->consultas.back(),
              "SELECT Descripcion FROM @Admin_V_TA_Cajas with(nolock) WHERE IdCajas = '1'");
    EXPECT_EQ(ds.BuscarValor("T", "9", "D", "K").ATexto(), "");

    EXPECT_FALSE(ds.ExisteRegistro("T", "5", "N", 3));
    EXPECT_EQ(cn->consultas.back(), "SELECT N FROM T with(nolock) WHERE N = 5");
    EXPECT_THROW(ds.ExisteRegistro("T", "5 OR 1=1", "N", 3), Falla);
}

TEST_F(Datos, ErrorRutinaPasaAlOperador) {
    op.respuestasRutina.push_back(5);
    EXPECT_EQ(ds.ErrorRutina(Falla(11, "División por cero"), "Obtener_Nro_Comprobante"), 5);
    EXPECT_EQ(ds.ErrorRutina(Falla(11, "otra"), "X"), 3);
    const auto l = op.DeTipo(OperadorGuionado::Tipo::ErrorRutina);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(std::tie(l[0].rutina, l[0].numero, l[0].descripcion),
              std::tuple("Obtener_Nro_Comprobante", 11, "División por cero"));
}

}  // namespace
}  // namespace dep
