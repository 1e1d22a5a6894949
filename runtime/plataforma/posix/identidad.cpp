// Process, user and machine on POSIX.
#include "runtime/plataforma/identidad.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace dep::plataforma {

long IdProceso() {
    return static_cast<long>(::getpid());
}

std::string UsuarioDelSistema() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) return pw->pw_name;
    if (const char* u = std::getenv("USER")) return u;
    return {};
}

std::string NombreEquipo() {
    char b[256] = {};
    if (::gethostname(b, sizeof b - 1) != 0) return {};
    return b;
}

}  // namespace dep::plataforma
