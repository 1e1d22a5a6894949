#include "runtime/carpetas.hpp"

#include <filesystem>
#include <system_error>

#include "runtime/conversions.hpp"
#include "runtime/form_services.hpp"

namespace dep {

namespace {

bool Tiene(const std::string& carpeta, const std::string& nombre) {
    std::error_code ec;
    std::filesystem::directory_iterator it(carpeta, ec), fin;
    for (; !ec && it != fin; it.increment(ec))
        if (IgualesSinCaso(it->path().filename().string(), nombre)) return true;
    return false;
}

}  // namespace

std::string CarpetaDatos(const std::string& nombre) {
    const std::string programa = FormServices::CarpetaPrograma();
    // DEP_DATOS_DESDE_PROGRAMA: the installed data folder relative to the installed programs.
    const std::string instalada = (std::filesystem::path(programa) / DEP_DATOS_DESDE_PROGRAMA / "").string();
    for (const std::string& c : {programa, instalada})
        if (Tiene(c, nombre)) return c;
    return programa;
}

}  // namespace dep
