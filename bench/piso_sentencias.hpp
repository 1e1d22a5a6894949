#pragma once
// The statement floor of the consolidation: the very SQLite statements the engine ran for it,
// captured in process, replayed through plain prepared statements (one per statement text, its
// literals bound) in the same transactions on a copy of the same file.
#include <string>
#include <vector>

namespace dep::bench {

// The consolidation through the console's host on `base`, every SQLite statement it starts kept
// in `archivo` (its text with parameters, and the same with their values). Values: statements.
double CapturarConsolidacion(const std::string& base, const std::string& hasta, const std::string& archivo,
                             std::vector<double>& v);
// The statements of `archivo` replayed on `base` (a copy of the file the capture started from).
// Values: statements, distinct statement texts.
double PisoDeSentencias(const std::string& base, const std::string& archivo, std::vector<double>& v);

}  // namespace dep::bench
