#pragma once
// The translation of the T-SQL that the program sends into SQLite. What it understands:
//  - lock hints "with(nolock)" in any case and spacing (and the other table hints), dropped;
//  - [bracketed names] (blanks, hyphens) -> "double quoted"; "dbo." dropped;
//  - "@ADMIN_x" / "@Admin_x" -> x in the same database, or "admin"."x" in the attached one;
//  - TRUNCATE TABLE x -> DELETE FROM x; DELETE x WHERE ... -> DELETE FROM x WHERE ...;
//  - IF [NOT] EXISTS(SELECT ...) / IF <condition>, with BEGIN ... END and ELSE, evaluated here;
//  - ALTER TABLE x DISABLE|ENABLE TRIGGER ALL (and DISABLE|ENABLE TRIGGER ALL ON x);
//  - EXEC[UTE] name 'arg', ... of procedures kept in DEP_PROCEDIMIENTOS; PRINT 'text' [+ ...];
//  - date literals in the operator's day/month/year form where they meet a date column
//    (comparison, BETWEEN, IN, SET, INSERT values) -> 'YYYY-MM-DD HH:MM:SS' (which columns are
//    date columns: ColumnaLeidaComoFecha); one ordered against any other column (<, >, BETWEEN ...) is
//    refused, as comparing it as text would pick the wrong rows;
//  - SUBSTRING -> substr, ISNULL -> ifnull, ISDATE(column) -> whether it holds a date in the stored form
//  (1753 to 9999), GETDATE() -> local time, LEN(x) -> length(rtrim(x)),
//    SELECT TOP n -> LIMIT n, '+' next to a text literal -> '||', !< and !>;
//  - text comparisons get the collation DEP_CI (see colacion.hpp); "column = 'text'" on a column
//    indexed as rtrim(column) COLLATE NOCASE also compares that expression, so the index seeks;
//    "column = column" (SELECT, DELETE, IF) also compares under NOCASE, BINARY or rtrim NOCASE,
//    with a check of the columns' texts before each run (Paso::comprobacion);
//  - batches: statements one per line or separated by ';', SET NOCOUNT/DATEFORMAT ignored.
// Anything else that is T-SQL only (DECLARE, variables, three-part names, DELETE ... FROM join,
// CREATE TRIGGER) is refused with a message naming the statement.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/sqlite/lexico.hpp"
#include "runtime/sqlite/plan.hpp"

namespace dep::sqlite {

struct Columna {
    std::string nombre;
    std::string tipo;      // declared type, as written
    std::string colacion;  // declared collation: BINARY, NOCASE, RTRIM or another
    // Some index of the table holds "rtrim(column) COLLATE NOCASE": the server's own ordering
    // of the column (trailing blanks and letter case ignored), which equality can seek on.
    bool indiceSinBlancos = false;
    // Some index of the table holds the column itself: the plain statement's equality seeks there.
    bool indicePlano = false;
};

// The columns of the tables a statement names, so that date literals can be recognised.
class Esquema {
  public:
    virtual ~Esquema() = default;
    // `base` "" for the main database. Null when there is no such table or view.
    virtual const std::vector<Columna>* Columnas(const std::string& base, const std::string& tabla) = 0;
};

bool EsTipoFecha(std::string_view tipoDeclarado);

// The key under which a plan is kept: every token but the literals, and where lines start.
std::string Forma(const std::vector<Token>& t);

class Traductor {
  public:
    // `baseAdmin`: the schema name "@ADMIN_" resolves to; "" for the same database.
    Traductor(Esquema& esquema, std::string baseAdmin)
        : esquema_(esquema), baseAdmin_(std::move(baseAdmin)) {}

    // Raises Falla naming the statement when something cannot be translated.
    Plan Traducir(const std::vector<Token>& t, std::string_view texto);

  private:
    Esquema& esquema_;
    std::string baseAdmin_;
};

// The T-SQL of tokens [desde, hasta) as it was written.
std::string TextoDe(const std::vector<Token>& t, std::string_view texto, std::size_t desde,
                    std::size_t hasta);

}  // namespace dep::sqlite
