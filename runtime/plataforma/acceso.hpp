#pragma once
// Whether this process may read or write a file or folder, asked before opening a database so
// that the refusal names the cause.
#include <string>

namespace dep::plataforma {

enum class Acceso { kLectura, kEscritura };

bool Permite(const std::string& ruta, Acceso a);

}  // namespace dep::plataforma
