// The embedded engine on real database files: opening, the statement shapes the purges send,
// dates, the IF EXISTS merge batch and trigger switching.

#include <fstream>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/plataforma/acceso.hpp"
#include "tests/apoyo/falla.hpp"
#include "tests/apoyo/valor_impreso.hpp"
#include "tests/runtime/sqlite_apoyo.hpp"

namespace dep {
namespace {

using prueba::BaseTemporal;
using prueba::kEsquemaAsientos;

std::string MensajeAlAbrir(BaseTemporal& b, AjustesConexion a = {}) {
    try {
        b.Abrir(a);
    } catch (const Falla& f) {
        EXPECT_EQ(f.Numero(), err::kConexion);
        return f.Descripcion();
    }
    return "<abrió>";
}

TEST(SqliteAbrir, ArchivosQueNoSirvenDanMensajesEnCastellano) {
    BaseTemporal b;
    AjustesConexion a;
    a.base = b.Carpeta() + "/no_esta.db";
    EXPECT_EQ(prueba::DescripcionDeFalla([&] { ConexionSqlite::Abrir(a); }),
              "No se puede abrir la base de datos '" + a.base + "': no existe el archivo");
    EXPECT_FALSE(std::filesystem::exists(a.base)) << "nunca crea una base que falta";

    std::ofstream(b.Ruta(), std::ios::trunc)
        << "esto no es una base de datos, es un texto cualquiera de prueba";
    const std::string m = MensajeAlAbrir(b);
    EXPECT_NE(m.find("'" + b.Ruta() + "'"), std::string::npos) << m;
    EXPECT_NE(m.find("no es una base de datos (file is not a database)"), std::string::npos) << m;
}

TEST(SqliteAbrir, ArchivoDeSoloLectura) {
    BaseTemporal b("CREATE TABLE T (A TEXT);");
    namespace fs = std::filesystem;
    fs::permissions(b.Ruta(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (plataforma::Permite(b.Ruta(), plataforma::Acceso::kEscritura))
        GTEST_SKIP() << "el usuario de la prueba escribe aunque el archivo sea de solo lectura";
    EXPECT_NE(MensajeAlAbrir(b).find("solo lectura"), std::string::npos);
}

TEST(SqliteAbrir, BaseBloqueadaPorOtroProceso) {
    BaseTemporal b("CREATE TABLE T (A TEXT);");
    sqlite3* otro = nullptr;
    sqlite3_open_v2(b.Ruta().c_str(), &otro, SQLITE_OPEN_READWRITE, nullptr);
    ASSERT_EQ(sqlite3_exec(otro, "BEGIN EXCLUSIVE; INSERT INTO T VALUES ('x');", nullptr, nullptr, nullptr),
              SQLITE_OK);
    AjustesConexion a;
    a.esperaBloqueo = 20;
    const std::string m = MensajeAlAbrir(b, a);
    EXPECT_NE(m.find("bloqueada por otro proceso (database is locked)"), std::string::npos) << m;
    sqlite3_exec(otro, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(otro);
    auto cn = b.Abrir();
    EXPECT_TRUE(cn->EstaAbierta());
    EXPECT_EQ(cn->NombreBaseDatos(), "prueba");
    EXPECT_EQ(cn->NombreServidor(), "(local)");
    EXPECT_FALSE(cn->NombreUsuario().empty());
}

class SqliteSentencias : public ::testing::Test {
  protected:
    void SetUp() override {
        cn_ = b_.Abrir();
        const std::string alta =
            "INSERT INTO MV_ASIENTOS "
            "(CUENTA,TC,SUCURSAL,NUMERO,LETRA,[DEBE-HABER],IMPORTE,MONEDA,COTIZACION,NroComprobanteBancario,"
            "TIPO_REG,IdCajas,UNEGOCIO,FECHA,EsCierre,ES_SALDO_APERTURA)\r\nVALUES ";
        cn_->Execute(
            alta +
            "('1101','FC','0001','00000010','A','D',100.5,'1',1,NULL,'    ','01','', '30/12/2020',0,0)\r\n" +
            alta +
            "('1101','fc','0001','00000011','A','D',20,'1',1,NULL,'','01','','31/12/2020 10:30:00',0,0)\r\n" +
            alta + "('2101','FP','0002','00000005','X','H',7,'1',1,'B1','','01','','01/01/2021',0,0)");
    }
    BaseTemporal b_{kEsquemaAsientos};
    std::shared_ptr<ConexionSqlite> cn_;
};

TEST_F(SqliteSentencias, LasFechasSeGuardanEnFormaIsoYVuelvenComoFecha) {
    EXPECT_EQ(b_.Uno("SELECT group_concat(FECHA, '|') FROM (SELECT FECHA FROM MV_ASIENTOS ORDER BY ID)"),
              "2020-12-30 00:00:00|2020-12-31 10:30:00|2021-01-01 00:00:00");
    auto r = cn_->Consultar("select min(fecha) as Fecha from MV_ASIENTOS");
    EXPECT_EQ(r.columnas[0], "Fecha");
    EXPECT_EQ(r.filas, (std::vector<std::vector<Value>>{{Value(Fecha::DesdeYMD(2020, 12, 30))}}));
    r = cn_->Consultar(
        "SELECT FECHA, IMPORTE, SECUENCIA, NroComprobanteBancario, CUENTA FROM MV_ASIENTOS WHERE ID = 2");
    // MONEY comes back as a double.
    EXPECT_EQ(r.filas,
              (std::vector<std::vector<Value>>{{Value(Fecha::DesdeYMD(2020, 12, 31, 10, 30)), Value(20.0),
                                                Value::Nulo(), Value::Nulo(), Value("1101")}}));
}

TEST_F(SqliteSentencias, UnTextoConFormaDeFechaEnUnaColumnaDeTextoSigueSiendoTexto) {
    cn_->Execute(
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, GRUPO) VALUES "
        "('FECHAULTIMADEPURACION','31/12/2020','DATOS')");
    EXPECT_EQ(b_.Uno("SELECT VALOR FROM TA_CONFIGURACION"), "31/12/2020");
    cn_->Execute("UPDATE TA_CONFIGURACION SET VALOR = '2020-12-31' WHERE CLAVE = 'fechaultimadepuracion'");
    auto r = cn_->Consultar(
        "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'FECHAULTIMADEPURACION'");
    EXPECT_EQ(r.filas, (std::vector<std::vector<Value>>{{Value("2020-12-31"), Value::Nulo()}}))
        << "una columna TEXT no da fechas";
}

TEST_F(SqliteSentencias, ConsultasDeLasDepuracionesConSugerenciasCorchetesYDbo) {
    auto r = cn_->Consultar(
        "SELECT  CUENTA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, MONEDA, COTIZACION, NroComprobanteBancario, "
        "TIPO_REG, IdCajas, UNEGOCIO, 'Depuracion' AS detalle From dbo.MV_ASIENTOS Where (EsCierre = 0) And "
        "(ES_SALDO_APERTURA = 0) and Fecha <= '31/12/2020 10:30:00' AND (TC<>'FP' AND TC<>'CBFP' AND "
        "TC<>'FPC' AND TC<>'PGFP') GROUP BY CUENTA, [DEBE-HABER], MONEDA, COTIZACION, "
        "NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO");
    ASSERT_EQ(r.filas.size(), 1u) << "TIPO_REG '    ' y '' forman un solo grupo, como en el servidor";
    EXPECT_EQ(r.filas[0][2].ANumero(), 120.5);
    EXPECT_EQ(r.filas[0][9], Value("Depuracion"));
    EXPECT_EQ(r.columnas[1], "DEBE-HABER");

    for (const char* sql : {"SELECT * From MV_ASIENTOS  with(nolock)  WHERE TC = 'FP'",
                            "SELECT * FROM MV_ASIENTOS WITH (NOLOCK) WHERE TC = 'fp'",
                            "SELECT * FROM MV_ASIENTOS WITH(NOLOCK)WHERE TC='FP'",
                            "SELECT * FROM MV_ASIENTOS (nolock) WHERE TC = 'FP  '",
                            "SELECT *  FROM MV_ASIENTOS WHERE  TC = 'FP' AND SUCURSAL='0002'"})
        EXPECT_EQ(cn_->Consultar(sql).filas.size(), 1u) << sql;

    r = cn_->Consultar("SELECT MAX(NUMERO) AS NUMERO FROM MV_ASIENTOS WHERE SUCURSAL = '0001' AND TC = 'FC'");
    EXPECT_EQ(r.filas[0][0], Value("00000011"));
    r = cn_->Consultar(
        "SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM MV_ASIENTOS WITH(NOLOCK) WHERE "
        "MES_OPERATIVO = 1 AND (TIPO_REG = '\xC3\xBFRS' OR TIPO_REG = '') AND PERIODO = 0");
    EXPECT_EQ(r.columnas[0], "NRO_ASIENTO");
    EXPECT_TRUE(r.filas[0][0].EsNulo());
    r = cn_->Consultar(
        "SELECT MAX(idcomprobante) AS ULTIMO From MV_ASIENTOS WHERE TC = 'FC' AND "
        "SUBSTRING(SUCURSAL,1,4)= '0001' AND SUBSTRING(LETRA,1,1) = 'a'");
    EXPECT_TRUE(r.filas[0][0].EsNulo());
    r = cn_->Consultar(
        "SELECT CUENTA FROM MV_ASIENTOS WHERE LTRIM(RTRIM(CUENTA)) ='2101' AND (NOT TC IN "
        "('VJ','RM','TR','OC','OPG','fc')) AND (LETRA LIKE('%X%')) ");
    EXPECT_EQ(r.filas, (std::vector<std::vector<Value>>{{Value("2101")}}));
}

TEST_F(SqliteSentencias, BorradosYActualizacionesDeLasDepuraciones) {
    EXPECT_EQ(cn_->Execute("update MV_ASIENTOS set Fecha = '31/12/2020' WHERE TC = 'FP' AND SUCURSAL = "
                           "'0002' AND NUMERO = '00000005' AND LETRA = 'X'"),
              1);
    EXPECT_EQ(b_.Uno("SELECT FECHA FROM MV_ASIENTOS WHERE TC='FP'"), "2020-12-31 00:00:00");
    EXPECT_EQ(cn_->Execute("Delete MV_ASIENTOS where fecha <= '31/12/2020' AND (TC='FP' OR TC='CBFP' OR "
                           "TC='FPC' OR TC='PGFP') "),
              1);
    EXPECT_EQ(cn_->Execute("DELETE MV_ASIENTOS WHERE FECHA <= '30/12/2020'"), 1);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM MV_ASIENTOS"), "1");
    EXPECT_EQ(cn_->Execute("TRUNCATE TABLE MV_ASIENTOS"), 1);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM MV_ASIENTOS"), "0");
    EXPECT_THROW(cn_->Execute("TRUNCATE TABLE AUX_NO_EXISTE"), Falla);
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_NE(cn_->Errors()[0].descripcion.find("TRUNCATE TABLE AUX_NO_EXISTE"), std::string::npos);
    EXPECT_NE(cn_->Errors()[0].descripcion.find("no such table"), std::string::npos);
    EXPECT_EQ(cn_->Errors()[0].fuente, "depuracion/sqlite");
}

// The batch of the summary merge, exactly as it is built: CR LF lines, IF NOT EXISTS ... ELSE.
std::string Fusion(const std::string& importe, const std::string& cuenta = "1101") {
    const std::string m = " CUENTA = '" + cuenta +
                          "' AND TC = 'CC' AND SUCURSAL = '0001' AND NUMERO = '00000001' AND LETRA = 'X' AND "
                          "IDCAJAS = '01' AND UNEGOCIO = '' AND MONEDA = '1' and cotizacion = 1 and "
                          "nrocomprobantebancario = '' and tipo_reg = '    ' AND [DEBE-HABER] = 'D'";
    return "IF NOT EXISTS(SELECT * FROM MV_ASIENTOS WHERE " + m +
           ")\r\nBEGIN \r\nINSERT INTO MV_ASIENTOS ( CUENTA, tc, SUCURSAL, NUMERO, LETRA, SECUENCIA, "
           "[DEBE-HABER], IMPORTE, MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, "
           "PERIODO,FECHA, MES_OPERATIVO, [NUMERO ASIENTO], detalle  )\r\nVALUES (\r\n'" +
           cuenta + "','CC','0001','00000001','X',1,'D'," + importe +
           ",'1',1,'','    ','01','','2021','01/01/2021',1,7,'Depuracion')\r\nEND\r\nELSE\r\nBEGIN\r\nUPDATE "
           "MV_ASIENTOS SET IMPORTE = IMPORTE + " +
           importe + " WHERE " + m + "\r\nEND\r\n";
}

TEST_F(SqliteSentencias, LaFusionInsertaLaPrimeraVezYSumaLasSiguientes) {
    cn_->Execute(Fusion("100.5"));
    EXPECT_EQ(b_.Uno("SELECT IMPORTE || '|' || FECHA || '|' || \"NUMERO ASIENTO\" || '|' || DETALLE FROM "
                     "MV_ASIENTOS WHERE TC = 'CC'"),
              "100.5|2021-01-01 00:00:00|7|Depuracion");
    cn_->Execute(Fusion("20"));
    cn_->Execute(Fusion("0.25"));
    EXPECT_EQ(b_.Uno("SELECT count(*) || '|' || sum(IMPORTE) FROM MV_ASIENTOS WHERE TC = 'CC'"), "1|120.75");
    // A quote in an account code breaks the statement on the server too: a refusal, nothing written.
    EXPECT_THROW(cn_->Execute(Fusion("5", "11'01")), Falla);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM MV_ASIENTOS WHERE TC = 'CC'"), "1");
}

TEST_F(SqliteSentencias, DesactivarLosDisparadoresLosApagaDeVerdadAunLosDeOtrosYLaAnulacionLoDeshace) {
    const std::string log0 = b_.Uno("SELECT count(*) FROM LOG_ASIENTOS");
    ASSERT_EQ(log0, "3");
    cn_->BeginTrans();
    cn_->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
    cn_->Execute(Fusion("1"));
    cn_->Execute("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL");
    cn_->CommitTrans();
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM LOG_ASIENTOS"), "3")
        << "el alta con los disparadores apagados no deja rastro";
    cn_->Execute(Fusion("1", "9999"));
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM LOG_ASIENTOS"), "4") << "encendidos otra vez";

    // Switched off inside a transaction that is rolled back: the triggers are back.
    cn_->BeginTrans();
    cn_->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM sqlite_master WHERE type='trigger'"), "1")
        << "otra conexión aún lo ve";
    cn_->RollbackTrans();
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM sqlite_master WHERE type='trigger' AND name='TR_ALTA'"), "1");
    cn_->Execute(Fusion("1", "8888"));
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM LOG_ASIENTOS"), "5");
    EXPECT_EQ(cn_->NivelTransaccion(), 0);

    // A trigger made by another program, the table named in lower case.
    b_.Exec(
        "CREATE TRIGGER tr_baja_externa AFTER DELETE ON MV_ASIENTOS BEGIN "
        "INSERT INTO LOG_ASIENTOS (CUENTA) VALUES ('baja ' || OLD.CUENTA); END;");
    cn_->Execute("ALTER TABLE mv_asientos DISABLE TRIGGER ALL");
    // Off for every connection, as on the server: another program's delete leaves no trace either.
    b_.Exec("DELETE FROM MV_ASIENTOS WHERE CUENTA = '3101'");
    cn_->Execute("DELETE MV_ASIENTOS WHERE CUENTA = '2101'");
    cn_->Execute("ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM LOG_ASIENTOS WHERE CUENTA LIKE 'baja%'"), "0");
    cn_->Execute("DELETE MV_ASIENTOS WHERE CUENTA = '1101'");  // two entries and the summary
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM LOG_ASIENTOS WHERE CUENTA LIKE 'baja%'"), "3");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM DEP_TABLAS_SIN_DISPARADORES"), "0");
    EXPECT_THROW(cn_->Execute("ALTER TABLE NO_HAY DISABLE TRIGGER ALL"), Falla);
}

TEST_F(SqliteSentencias, ElInterruptorNoCambiaElEsquemaYRespetaElWhenDeCadaDisparador) {
    // A trigger with a condition of its own (an OR, so the guard must not bind to half of it),
    // and one that an earlier version left off, its SQL kept aside.
    b_.Exec(
        "CREATE TRIGGER TR_GRANDE AFTER INSERT ON MV_ASIENTOS FOR EACH ROW WHEN NEW.IMPORTE > 100 OR "
        "NEW.CUENTA = 'x' BEGIN INSERT INTO LOG_ASIENTOS (CUENTA) VALUES ('grande'); END;CREATE TABLE "
        "DEP_TRIGGERS_DESACTIVADOS (NOMBRE TEXT PRIMARY KEY, TABLA TEXT NOT NULL, SQL TEXT NOT NULL);INSERT "
        "INTO DEP_TRIGGERS_DESACTIVADOS VALUES ('TR_VIEJO', 'MV_ASIENTOS', 'CREATE TRIGGER TR_VIEJO AFTER "
        "UPDATE ON MV_ASIENTOS BEGIN INSERT INTO LOG_ASIENTOS (CUENTA) VALUES (''viejo''); END');");
    auto cuenta = [&](const char* c) {
        return b_.Uno(std::string("SELECT count(*) FROM LOG_ASIENTOS WHERE CUENTA = '") + c + "'");
    };
    auto ciclo = [&] {
        cn_->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
        cn_->Execute(Fusion("500", "7000"));
        cn_->Execute("ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL");
    };
    ciclo();  // guards the triggers and brings back the one left off,
    ciclo();  // which this one guards
    const std::string esquema = b_.Uno("PRAGMA schema_version");
    ciclo();
    EXPECT_EQ(b_.Uno("PRAGMA schema_version"), esquema) << "switching writes rows, not the schema";
    EXPECT_EQ(cuenta("grande"), "0");
    EXPECT_EQ(cuenta("7000"), "0");
    cn_->Execute(Fusion("5", "7001"));  // on again: its own condition still holds it back
    cn_->Execute(Fusion("500", "7002"));
    b_.Exec("UPDATE MV_ASIENTOS SET IMPORTE = 1 WHERE CUENTA = '7001'");
    EXPECT_EQ(cuenta("grande"), "1");
    EXPECT_EQ(cuenta("7001"), "1");
    EXPECT_EQ(cuenta("viejo"), "1") << "the trigger an earlier version left off is back";
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM DEP_TRIGGERS_DESACTIVADOS"), "0");
}

}  // namespace
}  // namespace dep
