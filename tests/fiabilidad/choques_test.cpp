// The console consolidation killed (SIGKILL) after the n-th statement of its trace, at moments
// spread over the whole run: the file stays sound, no date is half done, the triggers are in
// place, and a further run finishes the work with the books balanced.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include <gtest/gtest.h>

#include "demo/demo.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

constexpr const char* kCorte = "31/10/2021";
constexpr const char* kCorteIso = "2021-10-31";

// Statements finished so far in a trace file: each ends with its outcome line.
long long Sentencias(const std::string& texto) {
    long long n = 0;
    for (std::size_t p = texto.find("\n    => "); p != std::string::npos; p = texto.find("\n    => ", p + 1))
        ++n;
    return n;
}

// Starts the consolidation and kills it once its trace holds `n` finished statements (or lets it
// end). Returns true when it was killed.
bool CorrerYMatar(const std::string& base, const std::string& traza, long long n) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int nulo = open("/dev/null", O_WRONLY);
        dup2(nulo, 1);
        dup2(nulo, 2);
        execl(DEP_CONSOLA, DEP_CONSOLA, "--hasta", kCorte, "--asientos", "--base", base.c_str(), "--traza",
              traza.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::ifstream f;
    std::string todo;
    std::size_t desde = 0;
    long long vistas = 0;
    int st = 0;
    for (;;) {
        if (waitpid(pid, &st, WNOHANG) == pid) return false;
        if (!f.is_open()) f.open(traza, std::ios::binary);
        if (f.is_open()) {
            f.clear();
            todo.append(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
            for (std::size_t p = todo.find("\n    => ", desde); p != std::string::npos;
                 p = todo.find("\n    => ", p + 1)) {
                ++vistas;
                desde = p + 1;
            }
        }
        if (vistas >= n) {
            kill(pid, SIGKILL);
            waitpid(pid, &st, 0);
            return WIFSIGNALED(st);
        }
        usleep(200);
    }
}

void RevisarLibros(const std::string& base, const Sumas& originales, int disparadores,
                   const std::string& cuando) {
    EXPECT_EQ(Integridad(base), "ok") << cuando;
    EXPECT_EQ(DisparadoresDeAsientos(base), disparadores) << cuando;
    EXPECT_EQ(DisparadoresGuardados(base), 0) << cuando;
    const auto d = Diferencias(originales, Actuales(base, kCorteIso));
    EXPECT_TRUE(d.empty()) << cuando << ": " << d.size() << " grupos descuadrados, el primero " << d.front();
}

TEST(Choques, UnaConsolidacionMatadaEnVeinticuatroMomentosNoPierdeNadaYSeTerminaDespues) {
    Carpeta c;
    const std::string modelo = c / "modelo.db";
    OpcionesDemo o;
    o.asientos = 1500;
    o.semilla = 11;
    GenerarDemo(modelo, o);
    const Sumas originales = Originales(modelo, kCorteIso);
    const int disparadores = DisparadoresDeAsientos(modelo);
    ASSERT_GT(disparadores, 0);
    ASSERT_GT(originales.size(), 20u);

    // A whole run gives the length of the trace.
    const std::string completa = c / "completa.db";
    std::filesystem::copy_file(modelo, completa);
    ASSERT_FALSE(CorrerYMatar(completa, c / "completa.traza", 1LL << 60));
    const long long total = Sentencias(Leer(c / "completa.traza"));
    ASSERT_GT(total, 200);
    RevisarLibros(completa, originales, disparadores, "corrida completa");

    const int kMomentos = 24;
    int matadas = 0;
    long long varadas = 0;
    for (int k = 1; k <= kMomentos; ++k) {
        const long long n = total * k / (kMomentos + 1);
        const std::string base = c / ("b" + std::to_string(k) + ".db");
        const std::string traza = c / ("t" + std::to_string(k) + ".traza");
        std::filesystem::copy_file(modelo, base);
        const bool matada = CorrerYMatar(base, traza, n);
        matadas += matada;
        const std::string cuando =
            "muerta tras la sentencia " + std::to_string(n) + " de " + std::to_string(total);
        RevisarLibros(base, originales, disparadores, cuando);

        const Salida s = Programa({"--hasta", kCorte, "--asientos", "--base", base});
        EXPECT_EQ(s.estado, 0) << cuando << "\n" << s.out << s.err;
        RevisarLibros(base, originales, disparadores, cuando + ", y vuelta a correr");
        // A kill between a date's commit and the re-dating leaves summary rows dated the day after
        // the cut-off date; the run after it moves them back to the cut-off date.
        const long long quedan =
            Cuenta(base, std::string("SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND "
                                     "FECHA >= date('") +
                             kCorteIso + "', '+1 day')");
        EXPECT_EQ(quedan, 0) << cuando;
        varadas += quedan;
        std::filesystem::remove(base);
        std::filesystem::remove(traza);
    }
    EXPECT_GE(matadas, 20);
    std::cout << "[ choques ] " << matadas << " de " << kMomentos << " corridas matadas con " << total
              << " sentencias en la completa; filas de resumen varadas tras volver a correr: " << varadas
              << "\n";
}

}  // namespace
}  // namespace dep::fiabilidad
