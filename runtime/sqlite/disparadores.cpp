// ALTER TABLE x DISABLE|ENABLE TRIGGER ALL, as the server does it: for every connection, undone by
// a rollback, on triggers the engine did not create. SQLite has no such switch. Each trigger of the
// table is guarded once (the first time a run switches them off) with a condition on the engine's
// table DEP_TABLAS_SIN_DISPARADORES, a row a table whose triggers are off; switching is then a row
// written or deleted, with no change of schema (after which SQLite would prepare every kept
// statement again). While its table has no row there, a guarded trigger does what it always did,
// for every program. A trigger this lexer cannot read goes the way of earlier versions: dropped,
// its SQL kept in DEP_TRIGGERS_DESACTIVADOS, created again when switched on (which also brings
// back those an earlier version left off).
#include <sqlite3.h>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/contexto.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep {

using sqlite::Paso;
using sqlite::Token;
using sqlite::interno::Comillas;
using EnUso = sqlite::SentenciaEnUso;

namespace {

constexpr const char* kApagadas = "DEP_TABLAS_SIN_DISPARADORES";
constexpr const char* kGuardados = "DEP_TRIGGERS_DESACTIVADOS";

std::string Guarda(const std::string& tabla) {
    return std::string("NOT EXISTS (SELECT 1 FROM ") + kApagadas + " WHERE TABLA = '" +
           DoblarComillas(tabla) + "')";
}

std::vector<Token> Tokens(const std::string& sql) {
    try {
        return sqlite::Tokenizar(sql);
    } catch (const Falla&) {
        return {};  // not readable here: the caller takes the old way
    }
}

// The trigger's text with the guard joined to its WHEN (or as its WHEN); "" when not readable.
std::string ConGuarda(const std::string& sql, const std::string& tabla) {
    const auto t = Tokens(sql);
    std::size_t cuando = t.size(), inicio = t.size();
    for (std::size_t k = 0; k < t.size() && inicio == t.size(); ++k) {
        if (sqlite::EsPalabra(t[k], "BEGIN")) inicio = k;
        if (cuando == t.size() && sqlite::EsPalabra(t[k], "WHEN")) cuando = k;
    }
    if (inicio == t.size()) return {};
    const std::size_t b = t[inicio].desde;
    if (cuando == t.size()) return sql.substr(0, b) + "WHEN " + Guarda(tabla) + "\n" + sql.substr(b);
    const std::size_t w = t[cuando].hasta;
    return sql.substr(0, w) + " (" + sql.substr(w, b - w) + ") AND " + Guarda(tabla) + "\n" + sql.substr(b);
}

// A trigger's stored text names it without its database: qualified, or it would be created in
// the main one.
std::string EnSuBase(const std::string& sql, const std::string& esquema, const std::string& nombre) {
    if (esquema == "main") return sql;
    const auto t = Tokens(sql);
    std::size_t k = 0;
    while (k < t.size() && !sqlite::EsPalabra(t[k], "TRIGGER")) ++k;
    ++k;
    if (k + 2 < t.size() && sqlite::EsPalabra(t[k], "IF")) k += 3;
    if (k >= t.size()) return sql;
    return sql.substr(0, t[k].desde) + Comillas(esquema) + "." + Comillas(nombre) + sql.substr(t[k].hasta);
}

}  // namespace

// Runs twice a walk date: its fixed statements come from the connection's cache.
void ConexionSqlite::PasoDisparadores(const Paso& p, Contexto& c) {
    const std::string tsql = sqlite::TextoDe(c.t, c.texto, p.desde, p.hasta);
    const std::string esquema = p.base.empty() ? "main" : p.base;
    const std::string en = Comillas(esquema) + ".";
    const std::string maestro = en + "sqlite_master";
    auto usar = [&](const std::string& sql) { return EnUso(Preparada(sql)); };
    auto paso = [&](EnUso& st) {
        st.Fila();
        if (st.Codigo() != SQLITE_DONE && st.Codigo() != SQLITE_ROW)
            Rehusar("Error en la sentencia \"" + tsql + "\": " + sqlite3_errmsg(db_), "42000");
    };
    auto existe = [&](const char* tipo, const std::string& nombre) {
        EnUso st = usar("SELECT 1 FROM " + maestro + " WHERE type = ? AND name = ? COLLATE NOCASE");
        st.Texto(1, tipo);
        st.Texto(2, nombre);
        return st.Fila();
    };
    std::string tabla;
    {
        EnUso st = usar("SELECT name FROM " + maestro +
                        " WHERE type IN ('table','view') AND name = ? COLLATE NOCASE");
        st.Texto(1, p.nombre);
        if (st.Fila()) tabla = st.Columna(0);
    }
    if (tabla.empty())
        Rehusar("Error en la sentencia \"" + tsql + "\": no existe la tabla '" + p.nombre + "'", "42S02");
    if (!p.activar) {
        if (!existe("table", kApagadas))
            Ejecutar("CREATE TABLE " + en + kApagadas + " (TABLA TEXT PRIMARY KEY COLLATE NOCASE)", tsql);
        std::vector<std::pair<std::string, std::string>> lista;
        {
            EnUso st = usar("SELECT name, sql FROM " + maestro +
                            " WHERE type = 'trigger' AND tbl_name = ? COLLATE NOCASE");
            st.Texto(1, tabla);
            while (st.Fila()) lista.emplace_back(st.Columna(0), st.Columna(1));
        }
        for (const auto& [nombre, sql] : lista) {
            if (sql.find(kApagadas) != std::string::npos) continue;  // guarded already
            const std::string guardado = ConGuarda(sql, tabla);
            if (guardado.empty()) {
                Ejecutar(std::string("CREATE TABLE IF NOT EXISTS ") + en + kGuardados +
                             " (NOMBRE TEXT PRIMARY KEY, TABLA TEXT NOT NULL, SQL TEXT NOT NULL)",
                         tsql);
                EnUso ins = usar("INSERT OR REPLACE INTO " + en + kGuardados +
                                 " (NOMBRE, TABLA, SQL) VALUES (?, ?, ?)");
                ins.Texto(1, nombre);
                ins.Texto(2, tabla);
                ins.Texto(3, sql);
                paso(ins);
            }
            Ejecutar("DROP TRIGGER " + en + Comillas(nombre), tsql);
            if (!guardado.empty()) Ejecutar(EnSuBase(guardado, esquema, nombre), tsql);
        }
        EnUso ins = usar("INSERT OR IGNORE INTO " + en + kApagadas + " (TABLA) VALUES (?)");
        ins.Texto(1, tabla);
        paso(ins);
        return;
    }
    if (existe("table", kGuardados)) {
        std::vector<std::pair<std::string, std::string>> lista;
        {
            EnUso st = usar("SELECT NOMBRE, SQL FROM " + en + kGuardados + " WHERE TABLA = ? COLLATE NOCASE");
            st.Texto(1, tabla);
            while (st.Fila()) lista.emplace_back(st.Columna(0), st.Columna(1));
        }
        for (const auto& [nombre, sql] : lista) {
            if (!existe("trigger", nombre)) Ejecutar(EnSuBase(sql, esquema, nombre), tsql);
            EnUso del = usar("DELETE FROM " + en + kGuardados + " WHERE NOMBRE = ?");
            del.Texto(1, nombre);
            paso(del);
        }
    }
    if (existe("table", kApagadas)) {
        EnUso del = usar("DELETE FROM " + en + kApagadas + " WHERE TABLA = ?");
        del.Texto(1, tabla);
        paso(del);
    }
}

}  // namespace dep
