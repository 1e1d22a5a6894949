// The embedded engine's files about a database, on real files: the run lock found by the file's
// identity, the backup and the trace no more open than the database, a backup cut short never
// left under a backup's name, and a compaction that declines or is cancelled changing nothing.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <ctime>
#include <filesystem>
#include <fstream>

#include "runtime/falla.hpp"
#include "runtime/plataforma/identidad.hpp"
#include "tests/runtime/sqlite_apoyo.hpp"

namespace dep {
namespace {

namespace fs = std::filesystem;
using prueba::BaseTemporal;
using prueba::LeerArchivo;

#ifndef _WIN32
unsigned Modo(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}
#endif

// A symbolic link, or why this system does not let the test make one (the caller skips).
std::string Enlazar(const fs::path& a, const fs::path& enlace) {
    std::error_code ec;
    fs::create_symlink(a, enlace, ec);
    return ec ? "este sistema no deja crear enlaces simbólicos: " + ec.message() : std::string();
}

// A keyed table of 4 MB, half of it deleted when `huecos`: a backup takes several steps, a VACUUM
// has pages to give back.
const std::string kDatos =
    "CREATE TABLE T (ID INTEGER PRIMARY KEY, B BLOB); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + "
    "1 FROM n WHERE i < 4000) INSERT INTO T (B) SELECT randomblob(1000) FROM n;";
const std::string kHuecos = "DELETE FROM T WHERE ID > 2000;";

TEST(SqliteCandado, LaMismaBasePorUnEnlaceComparteElCandadoYLaVistaPreviaNoCreaNada) {
    BaseTemporal b("CREATE TABLE T (A TEXT);");
    auto cn = b.Abrir();
    std::string quien;
    EXPECT_FALSE(cn->CorridaEnCurso(quien));
    EXPECT_FALSE(fs::exists(b.Ruta() + "-corrida")) << "a peek creates nothing";
    const auto candado = cn->TomarCandadoCorrida(quien);
    ASSERT_TRUE(candado);
    const fs::path enlace = b.Carpeta() + "/enlace.db";
    if (const std::string no = Enlazar(b.Ruta(), enlace); !no.empty()) GTEST_SKIP() << no;
    AjustesConexion a;
    a.base = enlace.string();
    auto otra = ConexionSqlite::Abrir(a);
    EXPECT_TRUE(otra->CorridaEnCurso(quien));
    EXPECT_EQ(quien.rfind("proceso " + std::to_string(plataforma::IdProceso()), 0), 0u) << quien;
    EXPECT_FALSE(otra->TomarCandadoCorrida(quien));
}

TEST(SqliteArchivos, UnaBaseSoloDelDuenioDaCopiaYTrazaSoloDelDuenio) {
#ifdef _WIN32
    GTEST_SKIP() << "los derechos en Windows son listas de acceso, no los bits de POSIX que se miran aquí";
#else
    for (const bool trazaPrevia : {false, true}) {
        BaseTemporal b("CREATE TABLE T (ID INTEGER PRIMARY KEY, A TEXT); INSERT INTO T (A) VALUES ('x');");
        ::chmod(b.Ruta().c_str(), 0600);
        const fs::path traza = fs::path(b.Carpeta()) / "traza.sql";
        if (trazaPrevia) {
            std::ofstream(traza) << "de antes\n";
            ::chmod(traza.c_str(), 0644);
        }
        AjustesConexion a;
        a.traza = traza.string();
        auto cn = b.Abrir(a);
        long long bytes = 0;
        const std::string copia = cn->CopiaDeSeguridad(b.Carpeta() + "/copias", bytes, {});
        EXPECT_EQ(Modo(copia), 0600u) << copia;
        EXPECT_EQ(Modo(traza), 0600u) << (trazaPrevia ? "trace that was there" : "new trace");
        EXPECT_NE(LeerArchivo(traza).find("CopiaDeSeguridad"), std::string::npos);
        EXPECT_EQ(LeerArchivo(traza).rfind("de antes\n", 0), trazaPrevia ? 0u : std::string::npos)
            << "appended";
    }
#endif
}

TEST(SqliteCopia, UnaCopiaCortadaNoQuedaConNombreDeCopia) {
#ifdef _WIN32
    GTEST_SKIP() << "la copia se corta en un proceso hijo (fork) con un límite de tamaño de archivo de POSIX";
#else
    // kAlComprobar: cancelled once every page is copied, while the copy is checked.
    enum class Corte { kCancelada, kAlComprobar, kDiscoLleno, kMuerta };
    for (const Corte corte : {Corte::kCancelada, Corte::kAlComprobar, Corte::kDiscoLleno, Corte::kMuerta}) {
        BaseTemporal b(kDatos);
        const fs::path copias = fs::path(b.Carpeta()) / "copias";
        // The copy asks before each step of 256 pages.
        const int pasos = (std::stoi(b.Uno("PRAGMA page_count")) + 255) / 256;
        // In a process of its own, so that the kill and the file size limit end only it.
        const pid_t pid = fork();
        if (pid == 0) {
            if (corte == Corte::kDiscoLleno) {
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limite{1 << 20, 1 << 20};
                setrlimit(RLIMIT_FSIZE, &limite);
            }
            int veces = 0;
            try {
                long long bytes = 0;
                b.Abrir()->CopiaDeSeguridad(copias.string(), bytes, [&] {
                    if (++veces == 2 && corte == Corte::kMuerta) kill(getpid(), SIGKILL);
                    return corte == Corte::kAlComprobar ? veces > pasos
                                                        : veces == 2 && corte == Corte::kCancelada;
                });
            } catch (const Falla& f) {
                _exit(f.Numero() == err::kCancelado ? 10 : 11);
            }
            _exit(0);
        }
        int st = 0;
        waitpid(pid, &st, 0);
        const int esperado = corte == Corte::kCancelada || corte == Corte::kAlComprobar ? 10 : 11;
        if (corte == Corte::kMuerta)
            EXPECT_TRUE(WIFSIGNALED(st));
        else
            EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == esperado) << static_cast<int>(corte);
        std::vector<std::string> quedan;
        for (const auto& e : fs::directory_iterator(copias)) quedan.push_back(e.path().filename().string());
        // Killed, the partial file stays under its temporary name; otherwise nothing stays.
        for (const auto& q : quedan)
            EXPECT_TRUE(corte == Corte::kMuerta && q.find(".db.parcial") != std::string::npos)
                << static_cast<int>(corte) << ": " << q;
        EXPECT_EQ(quedan.empty(), corte != Corte::kMuerta) << static_cast<int>(corte);
    }
#endif
}

TEST(SqliteCopia, NuncaReemplazaUnaCopiaNiSigueUnEnlacePlantado) {
    BaseTemporal b("CREATE TABLE T (ID INTEGER PRIMARY KEY, A TEXT); INSERT INTO T (A) VALUES ('x');");
    const fs::path copias = fs::path(b.Carpeta()) / "copias", victima = fs::path(b.Carpeta()) / "victima";
    fs::create_directory(copias);
    std::ofstream(victima) << "de otro programa\n";
    // Both names of this second and the next taken: a file at the backup's name, a link at its
    // temporary one.
    std::vector<fs::path> plantados;
    for (int s = 0; s < 2; ++s) {
        const std::time_t t = std::time(nullptr) + s;
        char hora[32];
        std::strftime(hora, sizeof hora, "%Y%m%d-%H%M%S", std::localtime(&t));
        const fs::path copia = copias / ("prueba-" + std::string(hora) + ".db");
        std::ofstream(copia) << "una copia anterior\n";
        if (const std::string no = Enlazar(victima, copia.string() + ".parcial"); !no.empty())
            GTEST_SKIP() << no;
        plantados.push_back(copia);
    }
    long long bytes = 0;
    const std::string hecha = b.Abrir()->CopiaDeSeguridad(copias.string(), bytes, {});
    for (const auto& p : plantados) {
        EXPECT_NE(hecha, p.string());
        EXPECT_EQ(LeerArchivo(p), "una copia anterior\n");
    }
    EXPECT_EQ(LeerArchivo(victima), "de otro programa\n");
    EXPECT_EQ(LeerArchivo(hecha).rfind("SQLite format 3", 0), 0u) << hecha;

    // A folder reached through a link the operator made is no planted name: the copy is made in
    // the real folder, and says so.
    const fs::path enlace = fs::path(b.Carpeta()) / "enlace";
    if (const std::string no = Enlazar(copias, enlace); !no.empty()) GTEST_SKIP() << no;
    const std::string porEnlace = b.Abrir()->CopiaDeSeguridad(enlace.string(), bytes, {});
    EXPECT_EQ(fs::path(porEnlace).parent_path(), fs::canonical(copias));
    EXPECT_EQ(LeerArchivo(porEnlace).rfind("SQLite format 3", 0), 0u) << porEnlace;
}

TEST(SqliteCompactar, UnaTablaSinClaveConFilasLaOmiteNombrandolaYNoCambiaNada) {
    const struct {
        const char* ddl;
        const char* tabla;  // null: compacted
    } casos[] = {
        {"CREATE TABLE SIN_CLAVE (A TEXT); INSERT INTO SIN_CLAVE VALUES ('x');", "SIN_CLAVE"},
        {R"(CREATE TABLE "CON ""COMILLAS""" (A TEXT); INSERT INTO "CON ""COMILLAS""" VALUES ('x');)",
         R"(CON "COMILLAS")"},
        {"CREATE TABLE sqliteX (A TEXT); INSERT INTO sqliteX VALUES ('x');", "sqliteX"},
        {"CREATE TABLE VACIA (A TEXT);", nullptr},
    };
    for (const auto& k : casos) {
        BaseTemporal b(kDatos + kHuecos + k.ddl);
        const std::string antes = LeerArchivo(b.Ruta());
        const Compactacion r = b.Abrir()->Compactar({});
        if (k.tabla) {
            EXPECT_EQ(r.estado, EstadoCompactacion::kOmitida) << k.ddl;
            EXPECT_NE(r.nota.find(std::string("la tabla ") + k.tabla + " no declara clave"),
                      std::string::npos)
                << r.nota;
            EXPECT_TRUE(LeerArchivo(b.Ruta()) == antes) << k.ddl;
        } else {
            EXPECT_EQ(r.estado, EstadoCompactacion::kHecha) << r.nota;
            EXPECT_LT(r.despues, r.antes);
        }
    }
}

TEST(SqliteCompactar, CanceladaDuranteElVacuumDejaElArchivoComoEstaba) {
    BaseTemporal b(kDatos + kHuecos);
    const std::string antes = LeerArchivo(b.Ruta());
    int veces = 0;
    auto cn = b.Abrir();
    // The window's progress callback, which the VACUUM's cancel check borrows and gives back.
    int avisos = 0;
    cn->FijarAlProgresar([&] { ++avisos; });
    const Compactacion r = cn->Compactar([&] { return ++veces > 1; });
    EXPECT_EQ(r.estado, EstadoCompactacion::kCancelada);
    EXPECT_GT(veces, 1) << "stopped inside the VACUUM, not before it";
    EXPECT_TRUE(LeerArchivo(b.Ruta()) == antes);
    EXPECT_EQ(b.Uno("PRAGMA integrity_check"), "ok");
    avisos = 0;
    cn->Consultar("SELECT COUNT(*) FROM T a, T b");
    EXPECT_GT(avisos, 0);
}

}  // namespace
}  // namespace dep
