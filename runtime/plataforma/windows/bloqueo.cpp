// Run locks on Windows: LockFileEx on the handle. Its locks forbid others to read or write the
// range they cover, so the lock takes one byte far past any text the file holds: the holder
// line stays readable by the run that is refused.
#include "runtime/plataforma/bloqueo.hpp"

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

namespace {
constexpr DWORD kDesplazamientoAlto = 0x40000000;  // byte 2^62 of the file

HANDLE H(const ArchivoAbierto& f) {
    return reinterpret_cast<HANDLE>(f.Manejador());
}

OVERLAPPED Rango() {
    OVERLAPPED o{};
    o.OffsetHigh = kDesplazamientoAlto;
    return o;
}
}  // namespace

Toma Bloquear(const ArchivoAbierto& f, Bloqueo b, std::string& error) {
    OVERLAPPED o = Rango();
    const DWORD banderas =
        LOCKFILE_FAIL_IMMEDIATELY | (b == Bloqueo::kExclusivo ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(H(f), banderas, 0, 1, 0, &o)) return Toma::kTomado;
    const DWORD e = ::GetLastError();
    if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING) return Toma::kOcupado;
    error = TextoError(e);
    return Toma::kFalla;
}

void Desbloquear(const ArchivoAbierto& f) {
    OVERLAPPED o = Rango();
    ::UnlockFileEx(H(f), 0, 1, 0, &o);
}

}  // namespace dep::plataforma
