#include "runtime/version.hpp"

#include <sqlite3.h>

namespace dep {

std::string VersionPrograma() {
    return std::to_string(DEP_VERSION_MAJOR) + "." + std::to_string(DEP_VERSION_MINOR) + "." +
           std::to_string(DEP_VERSION_PATCH);
}

std::string TextoVersion(const std::string& programa) {
    std::string sqlite = std::string("SQLite ") + sqlite3_libversion();
    // The library found at run time may be newer than the headers the program was built with.
    if (std::string(sqlite3_libversion()) != SQLITE_VERSION)
        sqlite += std::string(" (compilado con ") + SQLITE_VERSION + ")";
    std::string motores = "Motores: sqlite (base de datos embebida; traduce el T-SQL de la suite)";
#ifdef DEP_HAS_ODBC
    motores += ", odbc (SQL Server por unixODBC)";
#endif
    return programa + " " + VersionPrograma() + "\n" + sqlite + "\n" + motores + "\n";
}

}  // namespace dep
