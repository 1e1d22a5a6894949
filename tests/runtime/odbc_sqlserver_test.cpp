// The ODBC engine against SQL Server: a refused connection through FreeTDS always; a real
// server only when DEPURACION_TEST_SQLSERVER holds a connection string to one.
#ifdef DEP_HAS_ODBC
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/ajustes.hpp"
#include "runtime/falla.hpp"
#include "runtime/motores.hpp"
#include "runtime/odbc/odbc_conexion.hpp"
#include "tests/apoyo/falla.hpp"
#include "tests/apoyo/valor_impreso.hpp"
#include "tests/runtime/odbc_base.hpp"

namespace dep::odbc::prueba {
namespace {

TEST(OdbcFreeTds, SinServidorElMensajeEsCastellanoYNoLlevaLaClave) {
    if (const std::string no = PorQueNoHayDriver(kDriverTds); !no.empty()) GTEST_SKIP() << no;
    AjustesConexion a;
    a.motor = "odbc";
    // Port 1 of the loopback: nothing listens, the refusal is immediate; the login time-out
    // bounds the wait anyway.
    a.odbc = std::string("Driver={") + kDriverTds + "}" +
             ";Server=127.0.0.1;Port=1;Database=x;UID=u;PWD=secreto;TDS_Version=7.4;ClientCharset=UTF-8";
    a.tiempoEspera = 5;
    try {
        AbrirOdbc(a);
        FAIL() << "no debía conectar";
    } catch (const Falla& e) {
        EXPECT_EQ(e.Numero(), err::kConexion);
        EXPECT_EQ(e.Descripcion().rfind("No se pudo conectar con el servidor: ", 0), 0u) << e.Descripcion();
        EXPECT_NE(e.Descripcion().find("Server=127.0.0.1;Port=1"), std::string::npos) << e.Descripcion();
        EXPECT_EQ(e.Descripcion().find("secreto"), std::string::npos) << e.Descripcion();
        EXPECT_EQ(std::string(e.what()).find("secreto"), std::string::npos);
    }
}

TEST(OdbcFreeTds, UnControladorQueNoExisteTambienSeExplica) {
    AjustesConexion a;
    a.odbc = "Driver=/no/existe/libnada.so;PWD=secreto";
    const std::string m = dep::prueba::DescripcionDeFalla([&] { AbrirOdbc(a); });
    EXPECT_NE(m.find("controlador ODBC"), std::string::npos) << m;
    EXPECT_EQ(m.find("secreto"), std::string::npos) << m;
}

// A real SQL Server, when the environment names one.
class ServidorReal : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* c = std::getenv("DEPURACION_TEST_SQLSERVER");
        if (c == nullptr || *c == '\0')
            GTEST_SKIP() << "DEPURACION_TEST_SQLSERVER no tiene una cadena de conexión a un SQL Server";
        OpcionesOdbc o;
        o.cadena = c;
        o.tiempoEspera = 60;
        cn_ = std::make_unique<ConexionOdbc>(std::move(o));
        cn_->Execute(
            "IF OBJECT_ID('tempdb..#DEP_PRUEBA') IS NOT NULL DROP TABLE #DEP_PRUEBA; CREATE TABLE "
            "#DEP_PRUEBA (ID INT IDENTITY PRIMARY KEY, T NVARCHAR(50), F DATETIME, M MONEY, D DECIMAL(18,2), "
            "B BIT, G BIGINT)");
    }
    std::unique_ptr<ConexionOdbc> cn_;
};

TEST_F(ServidorReal, TiposFechasDiaMesAnioYUtf8) {
    EXPECT_TRUE(cn_->EsSqlServer());
    EXPECT_FALSE(cn_->NombreServidor().empty());
    EXPECT_EQ(cn_->Execute("INSERT INTO #DEP_PRUEBA (T, F, M, D, B, G) VALUES (N'ñáÿ', '31/12/2020 "
                           "10:30:00', 1234.5678, 12.25, 1, 9007199254740993)"),
              1);
    EXPECT_EQ(cn_->Consultar("SELECT T, F, M, D, B, G, NULL AS N FROM #DEP_PRUEBA with(nolock)").filas,
              (std::vector<std::vector<Value>>{{Value("ñáÿ"), Value(Fecha::DesdeYMD(2020, 12, 31, 10, 30, 0)),
                                                Value(Moneda{12345678}), Value(12.25), Value(true),
                                                Value(9007199254740993LL), Value::Nulo()}}));
}

TEST_F(ServidorReal, PrintYRaiserrorLleganEnOrden) {
    cn_->Execute("PRINT 'uno'; RAISERROR('dos', 10, 1); PRINT 'tres'");
    ASSERT_EQ(cn_->Errors().size(), 3u);
    EXPECT_EQ(cn_->Errors()[0].descripcion, "uno");
    EXPECT_EQ(cn_->Errors()[2].descripcion, "tres");
    for (const auto& e : cn_->Errors()) EXPECT_TRUE(e.informativo);
    EXPECT_THROW(cn_->Execute("PRINT 'antes'; RAISERROR('rechazo', 16, 1)"), Falla);
    ASSERT_EQ(cn_->Errors().size(), 2u);
    EXPECT_TRUE(cn_->Errors()[0].informativo);
    EXPECT_FALSE(cn_->Errors()[1].informativo);
    EXPECT_EQ(cn_->Errors()[1].descripcion, "rechazo");
}

TEST_F(ServidorReal, RollbackDeshace) {
    cn_->BeginTrans();
    cn_->Execute("INSERT INTO #DEP_PRUEBA (T) VALUES ('x')");
    cn_->RollbackTrans();
    EXPECT_EQ(cn_->Consultar("SELECT COUNT(*) FROM #DEP_PRUEBA").filas.at(0).at(0), Value(0));
    cn_->BeginTrans();
    cn_->Execute("INSERT INTO #DEP_PRUEBA (T) VALUES ('y')");
    cn_->CommitTrans();
    EXPECT_EQ(cn_->Consultar("SELECT COUNT(*) FROM #DEP_PRUEBA").filas.at(0).at(0), Value(1));
}

}  // namespace
}  // namespace dep::odbc::prueba
#endif
