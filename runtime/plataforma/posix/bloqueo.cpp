// Run locks on POSIX: flock, held by the open file description.
#include "runtime/plataforma/bloqueo.hpp"

#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace dep::plataforma {

Toma Bloquear(const ArchivoAbierto& f, Bloqueo b, std::string& error) {
    const int fd = static_cast<int>(f.Manejador());
    if (::flock(fd, (b == Bloqueo::kExclusivo ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return Toma::kTomado;
    if (errno == EWOULDBLOCK || errno == EINTR) return Toma::kOcupado;
    error = std::strerror(errno);
    return Toma::kFalla;
}

void Desbloquear(const ArchivoAbierto& f) {
    ::flock(static_cast<int>(f.Manejador()), LOCK_UN);
}

}  // namespace dep::plataforma
