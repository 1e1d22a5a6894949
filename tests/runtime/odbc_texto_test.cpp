// The ODBC engine's helpers that need no driver: password masking, the "@ADMIN_" prefix,
// driver messages and how diagnostics and column types are classified.
#ifdef DEP_HAS_ODBC
#include <gtest/gtest.h>

#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_interno.hpp"
#include "runtime/odbc/odbc_texto.hpp"

namespace dep::odbc {
namespace {

TEST(OdbcOcultarClave, EnmascaraPwdYPasswordSinTocarLoDemasYNuncaDejaVerLaClave) {
    EXPECT_EQ(OcultarClave("Driver=x;Server=s;UID=u;PWD=secreto;Database=d"),
              "Driver=x;Server=s;UID=u;PWD=***;Database=d");
    EXPECT_EQ(OcultarClave("password=secreto"), "password=***");
    EXPECT_EQ(OcultarClave("Server=s; Pwd = secreto ;X=1"), "Server=s; Pwd =***;X=1");
    // A braced value may hold ';', '=' and a doubled '}'.
    EXPECT_EQ(OcultarClave("UID=u;PWD={se;cr=e}}to};Database=d"), "UID=u;PWD=***;Database=d");
    EXPECT_EQ(OcultarClave("Driver={ODBC Driver 18 for SQL Server};Server=s"),
              "Driver={ODBC Driver 18 for SQL Server};Server=s");
    EXPECT_EQ(OcultarClave("DSN=demo"), "DSN=demo");
    EXPECT_EQ(OcultarClave(""), "");
    // Keys that merely contain the word stay visible; no form of the key shows the password.
    EXPECT_EQ(OcultarClave("PWDX=1;NoPassword=2"), "PWDX=1;NoPassword=2");
    for (const char* c : {"PWD=secreto", "PWD=secreto;", "x=1;PWD={secreto}", "x=1;PASSWORD= secreto",
                          "PWD=secreto;PWD=secreto", "PWD={a}};secreto}"}) {
        EXPECT_EQ(OcultarClave(c).find("secreto"), std::string::npos) << c;
    }
}

TEST(OdbcAtributoCadena, LeeValoresConYSinLlaves) {
    EXPECT_EQ(AtributoCadena("Server=127.0.0.1;Port=1", "server"), "127.0.0.1");
    EXPECT_EQ(AtributoCadena("PWD={a;b}}c}", "PWD"), "a;b}c");
    EXPECT_EQ(AtributoCadena("Server=s", "Database"), "");
}

TEST(OdbcPrefijoAdmin, SeResuelvePorPalabraYNuncaDentroDeTextos) {
    EXPECT_EQ(ResolverPrefijoAdmin("SELECT * FROM @ADMIN_V_TA_Cajas", "ADMIN.dbo."),
              "SELECT * FROM ADMIN.dbo.V_TA_Cajas");
    EXPECT_EQ(ResolverPrefijoAdmin("SELECT * FROM @Admin_V_TA_Cajas with(nolock)", ""),
              "SELECT * FROM V_TA_Cajas with(nolock)");
    EXPECT_EQ(ResolverPrefijoAdmin("select 1 from @admin_X,@ADMIN_Y", "A."), "select 1 from A.X,A.Y");
    // Quoted texts, bracketed and quoted names and comments keep their text.
    EXPECT_EQ(ResolverPrefijoAdmin("UPDATE T SET D='@ADMIN_X it''s @ADMIN_Y' WHERE @ADMIN_T.C=1", "A."),
              "UPDATE T SET D='@ADMIN_X it''s @ADMIN_Y' WHERE A.T.C=1");
    EXPECT_EQ(ResolverPrefijoAdmin(
                  "SELECT [@ADMIN_X], \"@ADMIN_Y\" -- @ADMIN_Z\nFROM /* @ADMIN_W */ @ADMIN_V", "A."),
              "SELECT [@ADMIN_X], \"@ADMIN_Y\" -- @ADMIN_Z\nFROM /* @ADMIN_W */ A.V");
    // Only a word that starts with the prefix: variables and other names stay.
    EXPECT_EQ(ResolverPrefijoAdmin("SELECT @FECHA, X@ADMIN_Y, @ADMIN_ FROM T", "A."),
              "SELECT @FECHA, X@ADMIN_Y, @ADMIN_ FROM T");
    // An unterminated quote is copied as it stands, not resolved inside.
    EXPECT_EQ(ResolverPrefijoAdmin("SELECT '@ADMIN_X", "A."), "SELECT '@ADMIN_X");
    EXPECT_EQ(ResolverPrefijoAdmin("ñ @ADMIN_Año", "A."), "ñ A.Año");
}

TEST(OdbcDiagnosticos, ElMensajeSeSeparaDeSuFuenteYLaClase01EsInformativa) {
    const MensajeDriver m = PartirMensaje("[FreeTDS][SQL Server]Invalid object name 'X'.");
    EXPECT_EQ(m.texto, "Invalid object name 'X'.");
    EXPECT_EQ(m.fuente, "FreeTDS SQL Server");
    EXPECT_EQ(PartirMensaje("sin fuente").texto, "sin fuente");
    // Class 01 is informational, anything else a refusal.
    const ErrorBD print = detalle::Entrada({"01000", 0, "[FreeTDS][SQL Server]Hola"});
    EXPECT_TRUE(print.informativo);
    EXPECT_EQ(print.descripcion, "Hola");
    EXPECT_EQ(print.numero, err::kBaseDatos);  // no native number: the platform's own
    const ErrorBD refusal = detalle::Entrada({"42S02", 208, "[FreeTDS][SQL Server]Invalid object name 'X'."});
    EXPECT_FALSE(refusal.informativo);
    EXPECT_EQ(refusal.numero, 208);
    EXPECT_EQ(refusal.estado, "42S02");
    EXPECT_EQ(refusal.fuente, "FreeTDS SQL Server");

    std::vector<ErrorBD> v;
    EXPECT_FALSE(detalle::Anotar({{"01000", 0, "a"}, {"01004", 0, "b"}}, v));
    EXPECT_TRUE(detalle::Anotar({{"01000", 0, "c"}, {"HY000", 50000, "d"}}, v));
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[2].descripcion, "c");  // kept in the order the driver gave them
    EXPECT_EQ(v[3].descripcion, "d");
}

TEST(OdbcTipos, MoneyEsMonedaYDecimalEsDoble) {
    using detalle::Lectura;
    using detalle::LecturaDe;
    EXPECT_EQ(LecturaDe(SQL_DECIMAL, "money"), Lectura::Moneda);
    EXPECT_EQ(LecturaDe(SQL_DECIMAL, "smallmoney"), Lectura::Moneda);
    EXPECT_EQ(LecturaDe(SQL_VARCHAR, "MONEY"), Lectura::Moneda);
    EXPECT_EQ(LecturaDe(SQL_DECIMAL, "decimal"), Lectura::Decimal);
    EXPECT_EQ(LecturaDe(SQL_NUMERIC, "numeric"), Lectura::Decimal);
    EXPECT_EQ(LecturaDe(SQL_BIT, "bit"), Lectura::Logico);
    EXPECT_EQ(LecturaDe(SQL_TINYINT, "tinyint"), Lectura::Entero);
    EXPECT_EQ(LecturaDe(SQL_BIGINT, "bigint"), Lectura::Entero);
    EXPECT_EQ(LecturaDe(SQL_TYPE_TIMESTAMP, "datetime"), Lectura::Fecha);
    EXPECT_EQ(LecturaDe(SQL_TYPE_DATE, "date"), Lectura::Fecha);
    EXPECT_EQ(LecturaDe(SQL_WVARCHAR, "nvarchar"), Lectura::Texto);
    EXPECT_EQ(LecturaDe(SQL_FLOAT, "float"), Lectura::Doble);
}

TEST(OdbcTipos, TextoDecimalAMonedaExacta) {
    using detalle::MonedaDeTexto;
    EXPECT_EQ(MonedaDeTexto("1234.5678").diezmilesimos, 12345678);
    EXPECT_EQ(MonedaDeTexto("-0.01").diezmilesimos, -100);
    EXPECT_EQ(MonedaDeTexto("12").diezmilesimos, 120000);
    EXPECT_EQ(MonedaDeTexto(".5").diezmilesimos, 5000);
    EXPECT_EQ(MonedaDeTexto("0.00005").diezmilesimos, 1);  // half away from zero
    EXPECT_EQ(MonedaDeTexto("-0.00005").diezmilesimos, -1);
    EXPECT_EQ(MonedaDeTexto("0.000049999").diezmilesimos, 0);
    EXPECT_EQ(MonedaDeTexto("922337203685477.5807").diezmilesimos, 9223372036854775807LL);
    EXPECT_THROW(MonedaDeTexto("922337203685478"), Falla);
    EXPECT_THROW(MonedaDeTexto("12abc"), Falla);
    EXPECT_DOUBLE_EQ(detalle::DobleDeTexto("1234.56"), 1234.56);
    EXPECT_DOUBLE_EQ(detalle::DobleDeTexto("-1.5E+3"), -1500.0);
    EXPECT_THROW(detalle::DobleDeTexto("x"), Falla);
}

TEST(OdbcFalloConexion, MensajeEnCastellanoSinLaClave) {
    const std::string cadena = "Driver=d;Server=srv;UID=u;PWD=secreto;Database=x";
    // A driver that echoes the password in its text still does not show it.
    const std::string m = detalle::MensajeFalloConexion(
        {{"28000", 18456, "[FreeTDS][SQL Server]Login failed for user 'u' (secreto)"}}, cadena);
    EXPECT_EQ(m.rfind("No se pudo conectar con el servidor: ", 0), 0u) << m;
    EXPECT_NE(m.find("rechazó el usuario o la contraseña"), std::string::npos) << m;
    EXPECT_NE(m.find("Login failed for user 'u'"), std::string::npos) << m;
    EXPECT_NE(m.find("Server=srv"), std::string::npos) << m;
    EXPECT_EQ(m.find("secreto"), std::string::npos) << m;

    const std::string sinBase = detalle::MensajeFalloConexion(
        {{"42000", 4060, "[FreeTDS][SQL Server]Cannot open database \"x\" requested by the login."}}, cadena);
    EXPECT_NE(sinBase.find("la base de datos no existe"), std::string::npos) << sinBase;
}

}  // namespace
}  // namespace dep::odbc
#endif
