// The run lock is itself an input: its companion file planted as a link, a folder, a FIFO or a
// file of someone else is never written and the run is refused; a database with two names is
// refused (the same database reached through a link shares the one lock: corridas_test.cpp).
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include <gtest/gtest.h>

#include "demo/demo.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

namespace fs = std::filesystem;

// What stands at `p`, described so that a change of kind or of bytes shows.
std::string Estado(const fs::path& p) {
    const auto s = fs::symlink_status(p);
    if (fs::is_symlink(s)) return "enlace a " + fs::read_symlink(p).string();
    if (fs::is_directory(s)) return "carpeta";
    if (fs::is_fifo(s)) return "fifo";
    if (!fs::exists(s)) return "nada";
    const std::string bytes = Leer(p);
    return "archivo de " + std::to_string(bytes.size()) + " bytes, huella " +
           std::to_string(std::hash<std::string>{}(bytes));
}

TEST(CandadoDeCorridas, UnCompaneroPlantadoNoSeEscribeYLaCorridaSeRechaza) {
    Carpeta c;
    const std::string modelo = c / "modelo.db";
    Demo(modelo, 400, 1);
    const std::string original = Leer(modelo);
    const struct {
        const char* que;
        void (*plantar)(const fs::path& base, const fs::path& companero, const fs::path& otro);
        const char* motivo;
    } casos[] = {
        {"enlace simbólico a la base", [](auto& b, auto& k, auto&) { fs::create_symlink(b, k); },
         "es un enlace simbólico"},
        {"enlace simbólico a otro archivo", [](auto&, auto& k, auto& o) { fs::create_symlink(o, k); },
         "es un enlace simbólico"},
        {"enlace duro a la base", [](auto& b, auto& k, auto&) { fs::create_hard_link(b, k); },
         "enlaces duros"},
        {"enlace duro a otro archivo", [](auto&, auto& k, auto& o) { fs::create_hard_link(o, k); },
         "enlace duro"},
        {"carpeta", [](auto&, auto& k, auto&) { fs::create_directory(k); }, "es una carpeta"},
        {"fifo", [](auto&, auto& k, auto&) { prueba::CrearFifo(k); }, "no es un archivo común"},
        {"archivo ajeno", [](auto&, auto& k, auto&) { std::ofstream(k) << "datos de otro programa\n"; },
         "no escribió esta herramienta"},
        {"base con un segundo nombre",
         [](auto& b, auto&, auto& o) { fs::create_hard_link(b, o.string() + ".db"); }, "enlaces duros"},
    };
    int n = 0;
    for (const auto& k : casos) {
        const fs::path dir = c.Ruta() / std::to_string(++n);
        fs::create_directory(dir);
        const fs::path base = dir / "demo.db", companero = dir / "demo.db-corrida", otro = dir / "otro.txt";
        fs::copy_file(modelo, base);
        std::ofstream(otro) << "lo que otro programa guarda\n";
        // What this system cannot make (a FIFO on Windows, a link without the right to make one) is
        // no planting that could happen there.
        try {
            k.plantar(base, companero, otro);
        } catch (const fs::filesystem_error& e) {
            std::cout << "[ OMITIDO  ] " << k.que << ": " << e.what() << "\n";
            continue;
        }
        const std::string antes = Estado(companero), otroAntes = Leer(otro);
        const Salida s =
            Programa({"--hasta", "30/06/2021", "--base", base.string()}, {"TEMP=" + dir.string()});
        EXPECT_EQ(s.estado, 3) << k.que << "\n" << s.out << s.err;
        EXPECT_TRUE(Contiene(s.out, "NO SE PUDO ASEGURAR") && Contiene(s.out, k.motivo)) << k.que << "\n"
                                                                                         << s.out;
        EXPECT_EQ(Estado(companero), antes) << k.que;
        EXPECT_EQ(Leer(otro), otroAntes) << k.que;
        EXPECT_TRUE(Leer(base) == original) << k.que << ": the database changed";
    }
}

}  // namespace
}  // namespace dep::fiabilidad
