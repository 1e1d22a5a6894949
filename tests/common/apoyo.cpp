#include "apoyo.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace dep::prueba {

CarpetaTemporal::CarpetaTemporal() {
    std::string plantilla = (std::filesystem::temp_directory_path() / "dep-common-XXXXXX").string();
    if (mkdtemp(plantilla.data()) == nullptr) throw std::runtime_error("mkdtemp");
    ruta_ = plantilla;
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    std::filesystem::remove_all(ruta_, ec);
}

VariableEntorno::VariableEntorno(std::string nombre, const char* valor) : nombre_(std::move(nombre)) {
    if (const char* v = std::getenv(nombre_.c_str())) antes_ = v;
    if (valor)
        setenv(nombre_.c_str(), valor, 1);
    else
        unsetenv(nombre_.c_str());
}

VariableEntorno::~VariableEntorno() {
    if (antes_)
        setenv(nombre_.c_str(), antes_->c_str(), 1);
    else
        unsetenv(nombre_.c_str());
}

std::string LeerArchivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

}  // namespace dep::prueba
