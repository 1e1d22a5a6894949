#include "tests/fiabilidad/libros.hpp"

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep::fiabilidad {

namespace {

constexpr const char* kFamilia = "(TC IN ('FP','CBFP','FPC','PGFP'))";
constexpr const char* kResumen = "(DETALLE = 'Depuracion' AND LETRA = 'X' AND TC IN ('CC','FP'))";

// Group key columns, a null as the empty text; the rate printed so that 1 and 1.0 meet.
constexpr const char* kClave =
    "CUENTA, [DEBE-HABER], ifnull(MONEDA,''), printf('%.6f', ifnull(COTIZACION,0)), "
    "ifnull(NroComprobanteBancario,''), ifnull(TIPO_REG,''), ifnull(IdCajas,''), ifnull(UNEGOCIO,'')";

void Sumar(sqlite3* db, const std::string& condicion, Sumas& m) {
    const std::string sql = std::string("SELECT ") + kFamilia + ", " + kClave +
                            ", SUM(IMPORTE) FROM MV_ASIENTOS WHERE " + condicion + " GROUP BY 1, " + kClave;
    const sqlite::SentenciaPreparada st(db, sql);
    if (!st) {
        m[Clave{false, {"ERROR", sqlite3_errmsg(db)}}] = 1;
        return;
    }
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
        std::vector<std::string> k;
        for (int i = 1; i <= 8; ++i) {
            const auto* t = sqlite3_column_text(st.get(), i);
            k.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        const long long c = std::llround(sqlite3_column_double(st.get(), 9) * 100.0);
        m[Clave{sqlite3_column_int(st.get(), 0) != 0, k}] += c;
    }
}

// A read-only handle on `base`, closed with the object.
using Lectura = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
Lectura AbrirLectura(const std::string& base) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(base.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 5000);
    return Lectura(db, &sqlite3_close);
}

std::string Ordinarias(const std::string& hastaIso) {
    return std::string("EsCierre = 0 AND ES_SALDO_APERTURA = 0 AND NOT ") + kResumen + " AND FECHA < date('" +
           hastaIso + "', '+1 day')";
}

}  // namespace

Sumas Originales(const std::string& base, const std::string& hastaIso) {
    Sumas m;
    Sumar(AbrirLectura(base).get(), Ordinarias(hastaIso), m);
    return m;
}

Sumas Actuales(const std::string& base, const std::string& hastaIso) {
    Sumas m;
    const Lectura l = AbrirLectura(base);
    sqlite3* db = l.get();
    Sumar(db, Ordinarias(hastaIso), m);
    Sumar(db, kResumen, m);
    for (auto it = m.begin(); it != m.end();) it = it->second == 0 ? m.erase(it) : std::next(it);
    return m;
}

std::vector<std::string> Diferencias(const Sumas& antes, const Sumas& ahora) {
    std::vector<std::string> d;
    auto texto = [](const Clave& k) {
        std::string s = std::get<0>(k) ? "FP" : "CC";
        for (const auto& c : std::get<1>(k)) s += "|" + c;
        return s;
    };
    for (const auto& [k, v] : antes) {
        auto it = ahora.find(k);
        const long long w = it == ahora.end() ? 0 : it->second;
        if (v != w) d.push_back(texto(k) + ": antes " + std::to_string(v) + ", ahora " + std::to_string(w));
    }
    for (const auto& [k, w] : ahora)
        if (!antes.count(k) && w != 0) d.push_back(texto(k) + ": no existia, ahora " + std::to_string(w));
    return d;
}

long long Cuenta(const std::string& base, const std::string& sql) {
    const Lectura db = AbrirLectura(base);
    const sqlite::SentenciaPreparada st(db.get(), sql);
    return st && sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : -1;
}

void Demo(const std::string& ruta, long long asientos, std::uint32_t semilla) {
    OpcionesDemo o;
    o.asientos = asientos;
    o.semilla = semilla;
    GenerarDemo(ruta, o);
}

void Cuadra(const std::string& base, const Sumas& originales, const std::string& hastaIso,
            const std::string& que) {
    EXPECT_EQ(Integridad(base), "ok") << que;
    const auto d = Diferencias(originales, Actuales(base, hastaIso));
    EXPECT_TRUE(d.empty()) << que << ": " << d.size() << " grupos descuadrados, el primero "
                           << (d.empty() ? "" : d.front());
}

void RevisarLibros(const std::string& base, const Sumas& originales, const std::string& hastaIso,
                   int disparadores, const std::string& que) {
    Cuadra(base, originales, hastaIso, que);
    EXPECT_EQ(DisparadoresDeAsientos(base), disparadores) << que;
    EXPECT_EQ(DisparadoresGuardados(base), 0) << que;
}

std::string Integridad(const std::string& base) {
    const Lectura l = AbrirLectura(base);
    sqlite3* db = l.get();
    std::string r = "no se pudo abrir";
    if (const sqlite::SentenciaPreparada st(db, "PRAGMA integrity_check"); st) {
        r.clear();
        while (sqlite3_step(st.get()) == SQLITE_ROW)
            r += reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    } else {
        r = sqlite3_errmsg(db);
    }
    return r;
}

int DisparadoresDeAsientos(const std::string& base) {
    return static_cast<int>(Cuenta(base,
                                   "SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = "
                                   "'MV_ASIENTOS' COLLATE NOCASE"));
}

long long DisparadoresGuardados(const std::string& base) {
    long long n = 0;
    for (const std::string tabla : {"DEP_TABLAS_SIN_DISPARADORES", "DEP_TRIGGERS_DESACTIVADOS"})
        if (Cuenta(base, "SELECT COUNT(*) FROM sqlite_master WHERE name = '" + tabla + "'") != 0)
            n += Cuenta(base, "SELECT COUNT(*) FROM " + tabla);
    return n;
}

std::string Leer(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

Salida Programa(const std::vector<std::string>& args, const std::vector<std::string>& entorno) {
    Carpeta c;
    Salida s;
    s.estado = prueba::Ejecutar({DEP_CONSOLA, args, entorno, c / "out", c / "err"});
    s.out = Leer(c / "out");
    s.err = Leer(c / "err");
    return s;
}

Salida ProgramaEn(const Carpeta& c, const std::vector<std::string>& args, std::vector<std::string> entorno) {
    entorno.push_back("TEMP=" + c.Ruta().string());
    return Programa(args, entorno);
}

void Redeclarar(const std::string& base, const std::string& de, const std::string& a) {
    demo::Bd(base).Ejecutar("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = replace(sql, '" + de +
                            "', '" + a + "') WHERE name = 'MV_ASIENTOS'; PRAGMA writable_schema=OFF;");
}

std::string DemoEn(const Carpeta& c, long long asientos) {
    const std::string base = c / "demo.db";
    Demo(base, asientos);
    return base;
}

bool FechaGrabada(const std::string& base, const std::string& fecha) {
    return Cuenta(
               base,
               "SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION' AND VALOR = '" +
                   fecha + "'") == 1;
}

std::string ClaveResumenCC(const std::string& base) {
    const auto f = demo::Bd(base).Filas(
        "SELECT SUCURSAL || NUMERO || LETRA FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND TC = 'CC' "
        "LIMIT 1");
    return f.empty() ? std::string() : f[0][0];
}

namespace {
// Waits up to a minute for `p` to appear; whether it did.
bool EsperarArchivo(const std::filesystem::path& p) {
    for (int i = 0; i < 3000 && !std::filesystem::exists(p); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return std::filesystem::exists(p);
}

std::vector<std::string> EntornoRetenido(const Carpeta& c, std::vector<std::string> entorno) {
    std::ofstream(c / "pausa") << "\n";
    entorno.insert(entorno.end(), {"DEPURACION_PAUSA=" + (c / "pausa"), "TEMP=" + c.Ruta().string()});
    return entorno;
}
}  // namespace

Retenida::Retenida(const Carpeta& c, const std::vector<std::string>& args,
                   const std::vector<std::string>& entorno)
    : EnSegundoPlano(args, EntornoRetenido(c, entorno)), pausa_(c / "pausa") {}

bool Retenida::EnPausa() const {
    return EsperarArchivo(pausa_ + ".en-pausa");
}

void Retenida::Soltar() const {
    std::filesystem::remove(pausa_);
}

std::string PorQueNoMonta() {
#ifdef __linux__
    return ::geteuid() == 0 ? std::string() : "montar un tmpfs pequeño requiere ser root";
#else
    return "los discos pequeños y de solo lectura de estas pruebas son montajes de Linux";
#endif
}

std::string MontarTmpfs(const std::filesystem::path& carpeta, const std::string& tamano) {
#ifdef __linux__
    if (::mount("tmpfs", carpeta.c_str(), "tmpfs", 0, ("size=" + tamano).c_str()) != 0)
        return std::string("no se pudo montar un tmpfs: ") + std::strerror(errno);
    return {};
#else
    (void)carpeta, (void)tamano;
    return PorQueNoMonta();
#endif
}

bool MontarSoloLectura(const std::filesystem::path& carpeta) {
#ifdef __linux__
    if (::geteuid() != 0 || ::mount(carpeta.c_str(), carpeta.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    if (::mount(nullptr, carpeta.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0)
        return true;
    ::umount(carpeta.c_str());
    return false;
#else
    (void)carpeta;
    return false;
#endif
}

std::string MontarDisco(const std::filesystem::path& disco, const std::filesystem::path& modelo,
                        const std::filesystem::path& base) {
    std::filesystem::create_directories(disco);
    const std::string no =
        MontarTmpfs(disco, std::to_string(std::filesystem::file_size(modelo) + 64 * 1024 * 1024));
    if (no.empty()) std::filesystem::copy_file(modelo, base);
    return no;
}

void Desmontar(const std::filesystem::path& disco) {
#ifdef __linux__
    umount(disco.c_str());
#else
    (void)disco;
#endif
}

void LlenarDisco(const std::filesystem::path& disco, std::uintmax_t libres) {
    {
        std::ofstream relleno(disco / "relleno", std::ios::binary);
        const std::string bloque(4096, 'x');
        while (relleno.write(bloque.data(), static_cast<std::streamsize>(bloque.size()))) {
        }
    }
    std::filesystem::resize_file(disco / "relleno", std::filesystem::file_size(disco / "relleno") - libres);
}

}  // namespace dep::fiabilidad
