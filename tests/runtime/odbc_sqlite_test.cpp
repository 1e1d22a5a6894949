// The ODBC engine on a real database file through the SQLite ODBC driver: statements, types,
// diagnostics, transactions, the updatable record set and texts in UTF-8.
#ifdef DEP_HAS_ODBC
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "runtime/data_services.hpp"
#include "runtime/falla.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"
#include "tests/apoyo/falla.hpp"
#include "tests/apoyo/valor_impreso.hpp"
#include "tests/runtime/odbc_base.hpp"

namespace dep::odbc::prueba {
namespace {

using Sqlite = BaseOdbc;
using Filas = std::vector<std::vector<Value>>;

TEST_F(Sqlite, AbreEjecutaYConsultaEnElArchivo) {
    EXPECT_TRUE(cn_->EstaAbierta());
    EXPECT_FALSE(cn_->EsSqlServer());  // no SET DATEFORMAT for this driver
    EXPECT_NE(cn_->NombreBaseDatos().find("demo.db"), std::string::npos);
    EXPECT_EQ(cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, Grupo) VALUES "
                           "('FECHAULTIMADEPURACION', '31/12/2020', 'DATOS')"),
              1);
    const Resultado r = cn_->Consultar(
        "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'fechaultimadepuracion'");
    ASSERT_EQ(r.columnas.size(), 2u);
    EXPECT_EQ(r.columnas[0], "VALOR");
    EXPECT_EQ(r.filas, (Filas{{Value("31/12/2020"), Value::Nulo()}}));
    EXPECT_EQ(cn_->Execute("UPDATE TA_CONFIGURACION SET VALOR = 'x' WHERE CLAVE = 'NADA'"), 0);
    EXPECT_EQ(cn_->Execute("DELETE TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'"), 1);
    // "@ADMIN_" names the same database when no administration database is set.
    EXPECT_NO_THROW(cn_->Consultar("SELECT * FROM @Admin_V_TA_Cajas with(nolock)"));
}

TEST_F(Sqlite, LosTiposSqlSeVuelvenValores) {
    cn_->Execute(
        "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE, FECHA, [NUMERO "
        "ASIENTO], NroComprobanteBancario) VALUES ('1.1', 'FV', '0001', '00000001', 'A', 'D', 1234.56, "
        "'2000-01-01', 7, NULL)");
    cn_->Execute("UPDATE MV_ASIENTOS SET FECHA = '31/12/2020 10:30:00' WHERE CUENTA = '1.1'");
    const Resultado r = cn_->Consultar(
        "SELECT FECHA, IMPORTE, [NUMERO ASIENTO], CUENTA, NroComprobanteBancario FROM dbo.MV_ASIENTOS "
        "with(nolock)");
    EXPECT_EQ(r.filas, (Filas{{Value(Fecha::DesdeYMD(2020, 12, 31, 10, 30, 0)), Value(1234.56), Value(7),
                               Value("1.1"), Value::Nulo()}}));

    // Types the demo schema does not use: bit and money.
    cn_->Execute("CREATE TABLE TIPOS (B BIT, M MONEY, G BIGINT)");
    cn_->Execute("INSERT INTO TIPOS (B, M, G) VALUES (1, 12.3456, 9007199254740993)");
    // The big integer takes no trip through a double.
    EXPECT_EQ(cn_->Consultar("SELECT B, M, G FROM TIPOS").filas,
              (Filas{{Value(true), Value(Moneda{123456}), Value(9007199254740993LL)}}));
}

TEST_F(Sqlite, UnRechazoDejaSuEntradaYLanzaLaPrimeraYLosAvisosQuedan) {
    try {
        cn_->Consultar("SELECT * FROM NO_EXISTE");
        FAIL() << "debía rechazarse";
    } catch (const Falla& e) {
        EXPECT_EQ(e.Numero(), err::kBaseDatos);
        EXPECT_NE(e.Descripcion().find("NO_EXISTE"), std::string::npos) << e.Descripcion();
    }
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_FALSE(cn_->Errors()[0].informativo);
    EXPECT_FALSE(cn_->Errors()[0].estado.empty());
    // The next statement starts with an empty collection.
    cn_->Execute("DELETE AUX_TMP");
    EXPECT_TRUE(cn_->Errors().empty());
    // What the translation refuses is a refusal too, with its message.
    EXPECT_THROW(cn_->Execute("DECLARE @X INT"), Falla);
    ASSERT_FALSE(cn_->Errors().empty());
    EXPECT_FALSE(cn_->Errors()[0].informativo);

    // Notices stay in the collection.
    cn_->Execute("PRINT 'Depurados ' + '12' + ' movimientos'");
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_TRUE(cn_->Errors()[0].informativo);
    EXPECT_EQ(cn_->Errors()[0].descripcion, "Depurados 12 movimientos");
}

TEST_F(Sqlite, UnLoteRechazadoNoDejaNadaAMedias) {
    EXPECT_THROW(cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('A', '1')\nINSERT INTO "
                              "NO_EXISTE (X) VALUES (1)"),
                 Falla);
    EXPECT_EQ(Contar("TA_CONFIGURACION"), 0);
    // A text that is no date where a date column expects one is refused, never stored.
    const std::string m =
        dep::prueba::DescripcionDeFalla([&] { cn_->Execute("UPDATE MV_ASIENTOS SET FECHA = '31/02/2020'"); });
    EXPECT_NE(m.find("no se puede convertir en fecha"), std::string::npos) << m;
}

TEST_F(Sqlite, RollbackDeshaceYCommitConserva) {
    cn_->BeginTrans();
    EXPECT_EQ(cn_->NivelTransaccion(), 1);
    cn_->Execute("INSERT INTO AUX_TMP DEFAULT VALUES");
    cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('K', '1')");
    EXPECT_EQ(Contar("TA_CONFIGURACION"), 1);
    cn_->RollbackTrans();
    EXPECT_EQ(cn_->NivelTransaccion(), 0);
    EXPECT_EQ(Contar("TA_CONFIGURACION"), 0);

    cn_->BeginTrans();
    cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('K', '2')");
    // A nested transaction is a savepoint: rolling it back keeps the outer work.
    cn_->BeginTrans();
    EXPECT_EQ(cn_->NivelTransaccion(), 2);
    cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('M', '9')");
    cn_->RollbackTrans();
    EXPECT_EQ(cn_->NivelTransaccion(), 1);
    cn_->BeginTrans();
    cn_->Execute("UPDATE TA_CONFIGURACION SET ValorAux = 'x' WHERE CLAVE = 'K'");
    cn_->CommitTrans();
    EXPECT_EQ(Contar("TA_CONFIGURACION"), 1);
    cn_->CommitTrans();
    EXPECT_EQ(cn_->NivelTransaccion(), 0);
    EXPECT_THROW(cn_->CommitTrans(), Falla);
    EXPECT_THROW(cn_->RollbackTrans(), Falla);
    // Another connection sees the committed row: it reached the file.
    auto otra = Abrir();
    EXPECT_EQ(otra->Consultar("SELECT VALOR, ValorAux FROM TA_CONFIGURACION").filas,
              (Filas{{Value("2"), Value("x")}}));
    // Outside a transaction every statement stands on its own.
    cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('L', '3')");
    EXPECT_EQ(otra->Consultar("SELECT COUNT(*) FROM TA_CONFIGURACION").filas.at(0).at(0), Value(2));
}

TEST_F(Sqlite, LosDisparadoresSeApaganDentroDeLaTransaccion) {
    const std::string alta =
        "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE, FECHA) VALUES "
        "('1', 'FV', '0001', '00000001', 'A', 'D', 1, '01/02/2021')";
    cn_->BeginTrans();
    cn_->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
    cn_->Execute(alta);
    EXPECT_EQ(Contar("MV_ASIENTOS_AUDITORIA"), 0);
    cn_->Execute("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL");
    cn_->Execute(alta);
    EXPECT_EQ(Contar("MV_ASIENTOS_AUDITORIA"), 1);
    cn_->CommitTrans();

    // Switched off and rolled back: the triggers are there again.
    cn_->BeginTrans();
    cn_->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
    cn_->RollbackTrans();
    cn_->Execute(alta);
    EXPECT_EQ(Contar("MV_ASIENTOS_AUDITORIA"), 2);
}

TEST_F(Sqlite, ElLoteCondicionalYElProcedimientoCorren) {
    const std::string fusion =
        "IF EXISTS (SELECT * FROM TA_CONFIGURACION WHERE CLAVE = 'K') BEGIN UPDATE TA_CONFIGURACION SET "
        "VALOR = VALOR + 1 WHERE CLAVE = 'K' END ELSE BEGIN INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) "
        "VALUES ('K', 1) END";
    cn_->Execute(fusion);
    cn_->Execute(fusion);
    const Resultado r = cn_->Consultar("SELECT COUNT(*), MAX(VALOR) FROM TA_CONFIGURACION");
    EXPECT_EQ(r.filas.at(0).at(0), Value(1));
    EXPECT_EQ(r.filas.at(0).at(1).ANumero(), 2);

    // Without a column list every column takes a value, so the dates are recognised as such.
    cn_->Execute(
        "INSERT INTO V_MV_STOCK VALUES (1, 'RS', '000100000001A', '0001', '00000001', 'A', '31/12/2020', "
        "NULL, NULL)");
    cn_->Execute(
        "INSERT INTO V_MV_STOCK VALUES (2, 'RS', '000100000002A', '0001', '00000002', 'A', '01/01/2021', "
        "NULL, NULL)");
    cn_->Execute("EXEC KS_DEPURA_STOCK '31/12/2020'");
    EXPECT_TRUE(cn_->Errors().empty());
    EXPECT_EQ(cn_->Consultar("SELECT ID, FECHA FROM V_MV_STOCK").filas,
              (Filas{{Value(2), Value(Fecha::DesdeYMD(2021, 1, 1))}}));
    EXPECT_THROW(cn_->Execute("EXEC NO_EXISTE '31/12/2020'"), Falla);
    EXPECT_NE(cn_->Errors().at(0).descripcion.find("NO_EXISTE"), std::string::npos);
}

TEST_F(Sqlite, ElConjuntoActualizableGrabaPorEstaConexion) {
    std::shared_ptr<Conexion> compartida(std::move(cn_));
    OperadorGuionado op;
    DataServices ds(compartida, op);
    const std::string sql =
        "SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'FECHAULTIMADEPURACION'";
    Recordset rs;
    ds.AbrirRecordset(sql, rs, compartida.get(), ado::kDinamico, ado::kOptimista);
    ASSERT_TRUE(rs.EOF());
    rs.AddNew();
    rs.Poner("Grupo", "DATOS");
    rs.Poner("Clave", "FECHAULTIMADEPURACION");
    rs.Poner("Valor", "31/12/2020");
    rs.Poner("PoliticaNegocio", false);
    rs.Update();
    ds.CerrarRecordset(rs);

    ds.AbrirRecordset(sql, rs, compartida.get(), ado::kDinamico, ado::kOptimista);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_TRUE(rs.Fields("ValorAux").EsNulo());
    rs.Poner("Valor", "30/06/2021");
    rs.Update();
    ds.CerrarRecordset(rs);

    const Resultado r = compartida->Consultar("SELECT VALOR, Grupo, PoliticaNegocio FROM TA_CONFIGURACION");
    ASSERT_EQ(r.filas.size(), 1u);
    EXPECT_EQ(r.filas[0][0], Value("30/06/2021"));
    EXPECT_EQ(r.filas[0][1], Value("DATOS"));
    EXPECT_EQ(r.filas[0][2].AEntero(), 0);
}

// A statement the server takes long over leaves the caller's thread going (the window painted
// through the callback) and still brings back its rows.
TEST_F(Sqlite, DuranteUnaSentenciaLargaElLlamadorSigueEnSuHilo) {
    cn_->Execute("CREATE TABLE D (N INT)");
    cn_->Execute("INSERT INTO D (N) VALUES (0), (1), (2), (3), (4), (5), (6), (7), (8), (9)");
    int llamadas = 0, enOtroHilo = 0;
    const auto hilo = std::this_thread::get_id();
    cn_->FijarAlProgresar([&] {
        ++llamadas;
        enOtroHilo += std::this_thread::get_id() != hilo;
    });
    const Resultado r = cn_->Consultar("SELECT COUNT(*) FROM D a, D b, D c, D d, D e, D f, D g");
    EXPECT_EQ(r.filas, (Filas{{Value(10000000)}}));
    EXPECT_GT(llamadas, 0);
    EXPECT_EQ(enOtroHilo, 0);
    cn_->FijarAlProgresar({});
    llamadas = 0;
    cn_->Consultar("SELECT COUNT(*) FROM D a, D b, D c, D d, D e, D f");
    EXPECT_EQ(llamadas, 0);
}

TEST_F(Sqlite, LosTextosViajanEnUtf8SinCambios) {
    const std::string texto = "ñáÿ";  // U+00F1 U+00E1 U+00FF
    cn_->Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('" + texto + "', 'Año ' + '" + texto +
                 "')");
    EXPECT_EQ(cn_->Consultar("SELECT CLAVE, VALOR FROM TA_CONFIGURACION WHERE CLAVE = '" + texto + "'").filas,
              (Filas{{Value(texto), Value("Año " + texto)}}));
    cn_.reset();
    // The bytes in the file are those UTF-8 bytes, not a re-encoding of them.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(ruta_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> cierre(db, &sqlite3_close);
    const sqlite::SentenciaPreparada st(db, "SELECT hex(CLAVE) FROM TA_CONFIGURACION");
    ASSERT_TRUE(st);
    ASSERT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)), "C3B1C3A1C3BF");
}

TEST_F(Sqlite, LaTrazaGuardaLasSentenciasPeroNuncaLaClave) {
    const std::string traza = (carpeta_ / "traza.sql").string();
    {
        auto cn = Abrir("PWD=secreto", traza);
        cn->Execute("DELETE AUX_TMP");
        EXPECT_THROW(cn->Execute("DELETE NO_EXISTE"), Falla);
    }
    const std::string t = dep::prueba::LeerArchivo(traza);
    EXPECT_NE(t.find("DELETE AUX_TMP"), std::string::npos) << t;
    EXPECT_NE(t.find("] Execute\n    DELETE NO_EXISTE\n    => ERROR "), std::string::npos) << t;
    EXPECT_NE(t.find("PWD=***"), std::string::npos) << t;
    EXPECT_EQ(t.find("secreto"), std::string::npos) << t;

    // A file another user left under that name, which that user could read, is not written.
    const std::string ajena = (carpeta_ / "ajena.sql").string();
    std::ofstream(ajena) << "";
    std::filesystem::permissions(ajena, std::filesystem::perms(0666));
    if (!dep::prueba::CambiarDueno(ajena)) return;  // only the administrator can plant it here
    Abrir("PWD=secreto", ajena)->Execute("DELETE AUX_TMP");
    EXPECT_EQ(dep::prueba::LeerArchivo(ajena), "");
}

}  // namespace
}  // namespace dep::odbc::prueba
#endif
