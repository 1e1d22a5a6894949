// The console program timed from outside, and plain SQLite on the same statements.
#include "bench/corrida.hpp"
#include "bench/medidas.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "purge/vista_previa.hpp"
#include "runtime/conexion.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep::bench {

namespace {

// The cut-off as a SQLite date literal, built in steps (GCC 12 at -O3 warns falsely on "'" + text).
std::string Iso(const std::string& hasta) {
    const auto f = ReconocerFecha(hasta);
    if (!f) throw Falla(1, "fecha incorrecta: " + hasta, "bench");
    std::string r(1, '\'');
    r += TextoFechaIso(*f);
    r += '\'';
    return r;
}

// A plain SQLite connection, as any other program would open the file.
class Plana {
  public:
    explicit Plana(const std::string& base) {
        if (sqlite3_open_v2(base.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw Falla(1, "no se pudo abrir " + base, "bench");
    }
    ~Plana() { sqlite3_close_v2(db_); }
    Plana(const Plana&) = delete;
    Plana& operator=(const Plana&) = delete;
    long long Ejecutar(const std::string& sql) {
        char* msg = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
            const std::string texto = msg ? msg : "?";
            sqlite3_free(msg);
            throw Falla(1, texto + " en " + sql, "bench");
        }
        return sqlite3_changes64(db_);
    }
    sqlite3* db() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

}  // namespace

double Consola(const std::vector<std::string>& argumentos) {
    std::vector<char*> argv{const_cast<char*>(DEP_CONSOLA)};
    for (const auto& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int nulo = open("/dev/null", O_WRONLY);
        dup2(nulo, 1);
        dup2(nulo, 2);
        execv(DEP_CONSOLA, argv.data());
        _exit(127);
    }
    int estado = 0;
    waitpid(pid, &estado, 0);
    const double t = Segundos(t0);
    if (!WIFEXITED(estado) || WEXITSTATUS(estado) != 0)
        throw Falla(1, "depuracion-consola terminó con estado " + std::to_string(WEXITSTATUS(estado)),
                    "bench");
    return t;
}

double CorridaCompleta(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    const double t = Consola({"--hasta", hasta, "--base", base, "--sin-compactar"});
    v.push_back(static_cast<double>(std::filesystem::file_size(base)));
    return t;
}

double Purga(const std::string& base, const std::string& hasta, const std::string& opcion,
             std::vector<double>&) {
    return Consola({"--hasta", hasta, "--base", base, opcion, "--sin-compactar"});
}

double PisoStock(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    Plana cn(base);
    const std::string f = Iso(hasta);
    auto items = [&](const char* items, const char* cabecera) {
        return std::string("DELETE FROM ") + items + " WHERE EXISTS (SELECT 1 FROM " + cabecera +
               " C WHERE C.TC = " + items + ".TC AND C.IDCOMPROBANTE = " + items +
               ".IDCOMPROBANTE AND C.FECHA <= " + f + ")";
    };
    const auto t0 = std::chrono::steady_clock::now();
    long long filas = 0;
    sqlite::Transaccion tx(cn.db());
    for (const auto& [detalle, cabecera] :
         {std::pair{"V_MV_STOCK_ITEMS", "V_MV_STOCK"}, std::pair{"V_MV_CPTE_ITEMS", "V_MV_CPTE"},
          std::pair{"C_MV_CPTE_ITEMS", "C_MV_CPTE"}}) {
        filas += cn.Ejecutar(items(detalle, cabecera));
        filas += cn.Ejecutar(std::string("DELETE FROM ") + cabecera + " WHERE FECHA <= " + f);
    }
    if (tx.Confirmar() != SQLITE_OK) throw Falla(1, sqlite3_errmsg(cn.db()), "bench");
    const double t = Segundos(t0);
    v.push_back(static_cast<double>(filas));
    return t;
}

double PisoTemporales(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    Plana cn(base);
    const std::string f = Iso(hasta);
    const auto t0 = std::chrono::steady_clock::now();
    long long filas = 0;
    for (const std::string& tabla : TablasTemporales()) filas += cn.Ejecutar("DELETE FROM " + tabla);
    for (const std::string& tabla : TablasHistorial())
        filas += cn.Ejecutar(std::string("DELETE FROM ") + tabla + " WHERE FECHA <= " + f);
    const double t = Segundos(t0);
    v.push_back(static_cast<double>(filas));
    return t;
}

double Compactacion(const std::string& base, std::vector<double>& v) {
    auto cn = Abrir(base);
    const auto t0 = std::chrono::steady_clock::now();
    const dep::Compactacion c = cn->Compactar({});
    const double t = Segundos(t0);
    v.push_back(static_cast<double>(c.antes));
    v.push_back(static_cast<double>(c.despues));
    cn.reset();
    Plana plana(base);
    sqlite::SentenciaPreparada libres(plana.db(), "PRAGMA freelist_count");
    v.push_back(libres.Fila() ? std::stod(libres.Columna(0)) : -1);
    return t;
}

int IndicesPlanos(const std::string& base) {
    Plana cn(base);
    std::vector<std::pair<std::string, std::string>> indices;
    {
        sqlite::SentenciaPreparada st(
            cn.db(), "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql LIKE '%rtrim(%'");
        while (st.Fila()) indices.emplace_back(st.Columna(0), st.Columna(1));
    }
    const std::regex sinBlancos(R"(rtrim\((\w+)\)\s+COLLATE\s+NOCASE)", std::regex::icase);
    sqlite::Transaccion t(cn.db());
    for (const auto& [nombre, sql] : indices) {
        cn.Ejecutar("DROP INDEX \"" + nombre + "\"");
        cn.Ejecutar(std::regex_replace(sql, sinBlancos, "$1"));
    }
    if (t.Confirmar() != SQLITE_OK) throw Falla(1, sqlite3_errmsg(cn.db()), "bench");
    return static_cast<int>(indices.size());
}

}  // namespace dep::bench
