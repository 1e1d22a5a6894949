// Running the translated plans: prepared statements kept by shape, literals bound as parameters,
// IF branches, PRINT messages and the rows handed back as Values.
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <functional>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/colacion.hpp"
#include "runtime/sqlite/columnas_fecha.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/contexto.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep {

using sqlite::Paso;
using sqlite::TipoToken;
using sqlite::Token;

namespace {

constexpr std::size_t kMaxSentencias = 400;
constexpr std::size_t kMaxPlanes = 2000;

bool PareceFechaIso(const unsigned char* s, int n) {
    if (n != 10 && n != 19) return false;
    auto d = [&](int i) { return s[i] >= '0' && s[i] <= '9'; };
    return d(0) && d(1) && d(2) && d(3) && s[4] == '-' && d(5) && d(6) && s[7] == '-' && d(8) && d(9) &&
           (n == 10 || (s[10] == ' ' && s[13] == ':' && s[16] == ':'));
}

bool TipoDecimal(const char* decl) {
    if (!decl) return false;
    const std::string u = sqlite::MayusculasAscii(decl);
    for (const char* p : {"MONEY", "DEC", "NUMERIC", "REAL", "FLOA", "DOUB"})
        if (u.find(p) != std::string::npos) return true;
    return false;
}

// Whether a text in the stored date form at result column i is a date: in a column of a table, when
// the column is read as a date (a date column of the suite whatever its declared type, any other
// by a declared date type); in an expression (MIN(FECHA)), when it has no declared type.
bool SeLeeComoFecha(sqlite3_stmt* st, int i) {
    const char* decl = sqlite3_column_decltype(st, i);
    const char* tabla = sqlite3_column_table_name(st, i);
    const char* columna = sqlite3_column_origin_name(st, i);
    if (tabla && columna) return sqlite::ColumnaLeidaComoFecha(tabla, columna, decl ? decl : "");
    return !decl || sqlite::EsTipoFecha(decl);
}

// Column values: INTEGER -> integer, REAL -> double; declared MONEY/DECIMAL/NUMERIC/REAL/FLOAT
// columns always come back as double (the server's currency has four decimals, which a double
// carries exactly enough for the sums shown); a 'YYYY-MM-DD[ HH:MM:SS]' text comes back as a date
// where SeLeeComoFecha says so, and an empty text is never one.
Value Leer(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
        case SQLITE_NULL:
            return Value::Nulo();
        case SQLITE_INTEGER: {
            const long long v = sqlite3_column_int64(st, i);
            if (TipoDecimal(sqlite3_column_decltype(st, i))) return Value(static_cast<double>(v));
            return Value(v);
        }
        case SQLITE_FLOAT:
            return Value(sqlite3_column_double(st, i));
        default: {
            const auto* s = sqlite3_column_text(st, i);
            const int n = sqlite3_column_bytes(st, i);
            std::string_view texto(reinterpret_cast<const char*>(s), static_cast<std::size_t>(n));
            if (PareceFechaIso(s, n) && SeLeeComoFecha(st, i))
                if (auto f = LeerFechaIso(texto)) return Value(*f);
            return Value(std::string(texto));
        }
    }
}

// In an index's text, "rtrim ( column ) COLLATE NOCASE": the column's name, or "".
std::string ColumnaSinBlancos(const std::vector<Token>& t, std::size_t i) {
    using sqlite::EsPalabra;
    using sqlite::EsSimbolo;
    if (i + 5 >= t.size() || !EsPalabra(t[i], "RTRIM") || !EsSimbolo(t[i + 1], "(") ||
        !EsSimbolo(t[i + 3], ")") || !EsPalabra(t[i + 4], "COLLATE") || !EsPalabra(t[i + 5], "NOCASE"))
        return {};
    const Token& c = t[i + 2];
    return c.tipo == TipoToken::Nombre || c.tipo == TipoToken::Palabra ? c.texto : std::string();
}

}  // namespace

void ConexionSqlite::MarcarIndicesSinBlancos(const std::string& base, const std::string& tabla,
                                             std::vector<sqlite::Columna>& cols) {
    const std::string sql = "SELECT sql FROM " +
                            (base.empty() ? std::string() : sqlite::interno::Comillas(base) + ".") +
                            "sqlite_master WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = ? "
                            "COLLATE NOCASE";
    sqlite::SentenciaPreparada st(db_, sql);
    st.Texto(1, tabla);
    while (st.Fila()) {
        std::vector<Token> t;
        try {
            t = sqlite::Tokenizar(st.Columna(0));
        } catch (const Falla&) {
            continue;  // an index text this lexer cannot read only means no seek on it
        }
        for (std::size_t i = 0; i < t.size(); ++i) {
            const std::string nombre = ColumnaSinBlancos(t, i);
            if (nombre.empty()) continue;
            for (auto& c : cols)
                if (sqlite::MayusculasAscii(c.nombre) == sqlite::MayusculasAscii(nombre))
                    c.indiceSinBlancos = true;
        }
    }
    sqlite::SentenciaPreparada planos(db_,
                                      "SELECT ii.name FROM pragma_index_list(?1, ?2) AS il, "
                                      "pragma_index_xinfo(il.name, ?2) AS ii WHERE ii.key AND ii.cid >= 0");
    planos.Texto(1, tabla);
    planos.Texto(2, base.empty() ? std::string("main") : base);
    while (planos.Fila()) {
        const std::string nombre = sqlite::MayusculasAscii(planos.Columna(0));
        for (auto& c : cols)
            if (sqlite::MayusculasAscii(c.nombre) == nombre) c.indicePlano = true;
    }
}

const std::vector<sqlite::Columna>* ConexionSqlite::Columnas(const std::string& base,
                                                             const std::string& tabla) {
    const std::string clave = sqlite::MayusculasAscii(base + "." + tabla);
    if (auto it = columnas_.find(clave); it != columnas_.end()) return &it->second;
    const std::string sql = "PRAGMA " +
                            (base.empty() ? std::string() : sqlite::interno::Comillas(base) + ".") +
                            "table_info(" + sqlite::interno::Comillas(tabla) + ")";
    sqlite::SentenciaPreparada st(db_, sql);
    if (!st) return nullptr;
    std::vector<sqlite::Columna> cols;
    while (st.Fila()) cols.push_back(sqlite::Columna{st.Columna(1), st.Columna(2), {}});
    for (auto& c : cols) {
        const char* colacion = nullptr;
        if (sqlite3_table_column_metadata(db_, base.empty() ? "main" : base.c_str(), tabla.c_str(),
                                          c.nombre.c_str(), nullptr, &colacion, nullptr, nullptr,
                                          nullptr) == SQLITE_OK &&
            colacion)
            c.colacion = colacion;
    }
    if (cols.empty()) return nullptr;
    MarcarIndicesSinBlancos(base, tabla, cols);
    return &columnas_.emplace(clave, std::move(cols)).first->second;
}

void ConexionSqlite::OlvidarEsquema() {
    columnas_.clear();
    planes_.clear();
}

std::shared_ptr<const sqlite::Plan> ConexionSqlite::PlanDe(const std::vector<Token>& t,
                                                           std::string_view texto) {
    const std::string forma = sqlite::Forma(t);
    if (auto it = planes_.find(forma); it != planes_.end()) {
        bool iguales = true;
        for (std::size_t i = 0; i < it->second.plan->literalesFijos.size() && iguales; ++i)
            iguales = t[it->second.plan->literalesFijos[i]].texto == it->second.fijos[i];
        if (iguales) return it->second.plan;
    }
    auto plan = std::make_shared<sqlite::Plan>(traductor_.Traducir(t, texto));
    if (plan->reutilizable) {
        if (planes_.size() >= kMaxPlanes) planes_.clear();
        EntradaPlan e{plan, {}};
        for (std::size_t i : plan->literalesFijos) e.fijos.push_back(t[i].texto);
        planes_[forma] = std::move(e);
    }
    return plan;
}

sqlite3_stmt* ConexionSqlite::Preparada(const std::string& sql) {
    if (auto it = sentencias_.find(sql); it != sentencias_.end()) return it->second.get();
    if (sentencias_.size() >= kMaxSentencias) sentencias_.clear();
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    sqlite::SentenciaGuardada propia(st);
    if (rc != SQLITE_OK) return nullptr;
    return sentencias_.emplace(sql, std::move(propia)).first->second.get();
}

namespace {

bool EsLectura(const std::string& sql) {
    return sql.size() > 7 && sqlite::MayusculasAscii(sql.substr(0, 7)) == "SELECT ";
}

}  // namespace

// Along the worst path of the steps, after `n`: writes, and statements that may fail after a
// write. Up to 1 the batch needs no savepoint, as SQLite undoes a failing statement by itself
// (the merge batch: an IF lookup, then one INSERT or one UPDATE).
int ConexionSqlite::Riesgo(const std::vector<Paso>& pasos, int n) {
    for (const Paso& p : pasos) {
        switch (p.tipo) {
            case Paso::Tipo::Sql:
                if (!EsLectura(p.sql) || n > 0) ++n;
                // The check of its column pairs reads first: one transaction keeps both on the
                // same rows.
                if (!p.comprobacion.empty() && !EsLectura(p.sql)) ++n;
                break;
            case Paso::Tipo::Si: {
                const int m = n > 0 ? n + 1 : n;
                n = std::max(Riesgo(p.entonces, m), Riesgo(p.sino, m));
                break;
            }
            case Paso::Tipo::Bloque:
                n = Riesgo(p.entonces, n);
                break;
            case Paso::Tipo::Exec:
            case Paso::Tipo::Disparadores:
                n += 2;  // several statements of their own
                break;
            case Paso::Tipo::Print:
            case Paso::Tipo::Nada:
                break;
        }
    }
    return n;
}

// The savepoint of a batch that needs one: released by Confirmar, undone on every other way out.
class ConexionSqlite::Lote {
  public:
    Lote(ConexionSqlite& cn, bool hace, const std::string& tsql) : cn_(cn), abierto_(hace), tsql_(tsql) {
        if (abierto_) cn_.EjecutarPreparada("SAVEPOINT dep_lote", tsql_);
    }
    ~Lote() {
        if (!abierto_) return;
        sqlite3_exec(cn_.db_, "ROLLBACK TO dep_lote", nullptr, nullptr, nullptr);
        sqlite3_exec(cn_.db_, "RELEASE dep_lote", nullptr, nullptr, nullptr);
    }
    Lote(const Lote&) = delete;
    Lote& operator=(const Lote&) = delete;
    void Confirmar() {
        if (!abierto_) return;
        abierto_ = false;
        cn_.EjecutarPreparada("RELEASE dep_lote", tsql_);
    }

  private:
    ConexionSqlite& cn_;
    bool abierto_;
    const std::string& tsql_;
};

long ConexionSqlite::Correr(const std::string& sql, Resultado* res, const char* que) {
    errores_.clear();
    if (!db_)
        throw Falla(err::kOperacionNoPermitida, "La conexión con la base de datos está cerrada",
                    "depuracion/sqlite");
    try {
        const std::vector<Token> t = sqlite::Tokenizar(sql);
        const auto plan = PlanDe(t, sql);
        // A batch is all or nothing: a refused statement undoes what the batch did before it.
        Lote lote(*this, Riesgo(plan->pasos, 0) > 1, sql);
        Contexto c{t, sql, res};
        Pasos(plan->pasos, c);
        lote.Confirmar();
        const long filas = c.dml ? c.filas : -1;
        Trazar(que, sql,
               res ? std::to_string(res->filas.size()) + " filas leídas" : std::to_string(filas) + " filas");
        return filas;
    } catch (const Falla& f) {
        // A statement sent outside any transaction leaves none open, whatever failed inside it (a
        // full disk can stop the undo of its savepoint half way): what runs next must not join
        // work that will never be committed.
        if (nivel_ == 0 && !sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        bool hay = false;
        for (const auto& e : errores_) hay = hay || !e.informativo;
        if (!hay)
            errores_.push_back(ErrorBD{f.Numero(), f.Descripcion(), "depuracion/sqlite", "42000", false});
        if (res) *res = Resultado{};
        Trazar(que, sql, "ERROR " + std::to_string(f.Numero()) + ": " + f.Descripcion());
        throw;
    }
}

void ConexionSqlite::Pasos(const std::vector<Paso>& pasos, Contexto& c) {
    for (const Paso& p : pasos) {
        switch (p.tipo) {
            case Paso::Tipo::Sql:
                PasoSql(p, c, c.res && !c.lleno);
                break;
            case Paso::Tipo::Si:
                Pasos(PasoSql(p, c, false) != 0 ? p.entonces : p.sino, c);
                break;
            case Paso::Tipo::Bloque:
                Pasos(p.entonces, c);
                break;
            case Paso::Tipo::Print: {
                std::string m;
                for (std::size_t k : p.argumentos) m += c.t[k].texto;
                errores_.push_back(ErrorBD{0, m, "depuracion/sqlite", "01000", true});
                break;
            }
            case Paso::Tipo::Exec:
                PasoExec(p, c);
                break;
            case Paso::Tipo::Disparadores:
                PasoDisparadores(p, c);
                break;
            case Paso::Tipo::Nada:
                break;
        }
    }
}

const std::string& ConexionSqlite::SqlParaLiterales(const Paso& p, const std::vector<Token>& t) {
    if (p.sqlAmplio.empty()) return p.sql;
    for (const auto& prm : p.params)
        if (prm.rango == sqlite::Rango::SinBlancos && sqlite::PliegaMasQueNocase(t[prm.token].texto))
            return p.sqlAmplio;
    if (!p.comprobacion.empty()) {
        // A check that cannot run counts as texts out of form: the wide form is always right.
        auto enForma = [&](const std::string& comprobacion) {
            sqlite::SentenciaEnUso st(Preparada(comprobacion));
            return st.Fila() && sqlite3_column_int(st.get(), 0) == 0;
        };
        if (enForma(p.comprobacion)) return p.sql;
        if (!p.comprobacionMedia.empty() && enForma(p.comprobacionMedia)) return p.sqlMedio;
        return p.sqlAmplio;
    }
    return p.sql;
}

std::vector<std::string> ConexionSqlite::PlanDeConsulta(const std::string& tsql) {
    const std::vector<Token> t = sqlite::Tokenizar(tsql);
    const auto plan = PlanDe(t, tsql);
    std::vector<std::string> r;
    std::function<void(const std::vector<Paso>&)> recorrer = [&](const std::vector<Paso>& pasos) {
        for (const Paso& p : pasos) {
            if (p.tipo == Paso::Tipo::Sql || p.tipo == Paso::Tipo::Si) {
                const std::string sql = "EXPLAIN QUERY PLAN " + SqlParaLiterales(p, t);
                sqlite::SentenciaPreparada st(db_, sql);
                if (!st) r.push_back(std::string("ERROR ") + sqlite3_errmsg(db_));
                while (st.Fila()) r.push_back(st.Columna(3));
            }
            recorrer(p.entonces);
            recorrer(p.sino);
        }
    };
    recorrer(plan->pasos);
    return r;
}

// Runs one statement. With `recoger` its rows go to the result; an IF condition gives its value.
long long ConexionSqlite::PasoSql(const Paso& p, Contexto& c, bool recoger) {
    // The statement's own text, for a message only: most statements never need it.
    auto tsql = [&] { return sqlite::TextoDe(c.t, c.texto, p.desde, p.hasta); };
    sqlite3_stmt* st = Preparada(SqlParaLiterales(p, c.t));
    if (!st) Rehusar("Error en la sentencia \"" + tsql() + "\": " + sqlite3_errmsg(db_), "42000");
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    int n = 0;
    for (const auto& prm : p.params) {
        const Token& x = c.t[prm.token];
        ++n;
        const std::string_view texto = x.texto;
        if (x.tipo == TipoToken::Numero) {
            const char* a = x.texto.data();
            const char* b = a + x.texto.size();
            long long entero = 0;
            if (x.texto.find_first_of(".eE") == std::string::npos &&
                std::from_chars(a, b, entero).ec == std::errc{}) {
                sqlite3_bind_int64(st, n, entero);
            } else {
                double d = 0;
                std::from_chars(a, b, d);
                sqlite3_bind_double(st, n, d);
            }
        } else if (!prm.sinFecha.empty() && sqlite::EsFechaDelOperador(texto)) {
            // The translation refuses it too; here for a plan it made with another literal.
            sqlite::interno::NoTraducible(c.t, c.texto, p.desde, p.hasta,
                                          sqlite::MotivoOrdenSinFecha(prm.sinFecha, x.texto));
        } else if (prm.fecha) {
            const std::string recortado = Recortar(x.texto);
            std::string iso;
            if (recortado.empty()) {
                iso = "1900-01-01 00:00:00";  // the server reads an empty text as its day zero
            } else if (auto f = ReconocerFecha(recortado)) {
                iso = TextoFechaIso(*f);
            } else {
                Rehusar("Error en la sentencia \"" + tsql() + "\": el texto '" + x.texto +
                            "' no se puede convertir en fecha (se espera día/mes/año)",
                        "22007");
            }
            sqlite3_bind_text(st, n, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
        } else if (prm.rango == sqlite::Rango::SinBlancos) {
            const std::string_view v = sqlite::SinBlancosFinales(texto);
            sqlite3_bind_text(st, n, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        } else if (prm.rango != sqlite::Rango::Valor) {
            std::string_view v = sqlite::SinBlancosFinales(texto);
            const bool acotable = sqlite::Acotable(v, prm.nocase);
            if (prm.rango == sqlite::Rango::Desde) {
                if (!acotable) v = std::string_view("", 0);  // a null pointer would bind NULL
                sqlite3_bind_text(st, n, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
            } else if (acotable) {
                const std::string hasta = std::string(v) + "!";
                sqlite3_bind_text(st, n, hasta.c_str(), static_cast<int>(hasta.size()), SQLITE_TRANSIENT);
            } else {
                static const unsigned char kSobreTodoTexto = 0xFF;  // a blob sorts after every text
                sqlite3_bind_blob(st, n, &kSobreTodoTexto, 1, SQLITE_STATIC);
            }
        } else {
            sqlite3_bind_text(st, n, texto.data(), static_cast<int>(texto.size()), SQLITE_STATIC);
        }
    }
    const bool escribe = !sqlite3_stmt_readonly(st);
    const int columnas = sqlite3_column_count(st);
    if (recoger && columnas > 0) {
        c.res->columnas.clear();
        for (int i = 0; i < columnas; ++i) c.res->columnas.emplace_back(sqlite3_column_name(st, i));
        c.lleno = true;
    } else {
        recoger = false;
    }
    long long primero = 0;
    bool hayPrimero = false;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (recoger) {
            std::vector<Value> fila;
            fila.reserve(static_cast<std::size_t>(columnas));
            for (int i = 0; i < columnas; ++i) fila.push_back(Leer(st, i));
            c.res->filas.push_back(std::move(fila));
        } else if (!hayPrimero && columnas > 0) {
            primero = sqlite3_column_int64(st, 0);
            hayPrimero = true;
        }
    }
    if (rc != SQLITE_DONE) {
        const std::string msg = sqlite3_errmsg(db_);
        const int codigo = rc & 0xFF;
        sqlite3_reset(st);
        const char* estado = codigo == SQLITE_CONSTRAINT ? "23000"
                             : codigo == SQLITE_BUSY     ? "HYT00"
                                                         : "42000";
        Rehusar("Error en la sentencia \"" + tsql() + "\": " + msg, estado);
    }
    sqlite3_reset(st);
    if (escribe && !p.cambiaEsquema) {
        c.filas += sqlite3_changes(db_);
        c.dml = true;
    }
    if (p.cambiaEsquema) OlvidarEsquema();
    return primero;
}

void ConexionSqlite::EjecutarPreparada(const std::string& sql, const std::string& tsql) {
    sqlite3_stmt* st = Preparada(sql);
    if (!st) Rehusar("Error en la sentencia \"" + tsql + "\": " + sqlite3_errmsg(db_), "42000");
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        Rehusar("Error en la sentencia \"" + tsql + "\": " + sqlite3_errmsg(db_), "42000");
}

void ConexionSqlite::Ejecutar(const std::string& sql, const std::string& tsql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
    if (rc == SQLITE_OK) return;
    const std::string texto = msg ? msg : sqlite3_errstr(rc);
    sqlite3_free(msg);
    Rehusar("Error en la sentencia \"" + tsql + "\": " + texto, "42000");
}

}  // namespace dep
