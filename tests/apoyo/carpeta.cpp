#include "tests/apoyo/carpeta.hpp"

#include <cstdlib>
#include <stdexcept>

namespace dep::prueba {

Carpeta::Carpeta(const std::string& prefijo, const std::filesystem::path& dentro) {
    const auto base = dentro.empty() ? std::filesystem::temp_directory_path() : dentro;
    std::string plantilla = (base / (prefijo + "-XXXXXX")).string();
    if (mkdtemp(plantilla.data()) == nullptr) throw std::runtime_error("mkdtemp: " + plantilla);
    ruta_ = plantilla;
}

Carpeta::~Carpeta() {
    // A test may have taken its own permissions from the folder.
    std::error_code ec;
    std::filesystem::permissions(ruta_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(ruta_, ec);
}

}  // namespace dep::prueba
