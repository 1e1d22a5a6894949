// The console front end: options, progress lines, answers to dialogs and exit statuses, on real
// demo databases.

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "app/consola/anfitrion_consola.hpp"
#include "demo/bd_sqlite.hpp"
#include "runtime/version.hpp"
#include "tests/consola/base_consola.hpp"

namespace dep::consola {
namespace {

TEST(Opciones, UsoCorrectoEIncorrecto) {
    // What a command line reads: the purges (none given: all three), the answer to errors, the
    // replacement voucher and its family, preview, JSON and the journal.
    using Leidas =
        std::tuple<bool, bool, bool, AnteError, std::optional<std::string>, bool, bool, bool, std::string>;
    const auto todas = Leidas(true, true, true, AnteError::Abortar, {}, false, false, false, "");
    const std::pair<std::vector<std::string>, Leidas> buenas[] = {
        {{"--hasta", "31/12/2021", "--base", "x.db"}, todas},
        {{"--hasta", "31/12/2021", "--formato", "tabla"}, todas},
        {{"--hasta", "31/12/2021", "--asientos", "--ante-error", "reintentar"},
         {false, true, false, AnteError::Reintentar, {}, false, false, false, ""}},
        {{"--aplicaciones", "000100000007X", "--fp", "--hasta", "31/12/2021"},
         {false, false, false, AnteError::Abortar, "000100000007X", true, false, false, ""}},
        {{"--hasta", "31/12/2021", "--vista-previa", "--formato", "json", "--diario", "d.jsonl",
          "--asientos"},
         {false, true, false, AnteError::Abortar, {}, false, true, true, "d.jsonl"}},
    };
    std::string e;
    for (const auto& [args, leidas] : buenas) {
        const auto o = LeerOpciones(args, e);
        ASSERT_TRUE(o) << args[2] << ": " << e;
        EXPECT_EQ(Leidas(o->stock, o->asientos, o->temporales, o->anteError, o->aplicaciones, o->soloFP,
                         o->vistaPrevia, o->json, o->diario),
                  leidas)
            << args[2];
    }
    for (const std::vector<std::string>& malo :
         {std::vector<std::string>{"--stock"},
          {"--hasta"},
          {"--hasta", "1/1/2021", "--ante-error", "nunca"},
          {"--hasta", "1/1/2021", "--base", "a", "--odbc", "b"},
          {"--aplicaciones", "0001X", "--cc", "--hasta", "1/1/2021"},
          {"--aplicaciones", "000100000007X", "--hasta", "1/1/2021"},
          {"--hasta", "1/1/2021", "--otra"},
          {"--hasta", "1/1/2021", "--stock=no"},
          {"--hasta", "1/1/2021", "--formato", "xml"},
          {"--hasta", "1/1/2021", "--formato"},
          {"--hasta", "1/1/2021", "--diario"},
          {"--aplicaciones", "000100000007X", "--fp", "--hasta", "1/1/2021", "--vista-previa"}}) {
        e.clear();
        EXPECT_FALSE(LeerOpciones(malo, e)) << malo.back();
        EXPECT_FALSE(e.empty());
    }
}

// The usage lines, the option list and the manual page name every option the parser takes;
// --version says the program's version and the SQLite in use.
TEST(Opciones, AyudaManualYVersionNombranTodo) {
    const std::string ayuda = TextoAyuda();
    const std::string uso = ayuda.substr(0, ayuda.find("\n\n"));
    std::ifstream f(std::string(DEP_FUENTE) + "/paquete/man/depuracion-consola.1.scd");
    const std::string manual((std::istreambuf_iterator<char>(f)), {});
    ASSERT_FALSE(manual.empty());
    for (const auto& n : NombresDeOpciones()) {
        EXPECT_TRUE(Contiene(uso, n)) << n;
        EXPECT_TRUE(Contiene(manual, "*" + n + "*")) << n;
    }
    std::string e;
    auto o = LeerOpciones({"--hasta", "1/1/2021", "--copia", "", "--hasta", "2/1/2021"}, e);
    ASSERT_TRUE(o) << e;
    EXPECT_EQ(o->copia, std::optional<std::string>(""));
    EXPECT_EQ(o->hasta, "2/1/2021");

    std::ostringstream out, err;
    EXPECT_EQ(Correr({"--help"}, out, err, false), 0);
    EXPECT_TRUE(Contiene(out.str(), "Estado de salida")) << out.str();
    EXPECT_EQ(Correr({"--base", "x.db"}, out, err, false), 2);  // bad usage: says what is missing
    EXPECT_TRUE(Contiene(err.str(), "--hasta")) << err.str();
    out.str("");
    EXPECT_EQ(Correr({"--version"}, out, err, false), 0);
    EXPECT_EQ(
        out.str().rfind("depuracion-consola " + VersionPrograma() + "\nSQLite " + sqlite3_libversion(), 0),
        0u)
        << out.str();
}

TEST(Avance, FueraDeUnaTerminalJuntaLineasPeroNuncaPierdeLaPrimeraNiLaUltima) {
    std::ostringstream err;
    std::chrono::steady_clock::time_point t{};
    Avance a(err, false, [&] { return t; });
    a.NuevaPurga();
    for (int i = 1; i <= 100; ++i) {
        a.Leyenda("paso " + std::to_string(i));
        t += std::chrono::milliseconds(10);
    }
    a.NuevaPurga();
    a.Leyenda("otra 1");
    a.Vaciar();
    const std::string s = err.str();
    EXPECT_EQ(s.rfind("paso 1\n", 0), 0u);
    EXPECT_TRUE(Contiene(s, "paso 100\notra 1\n")) << s;
    EXPECT_LE(std::count(s.begin(), s.end(), '\n'), 8);  // one second of captions: about four lines

    std::ostringstream tty;
    Avance b(tty, true, [&] { return t; });
    b.Leyenda("uno");
    b.Vaciar();
    EXPECT_EQ(tty.str(), "\runo\x1b[K\n");
}

TEST_F(Consola, UnaTrampaQueAbortaTerminaEnTres) {
    {
        demo::Bd bd(base);
        bd.Ejecutar("DELETE FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = 'KS_DEPURA_STOCK'");
    }
    EXPECT_EQ(Correr_({"--hasta", "30/06/2022", "--base", base, "--stock", "--ante-error", "reintentar"}), 3);
    const std::string o = out.str();
    size_t reintentos = 0;
    for (size_t p = o.find("-> Reintentar"); p != std::string::npos; p = o.find("-> Reintentar", p + 1))
        ++reintentos;
    EXPECT_EQ(reintentos, 3u) << o;
    EXPECT_TRUE(Contiene(o, "-> Abortar")) << o;
    // The trap set HayError; the run still stored the date, as the window does.
    EXPECT_TRUE(FechaGrabada("30/06/2022"));
}

}  // namespace
}  // namespace dep::consola
