// The console consolidation killed (SIGKILL) after the n-th statement of its trace, at moments
// spread over the whole run: the file stays sound, no date is half done, the triggers are in
// place, and a further run finishes the work with the books balanced.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "tests/apoyo/proceso.hpp"
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

// Starts the console with `args` and a trace, and kills it once its trace holds `n` finished
// statements (or lets it end). Returns true when it was killed.
bool CorrerYMatar(std::vector<std::string> args, const std::string& traza, long long n) {
    args.insert(args.end(), {"--traza", traza});
    prueba::Proceso consola({DEP_CONSOLA, args, {}, {}, {}});
    std::string todo;
    std::size_t desde = 0;
    long long vistas = 0;
    for (;;) {
        if (!consola.Vivo()) return false;
        // Opened again each time from where it was left: on Windows a stream that met the end of
        // the file does not see what is written after it.
        std::ifstream f(traza, std::ios::binary);
        if (f.is_open()) {
            f.seekg(static_cast<std::streamoff>(todo.size()));
            todo.append(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
            for (std::size_t p = todo.find("\n    => ", desde); p != std::string::npos;
                 p = todo.find("\n    => ", p + 1)) {
                ++vistas;
                desde = p + 1;
            }
        }
        if (vistas >= n) {
            consola.Matar();
            return consola.Esperar() == -1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// The consolidation up to kCorte on `base`.
std::vector<std::string> Consolidacion(const std::string& base) {
    return {"--hasta", kCorte, "--asientos", "--base", base};
}

void RevisarLibros(const std::string& base, const Sumas& originales, int disparadores,
                   const std::string& cuando) {
    EXPECT_EQ(Integridad(base), "ok") << cuando;
    EXPECT_EQ(DisparadoresDeAsientos(base), disparadores) << cuando;
    EXPECT_EQ(DisparadoresGuardados(base), 0) << cuando;
    const auto d = Diferencias(originales, Actuales(base, kCorteIso));
    EXPECT_TRUE(d.empty()) << cuando << ": " << d.size() << " grupos descuadrados, el primero " << d.front();
}

// The demo the kills and power cuts are tried on, its books, and the length of the trace of a
// whole run on a copy of it ("completa.db").
struct Modelo {
    explicit Modelo(const Carpeta& c) : ruta(c / "modelo.db") {
        Demo(ruta, 1500, 11);
        originales = Originales(ruta, kCorteIso);
        disparadores = DisparadoresDeAsientos(ruta);
        std::filesystem::copy_file(ruta, c / "completa.db");
        EXPECT_FALSE(CorrerYMatar(Consolidacion(c / "completa.db"), c / "completa.traza", 1LL << 60));
        total = Sentencias(Leer(c / "completa.traza"));
    }
    std::string ruta;
    Sumas originales;
    int disparadores = 0;
    long long total = 0;
};

TEST(Choques, UnaConsolidacionMatadaEnVeinticuatroMomentosNoPierdeNadaYSeTerminaDespues) {
    Carpeta c;
    const Modelo m(c);
    const auto& [modelo, originales, disparadores, total] = m;
    ASSERT_GT(disparadores, 0);
    ASSERT_GT(originales.size(), 20u);
    ASSERT_GT(total, 200);
    RevisarLibros(c / "completa.db", originales, disparadores, "corrida completa");

    const int kMomentos = 24;
#ifdef _WIN32
    // Under Wine a process takes about a second to start: every third moment, spread the same way.
    const int kPaso = 3;
#else
    const int kPaso = 1;
#endif
    int matadas = 0, probadas = 0;
    long long varadas = 0;
    for (int k = 1; k <= kMomentos; k += kPaso) {
        ++probadas;
        const long long n = total * k / (kMomentos + 1);
        const std::string base = c / ("b" + std::to_string(k) + ".db");
        const std::string traza = c / ("t" + std::to_string(k) + ".traza");
        std::filesystem::copy_file(modelo, base);
        const bool matada = CorrerYMatar(Consolidacion(base), traza, n);
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
    EXPECT_GE(matadas, probadas * 5 / 6);
    std::cout << "[ choques ] " << matadas << " de " << probadas << " corridas matadas con " << total
              << " sentencias en la completa; filas de resumen varadas tras volver a correr: " << varadas
              << "\n";
}

TEST(Choques, UnCorteDeLuzEnMedioDelRecorridoDejaLasFechasEnterasYSeTerminaDespues) {
    // The walk's dates are not synced one by one: what the disk holds after a power cut is the file
    // and its write-ahead log as they stood, or with the log's last write torn. Either copy opens
    // sound, with the books balanced, and a further run finishes the work.
    Carpeta c;
    const Modelo m(c);
    const auto& [modelo, originales, disparadores, total] = m;
    int conLog = 0;
    for (int k = 1; k <= 4; ++k) {
        const long long n = total * k / 5;
        const std::string base = c / ("b" + std::to_string(k) + ".db");
        std::filesystem::copy_file(modelo, base);
        CorrerYMatar(Consolidacion(base), c / ("t" + std::to_string(k) + ".traza"), n);
        const auto log = std::filesystem::path(base + "-wal");
        for (const std::uintmax_t rasgado : {std::uintmax_t{0}, std::uintmax_t{100}}) {
            const std::string copia = c / ("c" + std::to_string(k) + "-" + std::to_string(rasgado) + ".db");
            std::filesystem::copy_file(base, copia);
            if (std::filesystem::exists(log) && std::filesystem::file_size(log) > rasgado) {
                ++conLog;
                std::filesystem::copy_file(log, copia + "-wal");
                std::filesystem::resize_file(copia + "-wal", std::filesystem::file_size(log) - rasgado);
            }
            const std::string cuando = "copia tras la sentencia " + std::to_string(n) + " de " +
                                       std::to_string(total) + ", log sin sus " + std::to_string(rasgado) +
                                       " bytes finales";
            RevisarLibros(copia, originales, disparadores, cuando);
            const Salida s = Programa({"--hasta", kCorte, "--asientos", "--base", copia});
            EXPECT_EQ(s.estado, 0) << cuando << "\n" << s.out << s.err;
            RevisarLibros(copia, originales, disparadores, cuando + ", y vuelta a correr");
        }
    }
    EXPECT_GT(conLog, 0) << "the walk kept a write-ahead log to copy";
}

// Every row of a table, each as one text, by its first column.
std::map<std::string, std::string> Filas(const std::string& base, const std::string& tabla) {
    std::map<std::string, std::string> m;
    for (const auto& f : demo::Bd(base).Filas("SELECT * FROM " + tabla)) {
        std::string t;
        for (const auto& v : f) t += v + "|";
        m[f.at(0)] = t;
    }
    return m;
}

// Kills the console running `args` on copies of `modelo` at `momentos` points of its trace; after
// each kill `revisar` checks the copy (`completa` is the model after an uninterrupted run), then
// a rerun must end with status 0.
void MatarEnMomentos(const Carpeta& c, const std::string& modelo, const std::string& completa,
                     const std::function<std::vector<std::string>(const std::string&)>& args, int momentos,
                     const std::function<void(const std::string&, const std::string&)>& revisar) {
    std::filesystem::copy_file(modelo, completa);
    ASSERT_FALSE(CorrerYMatar(args(completa), c / "completa.traza", 1LL << 60));
    const long long total = Sentencias(Leer(c / "completa.traza"));
    ASSERT_GT(total, 5);
    int matadas = 0;
    for (int k = 1; k <= momentos; ++k) {
        const long long n = total * k / (momentos + 1);
        const std::string base = c / ("m" + std::to_string(k) + ".db");
        std::filesystem::copy_file(modelo, base);
        matadas += CorrerYMatar(args(base), c / ("m" + std::to_string(k) + ".traza"), n);
        const std::string cuando =
            "muerta tras la sentencia " + std::to_string(n) + " de " + std::to_string(total);
        EXPECT_EQ(Integridad(base), "ok") << cuando;
        revisar(base, cuando);
        const Salida s = Programa(args(base));
        EXPECT_EQ(s.estado, 0) << cuando << "\n" << s.out << s.err;
        EXPECT_EQ(Integridad(base), "ok") << cuando;
        std::filesystem::remove(base);
    }
    EXPECT_GE(matadas, momentos - 1) << "of " << total << " statements";
}

TEST(Choques, ElControlDeAplicacionesMatadoDejaCadaAplicacionEnteraYSeVuelveACorrer) {
    Carpeta c;
    const std::string modelo = c / "modelo.db";
    Demo(modelo, 1500, 11);
    ASSERT_EQ(Programa(Consolidacion(modelo)).estado, 0);
    const auto id = demo::Bd(modelo).Filas(
        "SELECT SUCURSAL || NUMERO || LETRA FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND TC = 'CC' "
        "LIMIT 1");
    ASSERT_EQ(id.size(), 1u);
    const auto antes = Filas(modelo, "MV_APLICACION");
    const std::string completa = c / "completa.db";
    auto args = [&](const std::string& base) {
        return std::vector<std::string>{"--aplicaciones", id[0][0], "--cc", "--hasta",
                                        kCorte,           "--base", base};
    };
    MatarEnMomentos(c, modelo, completa, args, 6, [&](const std::string& base, const std::string& cuando) {
        // Each application is as it was or as a whole run leaves it, never half re-pointed.
        const auto despues = Filas(completa, "MV_APLICACION");
        for (const auto& [clave, fila] : Filas(base, "MV_APLICACION")) {
            const bool comoAntes = antes.count(clave) && antes.at(clave) == fila;
            const bool comoDespues = despues.count(clave) && despues.at(clave) == fila;
            EXPECT_TRUE(comoAntes || comoDespues) << cuando << ": " << fila;
        }
    });
}

TEST(Choques, LosTemporalesMatadosVacianCadaTablaEnteraYSeVuelvenACorrer) {
    Carpeta c;
    const std::string modelo = c / "modelo.db";
    Demo(modelo, 800, 5);
    const std::vector<std::string> tablas = {"AUX_MAYORES", "AUX_ANEXOA",          "AUX_TMP",
                                             "AUX_ERR",     "MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS"};
    const std::string completa = c / "completa.db";
    auto args = [](const std::string& base) {
        return std::vector<std::string>{"--hasta", kCorte, "--temporales", "--base", base};
    };
    MatarEnMomentos(c, modelo, completa, args, 6, [&](const std::string& base, const std::string& cuando) {
        for (const auto& t : tablas) {
            const long long n = Cuenta(base, "SELECT COUNT(*) FROM " + t);
            EXPECT_TRUE(n == Cuenta(modelo, "SELECT COUNT(*) FROM " + t) ||
                        n == Cuenta(completa, "SELECT COUNT(*) FROM " + t))
                << cuando << ": " << t << " " << n;
        }
    });
}

}  // namespace
}  // namespace dep::fiabilidad

namespace dep::fiabilidad {
namespace {

TEST(Choques, UnaRecuperacionMatadaAMitadNoMueveNadaYLaSiguienteLaTermina) {
    Carpeta c;
    const std::string modelo = c / "modelo.db";
    Demo(modelo, 1200, 5);
    const Sumas originales = Originales(modelo, kCorteIso);
    const int disparadores = DisparadoresDeAsientos(modelo);
    // A run whose own re-dating of CC is refused leaves its record and its voucher on the day
    // after the cut-off date, as a kill just before that re-dating would.
    const Salida primera =
        Programa(Consolidacion(modelo),
                 {"TEMP=" + c.Ruta().string(), "DEPURACION_RECHAZAR=update MV_ASIENTOS set Fecha|1|x"});
    ASSERT_EQ(primera.estado, 3) << primera.out << primera.err;
    const std::string registro =
        "SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'DEPURACION_EN_CURSO_CC'";
    ASSERT_EQ(Cuenta(modelo, registro), 1);

    // Where the next run's recovery moves the voucher: its first re-dating statement.
    const std::string entera = c / "entera.db";
    std::filesystem::copy_file(modelo, entera);
    ASSERT_FALSE(CorrerYMatar(Consolidacion(entera), c / "entera.traza", 1LL << 60));
    const std::string traza = Leer(c / "entera.traza");
    const long long recuperacion =
        Sentencias(traza.substr(0, traza.find("update MV_ASIENTOS set Fecha"))) + 1;
    ASSERT_GT(recuperacion, 1);
    RevisarLibros(entera, originales, disparadores, "recuperada sin choques");

    // Killed after the move, after the record's removal, and after the triggers came back, each
    // before the commit: nothing of it stays, and the run after it recovers the voucher.
    // A kill that reaches the program only after its commit (a loaded machine delivers it late)
    // found the recovery finished, which is right too: that moment is tried again. A record
    // removed outside the recovery's transaction would be gone in every try.
    for (long long n = recuperacion; n < recuperacion + 3; ++n) {
        const std::string cuando = "muerta tras la sentencia " + std::to_string(n);
        const std::string base = c / ("b" + std::to_string(n) + ".db");
        bool antesDelCommit = false;
        for (int intento = 0; intento < 5 && !antesDelCommit; ++intento) {
            std::filesystem::remove(base);
            std::filesystem::copy_file(modelo, base);
            const std::string traza =
                c / ("t" + std::to_string(n) + "-" + std::to_string(intento) + ".traza");
            EXPECT_TRUE(CorrerYMatar(Consolidacion(base), traza, n)) << cuando;
            RevisarLibros(base, originales, disparadores, cuando);
            antesDelCommit = Cuenta(base, registro) == 1;
        }
        ASSERT_TRUE(antesDelCommit) << cuando << ": in five tries the kill never came before the commit";
        const Salida s = Programa(Consolidacion(base), {"TEMP=" + c.Ruta().string()});
        EXPECT_EQ(s.estado, 0) << cuando << "\n" << s.out << s.err;
        RevisarLibros(base, originales, disparadores, cuando + ", y vuelta a correr");
        EXPECT_EQ(Cuenta(base, registro), 0) << cuando;
    }
}

}  // namespace
}  // namespace dep::fiabilidad
