#pragma once
// Database files made the way other tools make them, from a demo file: tables copied by CREATE
// TABLE AS SELECT, tables rebuilt with other declarations, other indexes or other names; and what
// the tests count on such files before and after a run.
#include <functional>
#include <string>
#include <vector>

#include "demo/bd_sqlite.hpp"
#include "tests/apoyo/carpeta.hpp"

namespace dep::fiabilidad {

// A folder in memory (/dev/shm) where there is one: a run walks hundreds of dates, each a
// transaction synced to disk, which a disk shared with other jobs makes last tens of seconds.
class CarpetaEnMemoria : public prueba::Carpeta {
  public:
    CarpetaEnMemoria();
};

std::vector<std::string> Tablas(demo::Bd& bd);  // every table of the file but SQLite's own

// A new file `base` holding every table of `modelo` copied with CREATE TABLE t AS SELECT * FROM
// old.t (no keys, indexes or triggers; a DATETIME column declared NUM), and its views.
void CopiarTablas(const std::string& modelo, const std::string& base);

using Cambio = std::function<std::string(const std::string&)>;

// Rebuilds `tabla` as a tool does to change a column: a new table from its CREATE statement
// passed through `cambiar`, the rows copied by column name, the old table dropped, the new one
// renamed `nombre` (the same name when empty), its indexes and triggers made again.
void Reconstruir(demo::Bd& bd, const std::string& tabla, const Cambio& cambiar,
                 const std::string& nombre = "");

// The comma-separated items between the outer parentheses of a statement, trimmed.
std::vector<std::string> Elementos(const std::string& sql);
// The statement with those items replaced by `elementos`.
std::string ConElementos(const std::string& sql, const std::vector<std::string>& elementos);

// Every index that has a text: drops it and makes it again with each of its columns (a
// rtrim(x) COLLATE NOCASE key becoming x) followed by `colacion` (" COLLATE BINARY", or "").
void RehacerIndices(demo::Bd& bd, const std::string& colacion);

// Rows of the tables that the purges delete by date (MV_ASIENTOS, the stock, sales and purchase
// headers, the two history tables) whose FECHA satisfies `condicion` ("< '2022-06-30'"), one
// "TABLE=n" a table; the summary rows of the consolidation are left out.
std::string FilasPorFecha(const std::string& base, const std::string& condicion);

}  // namespace dep::fiabilidad
