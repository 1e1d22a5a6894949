#include "runtime/plataforma/entorno.hpp"

#include <cstdlib>

namespace dep::plataforma {

std::string VariableEntorno(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v != nullptr ? std::string(v) : std::string();
}

}  // namespace dep::plataforma
