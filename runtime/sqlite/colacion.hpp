#pragma once
// The server's text comparison (runtime/texto_servidor.hpp) as the collation DEP_CI.
//
// Why a collation of its own, applied by the translation, rather than redefining BINARY or NOCASE:
// database files made by other tools carry indexes ordered by BINARY or NOCASE, and changing what
// those names mean on this connection would make index searches miss rows and would write
// indexes that the other tools see as corrupt. So the translation adds "COLLATE DEP_CI" to the
// text comparisons it sends (literal comparisons, column = column, IN, BETWEEN, GROUP BY,
// ORDER BY); the stored data and its indexes keep their own order.
#include <string_view>

#include "runtime/texto_servidor.hpp"

struct sqlite3;

namespace dep::sqlite {

using dep::CompararComoServidor;
using dep::SinBlancosFinales;

// The text holds a letter that the comparison matches with another case and SQLite's NOCASE
// does not (á = Á): an equality under NOCASE would miss rows.
bool PliegaMasQueNocase(std::string_view s);

// The literal (without trailing blanks) bounds the texts equal to it under the comparison in a
// column's own order (NOCASE when `nocase`, else BINARY): they lie from it up to it followed by
// "!". Not so when it holds a byte above ASCII, or a letter and the order is BINARY.
bool Acotable(std::string_view sinBlancos, bool nocase);

// A plain comparison of two columns (one an index can serve) agrees with the server's as long as
// every text on both sides is in the form it needs:
enum class FormaDeTexto {
    SinPliegue = 0,  // rtrim(x) COLLATE NOCASE: no letter NOCASE cannot fold
    Nocase = 1,      // x COLLATE NOCASE: that, and no trailing blank
    Binaria = 2,     // x COLLATE BINARY: that, and no ASCII lower-case letter
};
bool FueraDeForma(std::string_view s, FormaDeTexto forma);

// Registers DEP_CI on the connection, and the SQL function dep_fuera_de_forma(x, forma): 1 when
// x is a text not in that form. Returns the SQLite result code.
int RegistrarColacion(sqlite3* db);

}  // namespace dep::sqlite
