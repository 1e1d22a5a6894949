// The two things SQLite has no statement for: stored procedures (kept as T-SQL text in the table
// DEP_PROCEDIMIENTOS) and switching a table's triggers off and on (their SQL kept meanwhile in
// DEP_TRIGGERS_DESACTIVADOS of the table's own database). Both run inside the savepoint of the
// batch, so a refusal or a rollback of the caller's transaction undoes them.
#include <sqlite3.h>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/contexto.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep {

using sqlite::Paso;
using sqlite::TipoToken;
using sqlite::Token;
using sqlite::interno::Comillas;

namespace {

constexpr int kMaxAnidamiento = 8;

// A prepared statement of the engine's own, finalized on every path.
class Propia {
  public:
    Propia(sqlite3* db, const std::string& sql) {
        rc_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &st_, nullptr);
    }
    ~Propia() { sqlite3_finalize(st_); }
    Propia(const Propia&) = delete;
    Propia& operator=(const Propia&) = delete;
    bool Bien() const { return rc_ == SQLITE_OK; }
    void Texto(int i, const std::string& s) { sqlite3_bind_text(st_, i, s.c_str(), -1, SQLITE_TRANSIENT); }
    bool Fila() { return (rc_ = sqlite3_step(st_)) == SQLITE_ROW; }
    int Codigo() const { return rc_; }
    std::string Columna(int i) const {
        const auto* s = sqlite3_column_text(st_, i);
        return s ? reinterpret_cast<const char*>(s) : "";
    }

  private:
    sqlite3_stmt* st_ = nullptr;
    int rc_;
};

}  // namespace

void ConexionSqlite::PasoExec(const Paso& p, Contexto& c) {
    const std::string tsql = sqlite::TextoDe(c.t, c.texto, p.desde, p.hasta);
    if (c.profundidad >= kMaxAnidamiento)
        Rehusar("Se superó el máximo de procedimientos anidados en \"" + tsql + "\"", "42000");
    std::string parametros, cuerpo;
    bool existe = false;
    {
        Propia st(db_, "SELECT PARAMETROS, CUERPO FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = ? COLLATE NOCASE");
        if (st.Bien()) {
            st.Texto(1, p.nombre);
            if (st.Fila()) {
                existe = true;
                parametros = st.Columna(0);
                cuerpo = st.Columna(1);
            }
        }
    }
    if (!existe) Rehusar("No se encontró el procedimiento almacenado '" + p.nombre + "'.", "42000");

    std::vector<std::string> nombres;  // "@FECHA", upper case
    for (std::size_t desde = 0; desde < parametros.size();) {
        std::size_t fin = parametros.find(',', desde);
        if (fin == std::string::npos) fin = parametros.size();
        const std::string item = Recortar(parametros.substr(desde, fin - desde));
        desde = fin + 1;
        if (!item.empty())
            nombres.push_back(sqlite::MayusculasAscii(item.substr(0, item.find_first_of(" \t"))));
    }
    std::vector<const Token*> valores(nombres.size(), nullptr);
    std::size_t posicion = 0;
    for (std::size_t i = 0; i < p.argumentos.size(); ++i) {
        std::size_t destino = posicion++;
        if (!p.nombresArg[i].empty()) {
            const std::string u = sqlite::MayusculasAscii(p.nombresArg[i]);
            destino = nombres.size();
            for (std::size_t k = 0; k < nombres.size(); ++k)
                if (nombres[k] == u) destino = k;
            if (destino == nombres.size())
                Rehusar("'" + p.nombresArg[i] + "' no es un parámetro del procedimiento '" + p.nombre + "'.",
                        "42000");
        }
        if (destino >= nombres.size())
            Rehusar("El procedimiento '" + p.nombre + "' tiene demasiados argumentos especificados.",
                    "42000");
        valores[destino] = &c.t[p.argumentos[i]];
    }
    for (std::size_t k = 0; k < nombres.size(); ++k)
        if (!valores[k])
            Rehusar("El procedimiento '" + p.nombre + "' espera el parámetro '" + nombres[k] +
                        "', que no se ha proporcionado.",
                    "42000");

    // The arguments replace the parameters as tokens, so a quote inside a value stays a value.
    std::vector<Token> t = sqlite::Tokenizar(cuerpo);
    for (Token& x : t) {
        if (x.tipo != TipoToken::Variable) continue;
        const std::string u = sqlite::MayusculasAscii(x.texto);
        for (std::size_t k = 0; k < nombres.size(); ++k)
            if (nombres[k] == u) {
                x.tipo = valores[k]->tipo;
                x.texto = valores[k]->texto;
            }
    }
    const auto plan = PlanDe(t, cuerpo);
    Contexto hijo{t, cuerpo, c.res, c.lleno, 0, false, c.profundidad + 1};
    Pasos(plan->pasos, hijo);
    c.lleno = hijo.lleno;
    c.filas += hijo.filas;
    c.dml = c.dml || hijo.dml;
}

void ConexionSqlite::PasoDisparadores(const Paso& p, Contexto& c) {
    const std::string tsql = sqlite::TextoDe(c.t, c.texto, p.desde, p.hasta);
    const std::string esquema = p.base.empty() ? "main" : p.base;
    const std::string maestro = Comillas(esquema) + ".sqlite_master";
    const std::string guardados = Comillas(esquema) + ".DEP_TRIGGERS_DESACTIVADOS";
    std::string tabla;
    {
        Propia st(db_, "SELECT name FROM " + maestro +
                           " WHERE type IN ('table','view') AND name = ? COLLATE NOCASE");
        if (st.Bien()) {
            st.Texto(1, p.nombre);
            if (st.Fila()) tabla = st.Columna(0);
        }
    }
    if (tabla.empty())
        Rehusar("Error en la sentencia \"" + tsql + "\": no existe la tabla '" + p.nombre + "'", "42S02");
    Ejecutar("CREATE TABLE IF NOT EXISTS " + guardados +
                 " (NOMBRE TEXT PRIMARY KEY, TABLA TEXT NOT NULL, SQL TEXT NOT NULL)",
             tsql);
    std::vector<std::pair<std::string, std::string>> lista;
    if (!p.activar) {
        Propia st(db_, "SELECT name, sql FROM " + maestro +
                           " WHERE type = 'trigger' AND tbl_name = ? COLLATE NOCASE");
        st.Texto(1, tabla);
        while (st.Fila()) lista.emplace_back(st.Columna(0), st.Columna(1));
        for (const auto& [nombre, sql] : lista) {
            Propia ins(db_, "INSERT OR REPLACE INTO " + guardados + " (NOMBRE, TABLA, SQL) VALUES (?, ?, ?)");
            ins.Texto(1, nombre);
            ins.Texto(2, tabla);
            ins.Texto(3, sql);
            ins.Fila();
            if (ins.Codigo() != SQLITE_DONE)
                Rehusar("Error en la sentencia \"" + tsql + "\": " + sqlite3_errmsg(db_), "42000");
            Ejecutar("DROP TRIGGER " + Comillas(esquema) + "." + Comillas(nombre), tsql);
        }
    } else {
        {
            Propia st(db_, "SELECT NOMBRE, SQL FROM " + guardados + " WHERE TABLA = ? COLLATE NOCASE");
            st.Texto(1, tabla);
            while (st.Fila()) lista.emplace_back(st.Columna(0), st.Columna(1));
        }
        for (const auto& [nombre, sql] : lista) {
            bool yaEsta = false;
            {
                Propia st(db_,
                          "SELECT 1 FROM " + maestro + " WHERE type = 'trigger' AND name = ? COLLATE NOCASE");
                st.Texto(1, nombre);
                yaEsta = st.Fila();
            }
            if (!yaEsta) {
                std::string crear = sql;
                if (esquema != "main") {
                    // The stored text names the trigger without its database: qualify it, or it
                    // would be created in the main one.
                    const auto t = sqlite::Tokenizar(sql);
                    std::size_t k = 0;
                    while (k < t.size() && !sqlite::EsPalabra(t[k], "TRIGGER")) ++k;
                    ++k;
                    if (k + 2 < t.size() && sqlite::EsPalabra(t[k], "IF")) k += 3;
                    if (k < t.size())
                        crear = sql.substr(0, t[k].desde) + Comillas(esquema) + "." + Comillas(nombre) +
                                sql.substr(t[k].hasta);
                }
                Ejecutar(crear, tsql);
            }
            Propia del(db_, "DELETE FROM " + guardados + " WHERE NOMBRE = ?");
            del.Texto(1, nombre);
            del.Fila();
        }
    }
    // Only triggers changed: the translated plans (columns, indexes) still hold, and SQLite
    // prepares the kept statements again by itself. Forgetting them here cost every walk date
    // a translation of each statement shape.
}

}  // namespace dep
