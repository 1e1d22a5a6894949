#pragma once
// The console's tests on a fresh demo database in a folder of their own (also the TEMP folder,
// where KSERR.LOG and the default run journal go).
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/consola/anfitrion_consola.hpp"
#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep::consola {

inline bool Contiene(const std::string& s, const std::string& t) {
    return s.find(t) != std::string::npos;
}

// Ctrl-C as the console takes it, in this process: SIGINT on POSIX; on Windows the flag its
// console handler sets (the reliability tests send a real Ctrl-C to a console they start).
inline void PedirCtrlC() {
#ifdef _WIN32
    g_interrumpido.store(true);
#else
    std::raise(SIGINT);
#endif
}

// After a test's Ctrl-C: a later one ends the test program again.
inline void SoltarCtrlC() {
#ifndef _WIN32
    std::signal(SIGINT, SIG_DFL);
#endif
}

class Consola : public ::testing::Test {
  protected:
    void SetUp() override {
        carpeta = prueba::CarpetaNueva("dep-consola");
        prueba::FijarVariable("TEMP", TextoRuta(carpeta));
        base = TextoRuta(carpeta / "demo.db");
        OpcionesDemo o;
        o.asientos = 3000;
        o.semilla = 7;
        GenerarDemo(base, o);
    }
    void TearDown() override {
        prueba::QuitarVariable("TEMP");
        std::error_code ec;
        std::filesystem::remove_all(carpeta, ec);
    }
    int Correr_(std::vector<std::string> args, const std::function<void()>& alProcesar = {}) {
        out.str("");
        err.str("");
        return Correr(args, out, err, false, alProcesar);
    }
    long long Uno(const std::string& sql) { return std::stoll(demo::Bd(base).Filas(sql).at(0).at(0)); }
    // Whether the run stored `fecha` as the last purge's date.
    bool FechaGrabada(const std::string& fecha) {
        return Uno("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION' AND VALOR = "
                   "'" +
                   fecha + "'") == 1;
    }
    std::filesystem::path carpeta;
    std::string base;
    std::ostringstream out, err;
};

}  // namespace dep::consola
