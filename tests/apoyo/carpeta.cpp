#include "tests/apoyo/carpeta.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "runtime/plataforma/rutas.hpp"

namespace dep::prueba {

std::filesystem::path CarpetaNueva(const std::string& prefijo, const std::filesystem::path& dentro) {
    const auto base = dentro.empty() ? std::filesystem::temp_directory_path() : dentro;
    static std::mt19937_64 azar{std::random_device{}()};
    constexpr char kLetras[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int intento = 0; intento < 100; ++intento) {
        std::string nombre = prefijo + "-";
        for (int i = 0; i < 6; ++i) nombre += kLetras[azar() % (sizeof kLetras - 1)];
        std::error_code ec;
        // Created here or taken: a folder that was there already is someone else's.
        if (std::filesystem::create_directory(base / Ruta(nombre), ec)) return base / Ruta(nombre);
        if (ec) break;
    }
    throw std::runtime_error("no se pudo crear una carpeta temporal en " + TextoRuta(base));
}

std::string LeerArchivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

Carpeta::Carpeta(const std::string& prefijo, const std::filesystem::path& dentro)
    : ruta_(CarpetaNueva(prefijo, dentro)) {}

Carpeta::~Carpeta() {
    // A test may have taken its own permissions from the folder.
    std::error_code ec;
    std::filesystem::permissions(ruta_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(ruta_, ec);
}

std::string Carpeta::operator/(const std::string& nombre) const {
    return TextoRuta(ruta_ / dep::Ruta(nombre));
}

void CrearFifo(const std::filesystem::path& p) {
#ifdef _WIN32
    throw std::filesystem::filesystem_error("Windows no tiene FIFO con nombre en una carpeta", p,
                                            std::make_error_code(std::errc::not_supported));
#else
    if (::mkfifo(p.c_str(), 0600) != 0)
        throw std::filesystem::filesystem_error("mkfifo", p, std::error_code(errno, std::generic_category()));
#endif
}

bool CambiarDueno(const std::filesystem::path& p) {
#ifdef _WIN32
    (void)p;
    return false;
#else
    constexpr uid_t kNadie = 65534;
    return ::geteuid() == 0 && ::chown(p.c_str(), kNadie, kNadie) == 0;
#endif
}

}  // namespace dep::prueba
