// SQLite's unix VFS: the first of these that is a folder.
#include "runtime/plataforma/temporal.hpp"

#include <cstdlib>
#include <filesystem>

namespace dep::plataforma {

std::string CarpetaTemporalSqlite() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* v : {"SQLITE_TMPDIR", "TMPDIR"})
        if (const char* d = std::getenv(v); d && *d && fs::is_directory(d, ec)) return d;
    for (const char* d : {"/var/tmp", "/usr/tmp", "/tmp"})
        if (fs::is_directory(d, ec)) return d;
    return ".";
}

}  // namespace dep::plataforma
