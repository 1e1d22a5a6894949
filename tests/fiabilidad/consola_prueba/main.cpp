// depuracion-consola-prueba: the console program with the test aids the shipped one must not
// have. DEPURACION_RECHAZAR="patron|n|texto;;..." refuses statements as the database would;
// DEPURACION_PAUSA=<file> with DEPURACION_PAUSA_CEDIDA=<n> holds the run at its n-th yield
// outside any transaction (default 1) until <file> is removed, after creating <file>.en-pausa;
// with DEPURACION_PAUSA_SENTENCIA=<text> instead, it holds the first statement that contains it.
// DEPURACION_ACCION_SQL=<statement> with DEPURACION_ACCION_CEDIDA=<n> runs that statement at the
// n-th yield outside any transaction on a connection of its own to the --base file, as another
// program writing meanwhile would.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/consola/anfitrion_consola.hpp"
#include "runtime/ajustes.hpp"
#include "tests/apoyo/rechazos.hpp"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<std::string> args(argv + 1, argv + argc);
    dep::Conexion* cn = nullptr;
    const char* rechazos = std::getenv("DEPURACION_RECHAZAR");
    const char* pausa = std::getenv("DEPURACION_PAUSA");
    const char* sentencia = std::getenv("DEPURACION_PAUSA_SENTENCIA");
    auto esperar = [](const std::string& archivo) {
        std::ofstream(archivo + ".en-pausa") << getpid() << "\n";
        while (fs::exists(archivo)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    auto envolver = [&](std::shared_ptr<dep::Conexion> real) -> std::shared_ptr<dep::Conexion> {
        auto e = dep::prueba::ConRechazos(std::move(real), rechazos ? rechazos : "");
        if (pausa && *pausa && sentencia && *sentencia)
            e->antes = [archivo = std::string(pausa), texto = std::string(sentencia), esperar,
                        hecho = false](const std::string& sql) mutable {
                if (hecho || sql.find(texto) == std::string::npos) return;
                hecho = true;
                esperar(archivo);
            };
        cn = e.get();
        return e;
    };
    std::function<void()> alProcesar;
    if (pausa && *pausa && !(sentencia && *sentencia)) {
        const std::string archivo = pausa;
        const char* n = std::getenv("DEPURACION_PAUSA_CEDIDA");
        const int cedida = n && *n ? std::atoi(n) : 1;
        auto vistas = std::make_shared<int>(0);
        alProcesar = [&cn, archivo, cedida, vistas, esperar] {
            if (cn == nullptr || cn->NivelTransaccion() != 0 || ++*vistas != cedida) return;
            esperar(archivo);
        };
    }
    if (const char* accion = std::getenv("DEPURACION_ACCION_SQL"); accion && *accion) {
        const char* n = std::getenv("DEPURACION_ACCION_CEDIDA");
        const int cedida = n && *n ? std::atoi(n) : 1;
        auto vistas = std::make_shared<int>(0);
        auto antes = alProcesar;
        std::string base;
        for (std::size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "--base") base = args[i + 1];
        alProcesar = [&cn, sql = std::string(accion), cedida, vistas, antes, base] {
            if (antes) antes();
            if (cn == nullptr || cn->NivelTransaccion() != 0 || ++*vistas != cedida) return;
            dep::AjustesConexion a;
            a.base = base;
            dep::AbrirConexion(a)->Execute(sql);
        };
    }
    return dep::consola::Correr(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0, alProcesar, envolver);
}
