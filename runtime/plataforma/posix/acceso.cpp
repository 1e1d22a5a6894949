#include "runtime/plataforma/acceso.hpp"

#include <unistd.h>

namespace dep::plataforma {

bool Permite(const std::string& ruta, Acceso a) {
    return ::access(ruta.c_str(), a == Acceso::kLectura ? R_OK : W_OK) == 0;
}

}  // namespace dep::plataforma
