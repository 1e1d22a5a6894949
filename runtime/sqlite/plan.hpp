#pragma once
// What the translation makes of one T-SQL text: steps that the engine runs in order. A plan
// depends only on the shape of the text (its tokens with the literals left out), so it is kept
// and reused; the literals are read from the tokens of each call and bound as parameters.
#include <cstddef>
#include <string>
#include <vector>

namespace dep::sqlite {

// What a literal's parameter carries in the index-friendly forms of "column = literal" (see
// sentencia.cpp).
enum class Rango {
    Valor,       // the literal itself
    Desde,       // the lower bound of the texts equal to it
    Hasta,       // the upper bound
    SinBlancos,  // the literal without trailing blanks, for "rtrim(column) COLLATE NOCASE = ?"
};

struct Parametro {
    std::size_t token;   // index of the literal in the token list
    bool fecha = false;  // it meets a date column: stored as 'YYYY-MM-DD HH:MM:SS'
    Rango rango = Rango::Valor;
    bool nocase = false;  // the column's own collation is NOCASE (for the bounds)
    // Ordered (<, >, BETWEEN ...) against a column not read as a date: which one, for the refusal
    // of a literal in the operator's date form ("'X' de la tabla 'T'"); "" otherwise.
    std::string sinFecha = {};
};

struct Paso {
    enum class Tipo {
        Sql,           // one SQLite statement with parameters
        Si,            // IF: `sql` yields 1 or 0, then `entonces` or `sino` runs
        Bloque,        // BEGIN ... END: `entonces` runs
        Print,         // informational message: the literals in `argumentos` joined
        Exec,          // stored procedure `nombre` with the literals in `argumentos`
        Disparadores,  // ALTER TABLE x DISABLE|ENABLE TRIGGER ALL
        Nada,          // SET NOCOUNT ON and the like: nothing to do here
    };
    Tipo tipo = Tipo::Nada;
    std::size_t desde = 0, hasta = 0;  // token range of the statement, for messages
    std::string sql;
    // The same statement without the rtrim(column) seeks, same parameters: NOCASE folds only
    // ASCII letters, so a literal with other letters (á = Á under the server's rules) runs this.
    std::string sqlAmplio;
    // For "column = column" written so that an index serves it: a query that gives 1 when some
    // text of those columns is in a form the plain comparison would judge otherwise than the
    // server (see colacion.hpp); then `sqlAmplio` runs instead.
    std::string comprobacion;
    // Where a pair is compared both as rtrim under NOCASE and plainly: the statement with the rtrim
    // comparison alone, run when `comprobacion` finds texts out of form and `comprobacionMedia`
    // (the same look for the rtrim comparison's form) does not.
    std::string sqlMedio;
    std::string comprobacionMedia;
    std::vector<Parametro> params;
    bool cambiaEsquema = false;  // CREATE/DROP/ALTER: cached shapes and column types go stale
    std::vector<Paso> entonces, sino;
    std::string nombre;                   // Exec: procedure; Disparadores: table
    std::string base;                     // Disparadores: attached database, "" = main
    bool activar = false;                 // Disparadores
    std::vector<std::size_t> argumentos;  // Print / Exec: literal tokens
    std::vector<std::string> nombresArg;  // Exec: "@NAME" of a named argument, "" positional
};

struct Plan {
    std::vector<Paso> pasos;
    // Literals written into the SQLite text itself (DDL, ORDER BY 1, TOP n): a cached plan only
    // fits a later text whose literals at these positions are the same.
    std::vector<std::size_t> literalesFijos;
    bool reutilizable = true;  // false when a table's columns were unknown at translation
};

}  // namespace dep::sqlite
