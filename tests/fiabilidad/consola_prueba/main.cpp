// depuracion-consola-prueba: the console program with the test aids the shipped one must not
// have. DEPURACION_RECHAZAR="patron|n|texto;;..." refuses statements as the database would;
// DEPURACION_PAUSA=<file> with DEPURACION_PAUSA_CEDIDA=<n> holds the run at its n-th yield
// outside any transaction (default 1) until <file> is removed, after creating <file>.en-pausa.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/consola/anfitrion_consola.hpp"
#include "tests/apoyo/rechazos.hpp"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<std::string> args(argv + 1, argv + argc);
    dep::Conexion* cn = nullptr;
    const char* rechazos = std::getenv("DEPURACION_RECHAZAR");
    auto alAbrir = [&](dep::Conexion& c) {
        cn = &c;
        if (rechazos && *rechazos) dep::prueba::AplicarRechazos(c, rechazos);
    };
    std::function<void()> alProcesar;
    if (const char* p = std::getenv("DEPURACION_PAUSA"); p && *p) {
        const std::string pausa = p;
        const char* n = std::getenv("DEPURACION_PAUSA_CEDIDA");
        const int cedida = n && *n ? std::atoi(n) : 1;
        auto vistas = std::make_shared<int>(0);
        alProcesar = [&cn, pausa, cedida, vistas] {
            if (cn == nullptr || cn->NivelTransaccion() != 0 || ++*vistas != cedida) return;
            std::ofstream(pausa + ".en-pausa") << getpid() << "\n";
            while (fs::exists(pausa)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        };
    }
    return dep::consola::Correr(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0, alProcesar, alAbrir);
}
