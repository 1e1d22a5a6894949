// The translation's promises: collation, values that look like SQL, PRINT, EXEC, refusals for
// tests, statements it cannot translate, the @ADMIN_ prefix, the trace and the statement cache.
#include <cstdlib>

#include "runtime/falla.hpp"
#include "runtime/sqlite/colacion.hpp"
#include "tests/apoyo/proceso.hpp"
#include "tests/apoyo/rechazos.hpp"
#include "tests/runtime/sqlite_apoyo.hpp"

namespace dep {
namespace {

using prueba::BaseTemporal;

TEST(SqliteColacion, ComoElServidorSinCasoYSinBlancosFinales) {
    using sqlite::CompararComoServidor;
    EXPECT_EQ(CompararComoServidor("", "    "), 0);
    EXPECT_EQ(CompararComoServidor("cc", "CC"), 0);
    EXPECT_EQ(CompararComoServidor("CC  ", "cc"), 0);
    EXPECT_NE(CompararComoServidor(" CC", "CC"), 0) << "los blancos iniciales cuentan";
    EXPECT_EQ(CompararComoServidor("a\xC3\xB1o", "A\xC3\x91O"), 0) << "año = AÑO";
    EXPECT_NE(CompararComoServidor("a\xC3\xB1o", "ano"), 0) << "ñ no es n";
    EXPECT_NE(CompararComoServidor("\xC3\xA1", "a"), 0) << "á no es a";
    EXPECT_EQ(CompararComoServidor("\xC3\xA1rbol", "\xC3\x81RBOL"), 0);
    EXPECT_LT(CompararComoServidor("A", "b"), 0);
    EXPECT_LT(CompararComoServidor("a\t", "a"), 0) << "el más corto cuenta como relleno de blancos";
    EXPECT_GT(CompararComoServidor("ab", "A"), 0);

    // The fold the proof groups by agrees with the comparison on every pair: equal folds exactly
    // when the texts compare equal (a drift would make the proof group otherwise than the merge).
    std::vector<std::string> textos = {"",           "   ", "cc",       "CC ", " CC",      "a\xC3\xB1o",
                                       "A\xC3\x91O", "ano", "\xC3\xA1", "a",   "\xC3\x81", "\xC3\xBF"};
    // A lone lead byte before an ASCII letter (0x61 a, 0x41 A), and at the end.
    textos.insert(textos.end(), {"\xC5\xB8", "\xC3\x61", "\xC3\x41", "\xC3", "\xC3\x97", "\xC3\xB7", "a\t",
                                 "x\xC3\xBE", "X\xC3\x9E"});
    for (const auto& a : textos)
        for (const auto& b : textos)
            EXPECT_EQ(PlegarComoServidor(a) == PlegarComoServidor(b), CompararComoServidor(a, b) == 0)
                << '"' << a << "\" \"" << b << '"';

    // What NOCASE cannot match: Latin-1 letters with a partner of the other case.
    EXPECT_TRUE(sqlite::PliegaMasQueNocase("a\xC3\xB1o"));
    EXPECT_TRUE(sqlite::PliegaMasQueNocase("\xC3\x81RBOL"));
    EXPECT_FALSE(sqlite::PliegaMasQueNocase("\xC3\xBFRS")) << "ÿ has no capital here";
    EXPECT_FALSE(sqlite::PliegaMasQueNocase("\xC3\x97 \xC3\xB7 \xC3\x9F")) << "× ÷ ß";
    EXPECT_FALSE(sqlite::PliegaMasQueNocase("\xC3\xC3"));
    EXPECT_FALSE(sqlite::PliegaMasQueNocase("abc \xC3"));
}

class SqliteTraduccion : public ::testing::Test {
  protected:
    void SetUp() override {
        b_.Exec(
            "INSERT INTO T (ID, TC, TIPO_REG, NOMBRE) VALUES (1, 'CC', '    ', 'Señor'), (2, 'cc ', '', "
            "'o''brien'), (3, 'FP', 'A', 'x')");
        cn_ = b_.Abrir();
    }
    long Cuantos(const std::string& where) {
        return static_cast<long>(cn_->Consultar("SELECT ID FROM T WHERE " + where).filas.size());
    }
    BaseTemporal b_{
        "CREATE TABLE T (ID INTEGER PRIMARY KEY, TC TEXT, TIPO_REG TEXT COLLATE NOCASE, NOMBRE TEXT, FECHA "
        "DATETIME);CREATE TABLE DEP_PROCEDIMIENTOS (NOMBRE TEXT PRIMARY KEY, PARAMETROS TEXT, CUERPO TEXT);"};
    std::shared_ptr<ConexionSqlite> cn_;
};

TEST_F(SqliteTraduccion, LasComparacionesDeTextoSiguenLaColacionDelServidor) {
    EXPECT_EQ(Cuantos("TIPO_REG = ''"), 2);
    EXPECT_EQ(Cuantos("TC = 'CC'"), 2);
    EXPECT_EQ(Cuantos("'cc' = TC"), 2);
    EXPECT_EQ(Cuantos("TC <> 'cc'"), 1);
    EXPECT_EQ(Cuantos("TC IN ('cc','x')"), 2);
    EXPECT_EQ(Cuantos("NOT TC IN ('cc','x')"), 1);
    EXPECT_EQ(Cuantos("NOMBRE = 'SEÑOR'"), 1);
    EXPECT_EQ(Cuantos("NOMBRE = 'senor'"), 0);
    EXPECT_EQ(Cuantos("TC = TIPO_REG"), 0);
    // A NOCASE column is searched through bounds in its own order as well: same rows.
    EXPECT_EQ(Cuantos("TIPO_REG = 'a  '"), 1);
    EXPECT_EQ(Cuantos("TIPO_REG = '  '"), 2);
    EXPECT_EQ(Cuantos("NOMBRE = 'O''BRIEN'"), 1);
    EXPECT_EQ(cn_->Consultar("SELECT TC, COUNT(*) AS N FROM T GROUP BY TC ORDER BY TC").filas.size(), 2u);
}

TEST_F(SqliteTraduccion, UnaComillaOUnaPalabraClaveDentroDeUnValorNoCambianLaSentencia) {
    EXPECT_EQ(Cuantos("NOMBRE = 'o''brien'"), 1);
    cn_->Execute(
        "INSERT INTO T (ID, TC, NOMBRE) VALUES (4, 'X', 'DELETE T WHERE 1=1 with(nolock) [a] dbo.x')");
    cn_->Execute("UPDATE T SET NOMBRE = '--no es comentario' WHERE ID = 3");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "4");
    EXPECT_EQ(b_.Uno("SELECT NOMBRE FROM T WHERE ID = 4"), "DELETE T WHERE 1=1 with(nolock) [a] dbo.x");
    EXPECT_EQ(b_.Uno("SELECT NOMBRE FROM T WHERE ID = 3"), "--no es comentario");
    cn_->Execute("UPDATE T SET FECHA = '05/01/2021' WHERE NOMBRE = 'IF EXISTS(SELECT 1) BEGIN END'");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T WHERE FECHA IS NOT NULL"), "0");
}

TEST_F(SqliteTraduccion, FechasEnComparacionesBetweenInYSet) {
    cn_->Execute("UPDATE T SET FECHA = '31/12/2020 10:30' WHERE ID = 1");
    cn_->Execute("UPDATE T SET FECHA = '1/1/2021' WHERE ID = 2");
    EXPECT_EQ(
        b_.Uno(
            "SELECT group_concat(FECHA, '|') FROM (SELECT FECHA FROM T WHERE FECHA IS NOT NULL ORDER BY ID)"),
        "2020-12-31 10:30:00|2021-01-01 00:00:00");
    EXPECT_EQ(Cuantos("FECHA BETWEEN '31/12/2020' AND '01/01/2021'"), 2);
    EXPECT_EQ(Cuantos("FECHA IN ('01/01/2021')"), 1);
    EXPECT_EQ(Cuantos("'31/12/2020' < FECHA"), 2);
    EXPECT_EQ(Cuantos("FECHA <= '31/12/2020'"), 0);
    EXPECT_THROW(cn_->Execute("UPDATE T SET FECHA = '32/13/2020' WHERE ID = 1"), Falla);
    EXPECT_NE(cn_->Errors().at(0).descripcion.find("no se puede convertir en fecha"), std::string::npos);
}

TEST_F(SqliteTraduccion, PrintEsInformativoYLosProcedimientosGuardadosEnLaBaseCorren) {
    b_.Exec(
        "INSERT INTO DEP_PROCEDIMIENTOS VALUES ('KS_DEPURA_STOCK', '@FECHA', "
        "'DELETE FROM T WHERE FECHA <= @FECHA' || char(13,10) || 'PRINT ''Stock depurado''')");
    cn_->Execute("UPDATE T SET FECHA = '30/12/2020' WHERE ID IN (1, 2)");
    cn_->Execute("EXEC KS_DEPURA_STOCK '31/12/2020'");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "1");
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_EQ(cn_->Errors()[0].descripcion, "Stock depurado");
    EXPECT_TRUE(cn_->Errors()[0].informativo);
    // A quote in the argument stays inside the value.
    EXPECT_THROW(cn_->Execute("EXEC KS_DEPURA_STOCK '1'' OR ''1''=''1'"), Falla);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "1");

    EXPECT_THROW(cn_->Execute("EXEC KS_NO_EXISTE '31/12/2020'"), Falla);
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_EQ(cn_->Errors()[0].descripcion, "No se encontró el procedimiento almacenado 'KS_NO_EXISTE'.");
    EXPECT_FALSE(cn_->Errors()[0].informativo);
    EXPECT_THROW(cn_->Execute("EXEC KS_DEPURA_STOCK"), Falla);
    EXPECT_NE(cn_->Errors()[0].descripcion.find("@FECHA"), std::string::npos);

    EXPECT_EQ(cn_->Execute("PRINT 'Depuración ' + 'terminada'"), -1);
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_TRUE(cn_->Errors()[0].informativo);
    EXPECT_EQ(cn_->Errors()[0].descripcion, "Depuración terminada");
    cn_->Execute("DELETE T WHERE ID = 3");
    EXPECT_TRUE(cn_->Errors().empty()) << "cada ejecución vacía la colección";
}

TEST_F(SqliteTraduccion, RechazosDeLasPruebasYNuncaDesdeElEntorno) {
    // The shipped engine ignores the variable the test console reads.
    dep::prueba::FijarVariable("DEPURACION_RECHAZAR", "INSERT INTO T|0|Sin permiso");
    auto sinRechazos = b_.Abrir();
    dep::prueba::QuitarVariable("DEPURACION_RECHAZAR");
    EXPECT_NO_THROW(sinRechazos->Execute("INSERT INTO T (ID) VALUES (8)"));
    sinRechazos->Execute("DELETE T WHERE ID = 8");

    // The test connection refuses the n-th occurrence, or every one, letter case aside, and
    // the refused statement changes nothing.
    auto cn =
        prueba::ConRechazos(b_.Abrir(), "INSERT INTO T|0|Sin permiso;;PRINT|1|;;delete t|2|Tiempo agotado");
    EXPECT_THROW(cn->Execute("INSERT INTO T (ID) VALUES (9)"), Falla);
    EXPECT_EQ(cn->Errors().at(0).descripcion, "Sin permiso");
    EXPECT_THROW(cn->Execute("insert into t (ID) values (9)"), Falla);
    EXPECT_THROW(cn->Execute("PRINT 'a'"), Falla);
    cn->Execute("PRINT 'b'");
    cn->Execute("DELETE T WHERE ID = 1");
    EXPECT_THROW(cn->Execute("DELETE T WHERE ID = 2"), Falla);
    EXPECT_EQ(cn->Errors().at(0).descripcion, "Tiempo agotado");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T WHERE ID = 2"), "1");
    cn->Execute("DELETE T WHERE ID = 2");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "1");
}

TEST_F(SqliteTraduccion, LoQueNoSeTraduceEsUnErrorQueNombraLaSentencia) {
    for (const char* sql :
         {"DECLARE @X INT", "SELECT * FROM T WHERE ID = @ID", "SELECT CONVERT(varchar, FECHA, 103) FROM T",
          "SELECT * FROM OTRA.dbo.T", "DELETE T FROM T JOIN U ON T.ID = U.ID"}) {
        EXPECT_THROW(cn_->Execute(sql), Falla) << sql;
        ASSERT_EQ(cn_->Errors().size(), 1u) << sql;
        EXPECT_NE(cn_->Errors()[0].descripcion.find(sql), std::string::npos) << cn_->Errors()[0].descripcion;
    }
    EXPECT_THROW(cn_->Execute("SELECT 'sin cerrar FROM T"), Falla);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "3");
}

TEST_F(SqliteTraduccion, UnLoteRechazadoNoDejaNadaAMedias) {
    const std::string lote =
        "\r\nINSERT INTO T (ID,TC) VALUES (10,'A')\r\nINSERT INTO T (ID,TC) VALUES (11,'B')"
        "\r\nINSERT INTO T (ID,TC) VALUES (1,'duplicado')";
    EXPECT_THROW(cn_->Execute(lote), Falla);
    EXPECT_NE(cn_->Errors().at(0).descripcion.find("VALUES (1,'duplicado')"), std::string::npos);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "3");
    EXPECT_EQ(
        cn_->Execute("\r\nINSERT INTO T (ID,TC) VALUES (10,'A')\r\nINSERT INTO T (ID,TC) VALUES (11,'B')"),
        2);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T"), "5");

    // Two writes in the branch of an IF: the first is undone with the batch.
    EXPECT_THROW(cn_->Execute("IF EXISTS(SELECT * FROM T WHERE ID = 1)\r\nBEGIN\r\nUPDATE T SET TC = 'x' "
                              "WHERE ID = 1\r\nINSERT INTO T (ID,TC) VALUES (2,'duplicado')\r\nEND\r\n"),
                 Falla);
    EXPECT_EQ(b_.Uno("SELECT TC FROM T WHERE ID = 1"), "CC");
    // One write that fails on its second row, inside a transaction as the walk sends it: the
    // statement is undone whole, the transaction goes on.
    cn_->BeginTrans();
    cn_->Execute("INSERT INTO T (ID,TC) VALUES (22,'ocupa')");
    EXPECT_THROW(
        cn_->Execute("IF EXISTS(SELECT * FROM T WHERE ID = 1) UPDATE T SET ID = ID + 20 WHERE ID <= 3"),
        Falla);
    cn_->CommitTrans();
    EXPECT_EQ(b_.Uno("SELECT group_concat(ID) FROM (SELECT ID FROM T ORDER BY ID)"), "1,2,3,10,11,22");
}

TEST_F(SqliteTraduccion, IfExistsConRamaElseYTop) {
    const std::string lote =
        "IF EXISTS (SELECT * FROM T WHERE TC = 'fp')\r\nBEGIN\r\nUPDATE T SET NOMBRE = 'si' WHERE ID = "
        "3\r\nEND\r\nELSE\r\nBEGIN\r\nUPDATE T SET NOMBRE = 'no' WHERE ID = 3\r\nEND\r\n";
    cn_->Execute(lote);
    EXPECT_EQ(b_.Uno("SELECT NOMBRE FROM T WHERE ID = 3"), "si");
    cn_->Execute(
        "IF NOT EXISTS(SELECT 1 FROM T WHERE ID = 7) INSERT INTO T (ID, TC) VALUES (7, 'N') ELSE DELETE T "
        "WHERE ID = 7");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM T WHERE ID = 7"), "1");
    auto r = cn_->Consultar("SELECT TOP 1 ID FROM T ORDER BY ID DESC");
    ASSERT_EQ(r.filas.size(), 1u);
    EXPECT_EQ(r.filas[0][0], Value(7LL));
}

TEST(SqliteAdmin, ElPrefijoAdminVaALaMismaBaseOALaAdjunta) {
    BaseTemporal b("CREATE TABLE V_TA_Cajas (IDCAJAS TEXT, DESCRIPCION TEXT);");
    auto cn = b.Abrir();
    cn->Execute("INSERT INTO @Admin_V_TA_Cajas (IDCAJAS,DESCRIPCION) VALUES('01','CAJA 01')");
    EXPECT_EQ(cn->Consultar("SELECT DESCRIPCION FROM @ADMIN_V_TA_Cajas WHERE IDCAJAS = '01'").filas.size(),
              1u);

    BaseTemporal admin("CREATE TABLE V_TA_Cajas (IDCAJAS TEXT, DESCRIPCION TEXT);", "admin.db");
    AjustesConexion a;
    a.prefijoAdmin = admin.Ruta();
    auto cn2 = b.Abrir(a);
    cn2->Execute("INSERT INTO @Admin_V_TA_Cajas (IDCAJAS,DESCRIPCION) VALUES('02','CAJA 02')");
    EXPECT_EQ(admin.Uno("SELECT DESCRIPCION FROM V_TA_Cajas"), "CAJA 02");
    EXPECT_EQ(b.Uno("SELECT count(*) FROM V_TA_Cajas"), "1");
}

TEST(SqliteTraza, CadaSentenciaConSuResultado) {
    BaseTemporal b("CREATE TABLE T (A TEXT);");
    AjustesConexion a;
    a.traza = b.Carpeta() + "/traza.log";
    {
        auto cn = b.Abrir(a);
        cn->Execute("INSERT INTO T (A) VALUES ('uno')");
        EXPECT_THROW(cn->Execute("DELETE NO_HAY WHERE A = 'x'"), Falla);
        cn->Consultar("SELECT A FROM T with(nolock)");
    }
    const std::string texto = prueba::LeerArchivo(a.traza);
    EXPECT_NE(texto.find("INSERT INTO T (A) VALUES ('uno')\n    => 1 filas"), std::string::npos) << texto;
    EXPECT_NE(texto.find("DELETE NO_HAY WHERE A = 'x'\n    => ERROR"), std::string::npos) << texto;
    EXPECT_NE(texto.find("SELECT A FROM T with(nolock)\n    => 1 filas leídas"), std::string::npos) << texto;
}

TEST(SqliteCache, UnaFormaDeSentenciaSePreparaUnaSolaVez) {
    BaseTemporal b("CREATE TABLE T (ID INTEGER, A TEXT, F DATETIME);");
    auto cn = b.Abrir();
    cn->Execute("INSERT INTO T (ID, A, F) VALUES (0, 'x', '01/01/2020')");
    const auto antes = cn->SentenciasPreparadas();
    for (int i = 1; i <= 50; ++i)
        cn->Execute("INSERT INTO T (ID, A, F) VALUES (" + std::to_string(i) + ", 'v" + std::to_string(i) +
                    "', '0" + std::to_string(i % 9 + 1) + "/01/2020')");
    EXPECT_EQ(cn->SentenciasPreparadas(), antes);
    EXPECT_EQ(b.Uno("SELECT count(*) || '|' || max(F) FROM T"), "51|2020-01-09 00:00:00");
}

}  // namespace
}  // namespace dep
