#include "runtime/plataforma/programa.hpp"

#include <filesystem>

#include "runtime/plataforma/rutas.hpp"
#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

std::string CarpetaDelEjecutable() {
    std::wstring b(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, b.data(), static_cast<DWORD>(b.size()));
        if (n == 0) return {};
        if (n < b.size()) {
            b.resize(n);
            break;
        }
        b.resize(b.size() * 2);  // a long path: truncated, try with more room
    }
    return TextoRuta(std::filesystem::path(b).parent_path());
}

}  // namespace dep::plataforma
