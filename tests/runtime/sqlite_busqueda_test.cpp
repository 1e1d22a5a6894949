// Equality on text keys: the same rows as the server's comparison whether or not the table has
// an index on rtrim(column) COLLATE NOCASE, and with such an index a seek on the whole key.
// Column = column: the same pairs under every kind of index, through the index while the texts
// allow it.
#include <algorithm>

#include "runtime/conversions.hpp"
#include "runtime/sqlite/colacion.hpp"
#include "tests/runtime/sqlite_apoyo.hpp"

namespace dep {
namespace {

using prueba::BaseTemporal;

// Texts that the server's comparison treats alike or apart: case, trailing blanks, a tab, a
// leading blank, Latin-1 letters in both cases, a quote, the empty text.
const std::vector<std::string> kTextos = {"cc",           "CC",
                                          "cc  ",         "cc\t",
                                          " cc",          "c",
                                          "ccc",          "",
                                          "   ",          "a\xC3\xB1o",
                                          "A\xC3\x91O ",  "ano",
                                          "\xC3\xA1rbol", "\xC3\x81RBOL",
                                          "o'brien",      "O'BRIEN  ",
                                          "\xC3\xBFRS",   "\xC3\xBFrs "};

std::string Literal(const std::string& s) {
    return "'" + DoblarComillas(s) + "'";
}

// The first column's ids of `sql`, sorted, each once.
std::vector<long long> IdsOrdenados(ConexionSqlite& cn, const std::string& sql) {
    std::vector<long long> r;
    for (const auto& f : cn.Consultar(sql).filas) r.push_back(f[0].AEntero());
    std::sort(r.begin(), r.end());
    r.erase(std::unique(r.begin(), r.end()), r.end());
    return r;
}

// The plan of a statement that takes one step, or how many it took.
std::string UnPaso(ConexionSqlite& cn, const std::string& sql) {
    const auto plan = cn.PlanDeConsulta(sql);
    return plan.size() == 1 ? plan[0] : "<" + std::to_string(plan.size()) + " pasos>";
}

class SqliteBusqueda : public ::testing::Test {
  protected:
    // CON has the index, SIN has none; both hold every pair of texts, and NULLs.
    void SetUp() override {
        std::string ddl;
        for (const char* t : {"CON", "SIN"})
            ddl += std::string("CREATE TABLE ") + t +
                   " (ID INTEGER PRIMARY KEY, A TEXT COLLATE NOCASE, B TEXT, N INTEGER DEFAULT 0);";
        ddl += "CREATE INDEX IX_CON ON CON (rtrim(A) COLLATE NOCASE, rtrim(B) COLLATE NOCASE);";
        b_.Exec(ddl);
        std::string filas;
        int id = 0;
        for (const auto& a : kTextos) {
            for (const auto& b : kTextos) {
                if (!filas.empty()) filas += ',';
                filas += '(';
                filas += std::to_string(++id) + "," + Literal(a) + "," + Literal(b) + ")";
                valores_.emplace_back(a, b);
            }
        }
        filas += ",(" + std::to_string(++id) + ",NULL,'cc')";
        b_.Exec("INSERT INTO CON (ID, A, B) VALUES " + filas + "; INSERT INTO SIN SELECT * FROM CON;");
        cn_ = b_.Abrir();
    }
    std::vector<long long> Ids(const std::string& sql) { return IdsOrdenados(*cn_, sql); }
    std::vector<long long> Esperados(const std::string& a, const std::string& b) const {
        std::vector<long long> r;
        for (std::size_t i = 0; i < valores_.size(); ++i)
            if (sqlite::CompararComoServidor(valores_[i].first, a) == 0 &&
                sqlite::CompararComoServidor(valores_[i].second, b) == 0)
                r.push_back(static_cast<long long>(i + 1));
        return r;
    }

    BaseTemporal b_;
    std::shared_ptr<ConexionSqlite> cn_;
    std::vector<std::pair<std::string, std::string>> valores_;
};

TEST_F(SqliteBusqueda, ConOSinIndiceLasMismasFilasQueElServidor) {
    for (const auto& a : kTextos) {
        for (const auto& b : kTextos) {
            const std::string donde = " WHERE A = " + Literal(a) + " AND B = " + Literal(b);
            const auto esperados = Esperados(a, b);
            EXPECT_EQ(Ids("SELECT ID FROM CON" + donde), esperados) << donde;
            EXPECT_EQ(Ids("SELECT ID FROM SIN" + donde), esperados) << donde;
        }
    }
}

TEST_F(SqliteBusqueda, ActualizarYBorrarPorLaClaveTocanLasMismasFilas) {
    // The merge's shapes: IF NOT EXISTS ... INSERT ... ELSE UPDATE, and a DELETE, by equality.
    for (const char* t : {"CON", "SIN"}) {
        for (const std::string a : {"CC ", "a\xC3\xB1o", "zz"}) {
            const std::string donde = " WHERE A = " + Literal(a) + " AND B = 'cc'";
            cn_->Execute(std::string("IF NOT EXISTS(SELECT * FROM ") + t + donde +
                         ")\r\nBEGIN\r\nINSERT INTO " + t + " (A, B, N) VALUES (" + Literal(a) +
                         ", 'cc', 1)\r\nEND\r\nELSE\r\nBEGIN\r\nUPDATE " + t + " SET N = N + 1" + donde +
                         "\r\nEND\r\n");
        }
        cn_->Execute(std::string("DELETE ") + t + " WHERE A = '\xC3\x81RBOL' AND B = ' CC'");
    }
    const std::string resumen = "SELECT group_concat(ID || ':' || N, ',') FROM (SELECT ID, N FROM ";
    EXPECT_EQ(b_.Uno(resumen + "CON WHERE N <> 0 ORDER BY ID)"),
              b_.Uno(resumen + "SIN WHERE N <> 0 ORDER BY ID)"));
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM CON WHERE N = 1"), "16") << "3 x 3 alike to cc, 2 x 3 to año, zz";
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM CON WHERE A = 'zz'"), "1") << "inserted once";
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM CON"), b_.Uno("SELECT count(*) FROM SIN"));
    EXPECT_EQ(b_.Uno("SELECT count(*) FROM CON"), std::to_string(valores_.size() + 1 + 1 - 2))
        << "the null row and zz added, árbol and ÁRBOL with ' cc' deleted";
}

TEST_F(SqliteBusqueda, ConElIndiceLaBusquedaUsaTodaLaClave) {
    const std::string todo = "USING INDEX IX_CON (<expr>=? AND <expr>=?)";
    const auto plan = cn_->PlanDeConsulta(
        "IF NOT EXISTS(SELECT * FROM CON WHERE A = 'cc' AND B = 'x' AND N = 0)\r\nBEGIN\r\n"
        "INSERT INTO CON (A, B) VALUES ('cc', 'x')\r\nEND\r\nELSE\r\nBEGIN\r\n"
        "UPDATE CON SET N = N + 1 WHERE A = 'cc' AND B = 'x'\r\nEND\r\n");
    int busquedas = 0;
    for (const auto& p : plan) {
        if (p.find(" CON ") == std::string::npos) continue;  // the condition's wrapper
        ++busquedas;
        EXPECT_NE(p.find(todo), std::string::npos) << p;
    }
    EXPECT_EQ(busquedas, 2) << "the IF's lookup and the UPDATE's";

    // A letter NOCASE does not fold: the whole table is read, the rows stay right.
    std::string paso = UnPaso(*cn_, "SELECT ID FROM CON WHERE A = '\xC3\xA1rbol' AND B = 'x'");
    EXPECT_EQ(paso.find("IX_CON"), std::string::npos) << paso;
    EXPECT_NE(paso.find("SCAN"), std::string::npos) << paso;

    // ÿ has no other case under the server's rules: it seeks like ASCII.
    paso = UnPaso(*cn_, "SELECT ID FROM CON WHERE A = '\xC3\xBFrs' AND B = 'x'");
    EXPECT_NE(paso.find(todo), std::string::npos) << paso;

    // Terms of an OR keep their bounds, so that a better index of the other terms is taken
    // (the consolidation's date) instead of one seek per branch.
    b_.Exec("CREATE INDEX IX_CON_N ON CON (N)");
    paso = UnPaso(*b_.Abrir(), "SELECT ID FROM CON WHERE N <= 3 AND (A = 'cc' OR A = 'x' OR A = 'y')");
    EXPECT_NE(paso.find("IX_CON_N"), std::string::npos) << paso;

    // A file whose index is on the plain column keeps the bounds on its first column.
    b_.Exec("CREATE INDEX IX_SIN ON SIN (A, B)");
    paso = UnPaso(*b_.Abrir(), "SELECT ID FROM SIN WHERE A = 'cc' AND B = 'x'");
    EXPECT_NE(paso.find("INDEX IX_SIN (A>? AND A<?)"), std::string::npos) << paso;
}

// The tables' texts: every awkward one, or only those a plain comparison under the index's
// collation judges as the server does (then the index serves the pair).
struct CasoPar {
    const char* nombre;
    const char* columna;  // P.X's and H.X's declaration
    const char* indice;   // on P, "" none
    sqlite::FormaDeTexto forma;
};

class SqlitePares : public ::testing::TestWithParam<CasoPar> {
  protected:
    void Llenar(bool soloEnForma) {
        const CasoPar& c = GetParam();
        b_.Exec(std::string("CREATE TABLE P (ID INTEGER PRIMARY KEY, X ") + c.columna +
                ", FECHA DATETIME); CREATE TABLE H (ID INTEGER PRIMARY KEY, X " + c.columna + ");" +
                c.indice);
        std::vector<std::string> textos = kTextos;
        for (const char* t : {"C", "CCC", "O'BRIEN", "CC\t", " CC", "\xC3\x91"}) textos.emplace_back(t);
        if (soloEnForma)
            textos.erase(
                std::remove_if(textos.begin(), textos.end(),
                               [&](const std::string& t) { return sqlite::FueraDeForma(t, c.forma); }),
                textos.end());
        std::string filas;
        for (const auto& t : textos) filas += (filas.empty() ? "" : ",") + ("(" + Literal(t) + ")");
        b_.Exec("INSERT INTO P (X) VALUES " + filas + ", (NULL); INSERT INTO H (ID, X) SELECT ID, X FROM P;");
        textos_ = textos;
        cn_ = b_.Abrir();
    }
    // H's ids (1-based, in insertion order) with a partner in P under the server's comparison.
    std::vector<long long> Esperados() {
        std::vector<std::string> enP;
        for (const auto& f : b_.Filas("SELECT X FROM P WHERE X IS NOT NULL")) enP.push_back(f[0]);
        std::vector<long long> r;
        for (std::size_t i = 0; i < textos_.size(); ++i)
            if (std::any_of(enP.begin(), enP.end(), [&](const std::string& p) {
                    return sqlite::CompararComoServidor(p, textos_[i]) == 0;
                }))
                r.push_back(static_cast<long long>(i + 1));
        return r;
    }
    std::vector<long long> Ids(const std::string& sql) { return IdsOrdenados(*cn_, sql); }
    void MismosParesQueElServidor() {
        const auto esperados = Esperados();
        EXPECT_EQ(Ids(kExiste), esperados);
        EXPECT_EQ(Ids("SELECT H.ID FROM H JOIN P ON P.X = H.X"), esperados);
        EXPECT_EQ(Ids("SELECT H.ID FROM H, P WHERE H.X = P.X"), esperados);
        cn_->Execute("DELETE H WHERE EXISTS (SELECT 1 FROM P WHERE P.X = H.X)");
        EXPECT_EQ(b_.Uno("SELECT count(*) FROM H"), std::to_string(textos_.size() + 1 - esperados.size()));
    }
    bool PorElIndice() {
        for (const auto& p : cn_->PlanDeConsulta(kExiste))
            if (p.find("SEARCH P USING") != std::string::npos && p.find("IX_P") != std::string::npos)
                return true;
        return false;
    }

    static constexpr const char* kExiste = "SELECT ID FROM H WHERE EXISTS (SELECT 1 FROM P WHERE P.X = H.X)";
    BaseTemporal b_;
    std::shared_ptr<ConexionSqlite> cn_;
    std::vector<std::string> textos_;
};

TEST_P(SqlitePares, TextosEnFormaPorElIndice) {
    Llenar(true);
    EXPECT_EQ(PorElIndice(), std::string(GetParam().indice).find("IX_P") != std::string::npos);
    MismosParesQueElServidor();
}

TEST_P(SqlitePares, TextosFueraDeFormaSinElIndiceYLosMismosPares) {
    Llenar(false);
    EXPECT_FALSE(PorElIndice());
    MismosParesQueElServidor();
}

TEST_P(SqlitePares, UnTextoQueLlegaDespuesLoVeLaSiguienteVez) {
    // The statement's plan is kept; the texts are looked at again at each run.
    Llenar(true);
    b_.Exec("DELETE FROM P WHERE X LIKE 'c%'");
    const auto antes = Ids(kExiste);
    EXPECT_EQ(antes, Esperados());
    b_.Exec("INSERT INTO P (X) VALUES ('cc  ')");
    EXPECT_EQ(Ids(kExiste), Esperados());
    EXPECT_GT(Esperados().size(), antes.size());
}

// A table indexed both on its plain key and on rtrim of its first column, with statistics that
// make the rtrim index and the date index look better than they are: each shape the engine
// rewrites must still take the index the statement as written takes, as long as the texts allow.
struct CasoPlan {
    const char* nombre;
    const char* columna;  // X's and Y's declaration in P and H
    const char* blanco;   // a text put into P.X ("" none): trailing blanks leave the rtrim seek alone
    const char* indice;   // the index the translated statement must take
};

class SqlitePlanes : public ::testing::TestWithParam<CasoPlan> {};

TEST_P(SqlitePlanes, ElPlanEsElDeLaSentenciaEscrita) {
    const CasoPlan& c = GetParam();
    BaseTemporal b(
        std::string("CREATE TABLE P (ID INTEGER PRIMARY KEY, X ") + c.columna + ", Y " + c.columna +
        ", FECHA DATETIME); CREATE TABLE H (ID INTEGER PRIMARY KEY, X " + c.columna + ", Y " + c.columna +
        ");"
        "CREATE INDEX IX_P_CLAVE ON P (X, Y); CREATE INDEX IX_P_FECHA ON P (FECHA);"
        "CREATE INDEX IX_P_SB ON P (rtrim(X) COLLATE NOCASE, FECHA);"
        "CREATE INDEX IX_H ON H (X, Y);"
        "INSERT INTO P (X, Y, FECHA) VALUES ('FA', '0001', '2022-01-01'), ('FB', '0002', "
        "'2023-01-01');INSERT INTO H (X, Y) VALUES ('FA', '0001'), ('FB', '0002'), ('FC', '0003');ANALYZE; "
        "DELETE FROM sqlite_stat1;INSERT INTO sqlite_stat1 VALUES ('P', 'IX_P_CLAVE', '200000 1000 1'), "
        "('P', 'IX_P_FECHA', '200000 2'), ('P', 'IX_P_SB', '200000 10 2'), ('H', 'IX_H', '600000 3000 3');");
    if (*c.blanco) b.Exec(std::string("UPDATE P SET X = '") + c.blanco + "' WHERE ID = 1");
    auto cn = b.Abrir();
    const std::string pares = "P.X = H.X AND P.Y = H.Y";
    const std::vector<std::pair<std::string, std::string>> formas = {
        // T-SQL as sent, the statement as SQLite would take it written by hand
        {"SELECT ID FROM H WHERE EXISTS (SELECT 1 FROM P WHERE " + pares + " AND P.FECHA <= '31/12/2022')",
         "SELECT ID FROM H WHERE EXISTS (SELECT 1 FROM P WHERE " + pares + " AND P.FECHA <= '2022-12-31')"},
        {"DELETE H WHERE EXISTS (SELECT 1 FROM P WHERE " + pares + " AND P.FECHA <= '31/12/2022')",
         "DELETE FROM H WHERE EXISTS (SELECT 1 FROM P WHERE " + pares + " AND P.FECHA <= '2022-12-31')"},
        {"IF EXISTS (SELECT 1 FROM P, H WHERE " + pares + ") PRINT 'si'",
         "SELECT CASE WHEN EXISTS (SELECT 1 FROM P, H WHERE " + pares + ") THEN 1 ELSE 0 END"},
    };
    for (const auto& [tsql, escrita] : formas) {
        std::string planEscrita, planTraducida;
        for (const auto& f : b.Filas("EXPLAIN QUERY PLAN " + escrita)) planEscrita += f[3] + "\n";
        for (const auto& p : cn->PlanDeConsulta(tsql)) planTraducida += p + "\n";
        EXPECT_NE(planTraducida.find(c.indice), std::string::npos) << tsql << "\n" << planTraducida;
        if (std::string(c.indice) == "IX_P_CLAVE") {
            EXPECT_EQ(planTraducida, planEscrita) << tsql;
        }
    }
    // Whichever form runs, the rows are the server's: FA (with or without its blanks) is on or
    // before the cut-off date, FB after it, FC has no head.
    cn->Execute(formas[1].first);
    EXPECT_EQ(b.Uno("SELECT group_concat(X, ',') FROM (SELECT X FROM H ORDER BY ID)"), "FB,FC");
}

INSTANTIATE_TEST_SUITE_P(Formas, SqlitePlanes,
                         ::testing::Values(CasoPlan{"Nocase", "TEXT COLLATE NOCASE", "", "IX_P_CLAVE"},
                                           CasoPlan{"Binaria", "TEXT", "", "IX_P_CLAVE"},
                                           CasoPlan{"BlancosFinales", "TEXT COLLATE NOCASE", "fa  ",
                                                    "IX_P_SB"}),
                         [](const auto& i) { return std::string(i.param.nombre); });

INSTANTIATE_TEST_SUITE_P(
    Indices, SqlitePares,
    ::testing::Values(
        CasoPar{"Nocase", "TEXT COLLATE NOCASE", "CREATE INDEX IX_P ON P (X);", sqlite::FormaDeTexto::Nocase},
        CasoPar{"SinBlancos", "TEXT COLLATE NOCASE", "CREATE INDEX IX_P ON P (rtrim(X) COLLATE NOCASE);",
                sqlite::FormaDeTexto::SinPliegue},
        CasoPar{"Binaria", "TEXT", "CREATE INDEX IX_P ON P (X);", sqlite::FormaDeTexto::Binaria},
        CasoPar{"SinIndice", "TEXT COLLATE NOCASE", "", sqlite::FormaDeTexto::Nocase}),
    [](const auto& i) { return std::string(i.param.nombre); });

}  // namespace
}  // namespace dep
