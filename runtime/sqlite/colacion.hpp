#pragma once
// Text comparison as SQL Server's default collation does it: letter case ignored (ASCII and the
// Latin-1 letters: á = Á, ñ = Ñ; accents still count, ñ <> n, á <> a) and trailing blanks ignored.
//
// Why a collation of its own, applied by the translation, rather than redefining BINARY or NOCASE:
// database files made by other tools carry indexes ordered by BINARY or NOCASE, and changing what
// those names mean on this connection would make index searches miss rows and would write
// indexes that the other tools see as corrupt. So the translation adds "COLLATE DEP_CI" to the
// text comparisons it sends (literal comparisons, column = column, IN, BETWEEN, GROUP BY,
// ORDER BY); the stored data and its indexes keep their own order.
#include <string_view>

struct sqlite3;

namespace dep::sqlite {

// <0, 0, >0, like memcmp, under the rules above.
int CompararComoServidor(std::string_view a, std::string_view b);

// The text without its trailing blanks, which the comparison ignores.
std::string_view SinBlancosFinales(std::string_view s);

// The text holds a letter that the comparison matches with another case and SQLite's NOCASE
// does not (á = Á): an equality under NOCASE would miss rows.
bool PliegaMasQueNocase(std::string_view s);

// Registers DEP_CI on the connection. Returns the SQLite result code.
int RegistrarColacion(sqlite3* db);

}  // namespace dep::sqlite
