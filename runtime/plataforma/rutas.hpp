#pragma once
// Paths are UTF-8 texts inside the program. std::filesystem reads a plain char text in the
// system's narrow encoding (on Windows the ANSI code page, where "Depuración" is not UTF-8): these
// two convert through UTF-8 on every system.
#include <filesystem>
#include <string>

namespace dep {

inline std::filesystem::path Ruta(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string TextoRuta(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

}  // namespace dep
