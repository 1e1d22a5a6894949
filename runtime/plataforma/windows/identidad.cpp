// Process, user and machine on Windows.
#include "runtime/plataforma/identidad.hpp"

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

long IdProceso() {
    return static_cast<long>(::GetCurrentProcessId());
}

std::string UsuarioDelSistema() {
    wchar_t b[257] = {};
    DWORD n = 257;
    return ::GetUserNameW(b, &n) ? Utf8(b) : std::string();
}

std::string NombreEquipo() {
    wchar_t b[256] = {};
    DWORD n = 256;
    return ::GetComputerNameExW(ComputerNameDnsHostname, b, &n) ? Utf8(b) : std::string();
}

}  // namespace dep::plataforma
