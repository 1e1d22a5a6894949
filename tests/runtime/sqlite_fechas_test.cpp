// Which columns hold dates comes from the suite's schema: its date columns are dates whatever a
// file declares for them (as other tools copy them: NUM, TEXT, nothing), and any other column is
// what its declared type says, whatever texts it holds.
#include <cctype>
#include <fstream>
#include <set>

#include "demo/demo.hpp"
#include "purge/fusion.hpp"
#include "purge/pasadas.hpp"
#include "runtime/falla.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/sqlite/columnas_fecha.hpp"
#include "tests/apoyo/falla.hpp"
#include "tests/apoyo/valor_impreso.hpp"
#include "tests/runtime/sqlite_apoyo.hpp"

namespace dep {
namespace {

using prueba::BaseTemporal;
using Ids = std::vector<std::string>;

// (TABLE, COLUMN) in upper case of every column a CREATE TABLE of `ddl` declares with a date type.
std::set<std::pair<std::string, std::string>> ColumnasDeFecha(std::string_view ddl) {
    using sqlite::EsPalabra;
    using sqlite::EsSimbolo;
    const auto t = sqlite::Tokenizar(ddl);
    std::set<std::pair<std::string, std::string>> r;
    for (std::size_t i = 0; i + 3 < t.size(); ++i) {
        if (!EsPalabra(t[i], "CREATE") || !EsPalabra(t[i + 1], "TABLE") || !EsSimbolo(t[i + 3], "("))
            continue;
        int nivel = 0;
        for (std::size_t j = i + 3; j + 1 < t.size(); ++j) {
            if (EsSimbolo(t[j], ")") && --nivel == 0) break;
            if (EsSimbolo(t[j], "(")) ++nivel;
            const bool inicio = nivel == 1 && (EsSimbolo(t[j], "(") || EsSimbolo(t[j], ","));
            if (inicio && j + 2 < t.size() && sqlite::EsTipoFecha(t[j + 2].texto))
                r.emplace(sqlite::MayusculasAscii(t[i + 2].texto), sqlite::MayusculasAscii(t[j + 1].texto));
        }
    }
    return r;
}

TEST(SqliteFechasDeLaSuite, LaListaEsLaDeLosDosEsquemas) {
    std::set<std::pair<std::string, std::string>> lista;
    for (const auto& c : sqlite::ColumnasDeFechaDeLaSuite())
        lista.emplace(sqlite::MayusculasAscii(c.tabla), sqlite::MayusculasAscii(c.columna));
    std::ifstream in(DEP_ESQUEMA_SQLSERVER);
    ASSERT_TRUE(in) << DEP_ESQUEMA_SQLSERVER;
    const std::string servidor((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(ColumnasDeFecha(EsquemaSQL()), lista);
    EXPECT_EQ(ColumnasDeFecha(servidor), lista);
    EXPECT_TRUE(lista.count({"MV_EJERCICIOS", "FECHA DESDE"}));
    EXPECT_TRUE(sqlite::EsColumnaDeFechaDeLaSuite("mv_asientos", "Fecha"));
    EXPECT_FALSE(sqlite::EsColumnaDeFechaDeLaSuite("MV_ASIENTOS", "CUENTA"));
    EXPECT_FALSE(sqlite::EsColumnaDeFechaDeLaSuite("OTRA", "FECHA"));
}

Ids Columna(const std::shared_ptr<ConexionSqlite>& cn, const std::string& sql) {
    Ids r;
    for (const auto& f : cn->Consultar(sql).filas) r.push_back(f[0].ATexto());
    return r;
}

// Five rows a table: ids 1 and 2 up to 30/06/2022, 3 later that day, 4 and 5 after it.
const char* const kFechas[] = {"2021-12-31 00:00:00", "2022-06-30 00:00:00", "2022-06-30 12:00:00",
                               "2022-07-01 00:00:00", "2023-01-15 08:30:00"};

std::string Filas(const std::string& tabla, const std::string& columnas, const std::string& valores) {
    std::string sql;
    for (int i = 0; i < 5; ++i)
        sql += "INSERT INTO " + tabla + " (" + columnas + ", FECHA) VALUES (" + std::to_string(i + 1) + ", " +
               valores + ", '" + kFechas[i] + "');";
    return sql;
}

// The suite's schema with every FECHA column declared as `GetParam()`, holding text dates.
class SqliteFechaDeclarada : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        b_.Exec(std::string("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = replace(sql, 'FECHA "
                            "DATETIME', 'FECHA ") +
                GetParam() + "') WHERE type = 'table'; PRAGMA writable_schema=OFF;");
        std::string sql =
            Filas("MV_ASIENTOS", "ID, CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE",
                  "'1101', 'FV', '0001', '00000001', 'A', 'D', 10");
        sql += Filas("MV_TRANSMISIONESLOG", "ID, REGISTROS", "0");
        for (const char* t : {"V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE"}) {
            sql += Filas(t, "ID, TC, IDCOMPROBANTE", "'X', '0'");
            sql += std::string("UPDATE ") + t + " SET IDCOMPROBANTE = ID;";
            sql += std::string("INSERT INTO ") + t +
                   "_ITEMS (TC, IDCOMPROBANTE) SELECT TC, IDCOMPROBANTE FROM " + t + ";";
        }
        b_.Exec(sql);
        cn_ = b_.Abrir();
    }
    BaseTemporal b_{std::string(EsquemaSQL())};
    std::shared_ptr<ConexionSqlite> cn_;
};

TEST_P(SqliteFechaDeclarada, LosBorradosPorFechaTocanLasFilasJustas) {
    ASSERT_NE(b_.Uno("SELECT sql FROM sqlite_master WHERE name = 'MV_ASIENTOS'")
                  .find(std::string("FECHA ") + GetParam() + " NOT NULL"),
              std::string::npos);
    EXPECT_EQ(Columna(cn_, "SELECT ID FROM MV_ASIENTOS WHERE Fecha <= '30/06/2022' ORDER BY ID"),
              (Ids{"1", "2"}));
    const std::string plan = cn_->PlanDeConsulta("SELECT ID FROM MV_ASIENTOS WHERE Fecha <= '30/06/2022'")[0];
    EXPECT_NE(plan.find("IX_MV_ASIENTOS_FECHA (FECHA<?)"), std::string::npos) << plan;
    const Value minima = cn_->Consultar("select min(fecha) as Fecha from MV_ASIENTOS").filas.at(0).at(0);
    EXPECT_EQ(minima, Value(Fecha::DesdeYMD(2021, 12, 31)));
    EXPECT_EQ(cn_->Consultar("SELECT FECHA FROM MV_ASIENTOS WHERE ID = 5").filas.at(0).at(0),
              Value(Fecha::DesdeYMD(2023, 1, 15, 8, 30)));

    EXPECT_EQ(cn_->Execute(SqlBorrarFecha("30/06/2022", kPasadas[0].filtro)), 2);
    EXPECT_EQ(cn_->Execute("DELETE MV_TRANSMISIONESLOG WHERE FECHA <= '30/06/2022'"), 2);
    cn_->Execute("EXEC KS_DEPURA_STOCK '30/06/2022'");
    for (const char* t : {"MV_ASIENTOS", "MV_TRANSMISIONESLOG", "V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE"})
        EXPECT_EQ(b_.Filas(std::string("SELECT group_concat(ID) FROM ") + t)[0][0], "3,4,5") << t;
    for (const char* t : {"V_MV_STOCK_ITEMS", "V_MV_CPTE_ITEMS", "C_MV_CPTE_ITEMS"})
        EXPECT_EQ(b_.Filas(std::string("SELECT group_concat(IDCOMPROBANTE) FROM ") + t)[0][0], "3,4,5") << t;

    // A date written into the column takes the stored form.
    cn_->Execute("UPDATE MV_ASIENTOS SET Fecha = '31/12/2022' WHERE ID = 5");
    EXPECT_EQ(b_.Uno("SELECT FECHA || ' ' || typeof(FECHA) FROM MV_ASIENTOS WHERE ID = 5"),
              "2022-12-31 00:00:00 text");
}

INSTANTIATE_TEST_SUITE_P(Tipos, SqliteFechaDeclarada,
                         ::testing::Values("NUM", "NUMERIC", "REAL", "INTEGER", "DATETIME", "DATE",
                                           "TIMESTAMP", "DATETIME2", "SMALLDATETIME", "TEXT", "VARCHAR(20)",
                                           "NVARCHAR(30)", "CHAR(19)", "BLOB", ""),
                         [](const auto& i) {
                             std::string n;
                             for (char c : std::string(i.param))
                                 n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return n.empty() ? std::string("SinTipo") : n;
                         });

// MV_ASIENTOS copied as other tools copy a table (CREATE TABLE ... AS SELECT: no key, no index,
// FECHA declared NUM), whose first rows hold keys shaped like dates.
class SqliteCopiaDeOtraHerramienta : public ::testing::Test {
  protected:
    void SetUp() override {
        b_.Exec(
            "CREATE TABLE COPIA AS SELECT * FROM MV_ASIENTOS; DROP TABLE MV_ASIENTOS;"
            "ALTER TABLE COPIA RENAME TO MV_ASIENTOS;"
            "INSERT INTO MV_ASIENTOS (ID, CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE, "
            "MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, FECHA, EsCierre, "
            "ES_SALDO_APERTURA) VALUES (1, '1101-01-01', 'FV', '0001', '00000001', 'A', 'D', 10, '$', 1, "
            "'2021-03-15', '', '01', '', '2022-06-30 00:00:00', 0, 0),(2, '2021-03-15', 'FV', '0001', "
            "'00000001', 'A', 'H', 10, '$', 1, '', '', '01', '', '2022-07-01 00:00:00', 0, 0);CREATE TABLE "
            "OTRA (ID INTEGER PRIMARY KEY, F TEXT, D DATETIME);INSERT INTO OTRA VALUES (1, '2021-03-15', "
            "'2021-03-15 00:00:00');");
        cn_ = b_.Abrir();
    }
    BaseTemporal b_{std::string(EsquemaSQL())};
    std::shared_ptr<ConexionSqlite> cn_;
};

TEST_F(SqliteCopiaDeOtraHerramienta, LasClavesConFormaDeFechaSiguenSiendoTextos) {
    ASSERT_NE(b_.Uno("SELECT sql FROM sqlite_master WHERE name = 'MV_ASIENTOS'").find("FECHA NUM"),
              std::string::npos);
    using Filas = std::vector<std::vector<Value>>;
    EXPECT_EQ(
        cn_->Consultar("SELECT CUENTA, NroComprobanteBancario, FECHA FROM MV_ASIENTOS ORDER BY ID").filas,
        (Filas{{Value("1101-01-01"), Value("2021-03-15"), Value(Fecha::DesdeYMD(2022, 6, 30))},
               {Value("2021-03-15"), Value(""), Value(Fecha::DesdeYMD(2022, 7, 1))}}));
    // Another table: what its declared type says.
    EXPECT_EQ(cn_->Consultar("SELECT F, D FROM OTRA").filas,
              (Filas{{Value("2021-03-15"), Value(Fecha::DesdeYMD(2021, 3, 15))}}));
    EXPECT_EQ(Columna(cn_, "SELECT ID FROM OTRA WHERE D <= '30/06/2022'"), Ids{"1"});
    EXPECT_EQ(Columna(cn_, "SELECT ID FROM MV_ASIENTOS WHERE CUENTA = '2021-03-15'"), Ids{"2"});
}

TEST_F(SqliteCopiaDeOtraHerramienta, ElLoteDeFusionEncuentraSuFila) {
    OperadorGuionado op;
    DataServices ds{nullptr, op};
    FormServices fs{op};
    ContextoFusion c;
    c.tipo = "CC";
    c.clave = "000100000124X";
    c.periodo = "2022";
    c.fechaResumen = "01/07/2022";
    c.mesResumen = 7;
    c.nroAsiento = 5;
    const std::pair<const char*, const char*> claves[] = {
        {"1101-01-01", "2021-03-15"}, {"1101-01-01", "66923793"}, {"2021-03-15", ""}};
    for (int vez = 0; vez < 2; ++vez) {
        for (const auto& [cuenta, nro] : claves) {
            Resultado r;
            r.columnas = {
                "CUENTA",   "DEBE-HABER", "IMPORTE",  "MONEDA", "COTIZACION", "NroComprobanteBancario",
                "TIPO_REG", "IdCajas",    "UNEGOCIO", "detalle"};
            r.filas.push_back({Value(cuenta), Value("D"), Value(1.5), Value("$"), Value(1.0), Value(nro),
                               Value(""), Value("01"), Value(""), Value("Depuracion")});
            Recordset g;
            g.Abrir(r, 0, 1);
            EXPECT_NO_THROW(cn_->Execute(LoteFusion(g, c, CondicionFusion(g, c, fs), ds, fs)))
                << cuenta << " " << nro;
        }
    }
    EXPECT_EQ(b_.Filas("SELECT CUENTA || '|' || NroComprobanteBancario || '|' || IMPORTE || '|' || FECHA "
                       "FROM MV_ASIENTOS WHERE TC = 'CC' ORDER BY 1"),
              (std::vector<std::vector<std::string>>{{"1101-01-01|2021-03-15|3.0|2022-07-01 00:00:00"},
                                                     {"1101-01-01|66923793|3.0|2022-07-01 00:00:00"},
                                                     {"2021-03-15||3.0|2022-07-01 00:00:00"}}));
}

// A literal in the operator's date form ordered against a column not read as a date would compare
// as text ('30/06/2022' after every '2023-...'): refused, even through a plan kept from another
// literal of the same shape. Equality, the stored form and date columns go through.
TEST_F(SqliteCopiaDeOtraHerramienta, OrdenarUnaFechaContraUnaColumnaQueNoEsDeFechasSeRechaza) {
    const struct {
        const char* donde;
        const char* rechazo;  // what the message names, "" when it runs
    } casos[] = {
        {"CUENTA <= '1101'", ""},
        {"CUENTA <= '30/06/2022'", "'CUENTA' de la tabla 'MV_ASIENTOS'"},
        {"'30/06/2022 10:00' > CUENTA", "'CUENTA' de la tabla 'MV_ASIENTOS'"},
        {"CUENTA BETWEEN '01/01/2020' AND 'Z'", "'CUENTA' de la tabla 'MV_ASIENTOS'"},
        {"NroComprobanteBancario !< '1.1.21'", "'NroComprobanteBancario' de la tabla 'MV_ASIENTOS'"},
        {"CUENTA = '30/06/2022'", ""},
        {"CUENTA >= '2021-03-15'", ""},
        {"FECHA <= '30/06/2022'", ""},
        {"FECHA BETWEEN '01/01/2020' AND '30/06/2022'", ""},
    };
    for (const auto& caso : casos) {
        const std::string sql = std::string("SELECT ID FROM MV_ASIENTOS WHERE ") + caso.donde;
        if (*caso.rechazo == '\0') {
            EXPECT_NO_THROW(cn_->Consultar(sql)) << sql;
            continue;
        }
        const std::string m = prueba::DescripcionDeFalla([&] { cn_->Consultar(sql); });
        EXPECT_NE(m.find(std::string(caso.rechazo) + " no es una columna de fechas"), std::string::npos) << m;
    }
    EXPECT_THROW(cn_->Execute("DELETE MV_ASIENTOS WHERE CUENTA <= '30/06/2022'"), Falla);
    EXPECT_THROW(cn_->Execute("DELETE OTRA WHERE F <= '30/06/2022'"), Falla);
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM MV_ASIENTOS"), "2");
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM OTRA"), "1");
}

TEST(SqliteFechasDeLaSuite, UnaTablaDeLaBaseDeAdministracionCuentaIgual) {
    BaseTemporal admin(
        "CREATE TABLE T (FECHA DATETIME); CREATE TABLE MV_ASIENTOS AS SELECT FECHA FROM T;"
        "INSERT INTO MV_ASIENTOS VALUES ('2022-06-30 00:00:00'), ('2022-07-01 00:00:00');",
        "admin.db");
    BaseTemporal principal;
    AjustesConexion a;
    a.prefijoAdmin = admin.Ruta();
    auto cn = principal.Abrir(a);
    EXPECT_EQ(Columna(cn, "SELECT FECHA FROM @ADMIN_MV_ASIENTOS WHERE FECHA <= '30/06/2022'"),
              Ids{"30/06/2022"});
}

}  // namespace
}  // namespace dep
