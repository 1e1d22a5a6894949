#include <cstdlib>

#include "runtime/plataforma/rutas.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep::prueba {

VariableEntorno::VariableEntorno(std::string nombre, const char* valor) : nombre_(std::move(nombre)) {
    if (const char* v = std::getenv(nombre_.c_str())) antes_ = v;
    if (valor)
        FijarVariable(nombre_, valor);
    else
        QuitarVariable(nombre_);
}

VariableEntorno::VariableEntorno(std::string nombre, const std::filesystem::path& valor)
    : VariableEntorno(std::move(nombre), TextoRuta(valor).c_str()) {}

VariableEntorno::~VariableEntorno() {
    if (antes_)
        FijarVariable(nombre_, *antes_);
    else
        QuitarVariable(nombre_);
}

}  // namespace dep::prueba
