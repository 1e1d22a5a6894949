#include "runtime/plataforma/entorno.hpp"

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

std::string VariableEntorno(const char* nombre) {
    const std::wstring w = Ancho(nombre);
    const DWORD n = ::GetEnvironmentVariableW(w.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring v(n, L'\0');
    const DWORD m = ::GetEnvironmentVariableW(w.c_str(), v.data(), n);
    v.resize(m < n ? m : 0);
    return Utf8(v);
}

}  // namespace dep::plataforma
