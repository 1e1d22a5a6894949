#pragma once
// Where SQLite writes its temporary files (the copy VACUUM builds), so that the compaction
// checks the room on the disk that really receives it.
#include <string>

namespace dep::plataforma {

std::string CarpetaTemporalSqlite();

}  // namespace dep::plataforma
