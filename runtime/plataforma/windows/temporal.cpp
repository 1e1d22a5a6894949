// SQLite's Windows VFS puts its temporary files where GetTempPathW says (TMP, TEMP, USERPROFILE,
// the Windows folder).
#include "runtime/plataforma/temporal.hpp"

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

std::string CarpetaTemporalSqlite() {
    wchar_t b[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, b);
    return n > 0 && n <= MAX_PATH + 1 ? Utf8(b, static_cast<int>(n)) : std::string(".");
}

}  // namespace dep::plataforma
