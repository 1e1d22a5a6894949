#include "apoyo.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

std::string LeerArchivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

}  // namespace dep::prueba
