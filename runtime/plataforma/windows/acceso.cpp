// On Windows a file is refused for writing by its read-only attribute or by its access list;
// the access list is tried by opening it.
#include "runtime/plataforma/acceso.hpp"

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

bool Permite(const std::string& ruta, Acceso a) {
    const std::wstring w = Ancho(ruta);
    const DWORD atributos = ::GetFileAttributesW(w.c_str());
    if (atributos == INVALID_FILE_ATTRIBUTES) return false;
    const bool carpeta = (atributos & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (a == Acceso::kEscritura && !carpeta && (atributos & FILE_ATTRIBUTE_READONLY) != 0) return false;
    const DWORD derecho = a == Acceso::kLectura ? GENERIC_READ : carpeta ? FILE_ADD_FILE : GENERIC_WRITE;
    HANDLE h = ::CreateFileW(w.c_str(), derecho, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, carpeta ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(h);
    return true;
}

}  // namespace dep::plataforma
