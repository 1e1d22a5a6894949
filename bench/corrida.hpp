#pragma once
// The whole run as an operator makes it (the console program itself) and what plain SQLite takes
// for the same work on the same file: the floors the run is measured against.
#include <string>
#include <vector>

namespace dep::bench {

// depuracion-consola with these arguments, its output thrown away. Raises when it ends with a
// status other than 0. Seconds from start to exit.
double Consola(const std::vector<std::string>& argumentos);
// Values: the file's bytes afterwards.
double CorridaCompleta(const std::string& base, const std::string& hasta, std::vector<double>& v);
// One purge through the console program: "--stock", "--temporales" or "--asientos".
double Purga(const std::string& base, const std::string& hasta, const std::string& opcion,
             std::vector<double>& v);
// The stock procedure's six deletes as plain SQLite statements, in one transaction. Values: rows.
double PisoStock(const std::string& base, const std::string& hasta, std::vector<double>& v);
// The temporaries purge's statements as plain SQLite, each committed on its own. Values: rows.
double PisoTemporales(const std::string& base, const std::string& hasta, std::vector<double>& v);
// The engine's compaction on its own. Values: bytes before, bytes after, free pages after.
double Compactacion(const std::string& base, std::vector<double>& v);
// Rewrites every index on rtrim(x) COLLATE NOCASE as a plain index on x, as another tool would
// have created it. Returns how many.
int IndicesPlanos(const std::string& base);

}  // namespace dep::bench
