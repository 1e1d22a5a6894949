// The command-line tool: Spanish help, exit 2 on bad usage, and a real database on success.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>

#include "ayuda_bd.hpp"
#include "runtime/version.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep {
namespace {

using CarpetaTemporal = prueba::Carpeta;

struct Salida {
    int codigo;
    std::string texto;
};

// Standard output then standard error of the tool run with the blank-separated `argumentos`
// (a quoted one may hold blanks; a backslash is no escape, as in Windows paths).
Salida Correr(const CarpetaTemporal& dir, const std::string& argumentos) {
    prueba::Lanzamiento l{DEPURACION_DEMO, {}, {}, dir / "salida.txt", dir / "errores.txt"};
    std::istringstream palabras(argumentos);
    for (std::string a; palabras >> std::quoted(a, '"', '\x01');) l.args.push_back(a);
    const int rc = prueba::Ejecutar(l);
    std::ifstream out(l.salida), err(l.errores);
    return {rc, std::string((std::istreambuf_iterator<char>(out)), {}) +
                    std::string((std::istreambuf_iterator<char>(err)), {})};
}

TEST(Herramienta, AyudaYUsoIncorrecto) {
    CarpetaTemporal dir;
    Salida s = Correr(dir, "--ayuda");
    EXPECT_EQ(s.codigo, 0);
    EXPECT_NE(s.texto.find("Uso: depuracion-demo --salida ARCHIVO"), std::string::npos) << s.texto;
    s = Correr(dir, "--version");
    EXPECT_EQ(s.codigo, 0);
    EXPECT_EQ(s.texto.rfind("depuracion-demo " + VersionPrograma() + "\nSQLite ", 0), 0u) << s.texto;
    for (const char* args : {"", "--asientos 1000", "--salida", "--salida x.db --asientos mil",
                             "--salida x.db --asientos 10", "--salida x.db --semilla -1", "--otra"}) {
        s = Correr(dir, args);
        EXPECT_EQ(s.codigo, 2) << args;
        EXPECT_NE(s.texto.find("depuracion-demo: "), std::string::npos) << args;
    }
    EXPECT_NE(Correr(dir, "--salida x.db --bla").texto.find("opción desconocida: --bla"), std::string::npos);
}

TEST(Herramienta, CreaLaBaseYNoPisaSinPermiso) {
    CarpetaTemporal dir;
    std::string db = dir / "demo.db";
    Salida s = Correr(dir, "--salida \"" + db + "\" --asientos 500 --semilla 3");
    ASSERT_EQ(s.codigo, 0) << s.texto;
    EXPECT_EQ(prueba::Lector(db).Numero("SELECT count(*) FROM MV_ASIENTOS"), 500);
    s = Correr(dir, "--salida \"" + db + "\" --asientos 500");
    EXPECT_EQ(s.codigo, 1);
    EXPECT_NE(s.texto.find("ya existe"), std::string::npos) << s.texto;
    s = Correr(dir, "--salida \"" + db + "\" --esquema --reemplazar");
    ASSERT_EQ(s.codigo, 0) << s.texto;
    EXPECT_EQ(prueba::Lector(db).Numero("SELECT count(*) FROM MV_ASIENTOS"), 0);
}

}  // namespace
}  // namespace dep
