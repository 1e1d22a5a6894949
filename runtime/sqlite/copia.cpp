// The embedded engine's backup: SQLite's online backup of the live file into a new file, then
// checked with integrity_check. A copy that cannot be made whole is removed.
#include <sqlite3.h>

#include <ctime>
#include <filesystem>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFuente = "depuracion/sqlite";

[[noreturn]] void NoCopia(const std::string& motivo) {
    throw Falla(err::kBaseDatos, "No se pudo hacer la copia de seguridad: " + motivo, kFuente);
}

// The destination database, closed on every way out.
class Destino {
  public:
    explicit Destino(const std::string& ruta) {
        if (sqlite3_open_v2(ruta.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK) {
            const std::string m = db_ ? sqlite3_errmsg(db_) : "sin memoria";
            sqlite3_close_v2(db_);
            db_ = nullptr;
            NoCopia("no se puede crear el archivo '" + ruta + "' (" + m + ")");
        }
    }
    ~Destino() { sqlite3_close_v2(db_); }
    Destino(const Destino&) = delete;
    Destino& operator=(const Destino&) = delete;
    sqlite3* get() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

void CopiarEn(sqlite3* origen, const std::string& ruta) {
    Destino d(ruta);
    sqlite3_backup* b = sqlite3_backup_init(d.get(), "main", origen, "main");
    if (!b) NoCopia(sqlite3_errmsg(d.get()));
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) NoCopia(std::string(sqlite3_errstr(rc)) + " al copiar en '" + ruta + "'");
    sqlite::SentenciaPreparada st(d.get(), "PRAGMA integrity_check");
    std::string resultado = "sin respuesta";
    if (st && sqlite3_step(st.get()) == SQLITE_ROW && sqlite3_column_text(st.get(), 0))
        resultado = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    if (resultado != "ok")
        NoCopia("la copia '" + ruta + "' no pasó la comprobación de integridad (" + resultado + ")");
}

}  // namespace

std::string ConexionSqlite::CopiaDeSeguridad(const std::string& carpeta, long long& bytes) {
    if (nivel_ > 0) NoCopia("hay una transacción en curso");
    std::error_code ec;
    const fs::path base = fs::absolute(ruta_, ec);
    const fs::path dir = carpeta.empty() ? base.parent_path() : fs::path(carpeta);
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir))
        NoCopia("no se puede crear la carpeta '" + dir.string() + "'" +
                (ec ? " (" + ec.message() + ")" : ""));
    // The copy is as large as the database's pages; with less room it would fail half way.
    const long long paginas = sqlite::PrimerEntero(db_, "PRAGMA page_count");
    const long long tam = sqlite::PrimerEntero(db_, "PRAGMA page_size");
    const auto libre = fs::space(dir, ec);
    if (!ec && static_cast<long long>(libre.available) < paginas * tam + (1 << 20))
        NoCopia("no hay espacio en '" + dir.string() + "': hacen falta " +
                std::to_string(paginas * tam / 1048576 + 1) + " MB y quedan " +
                std::to_string(libre.available / 1048576) + " MB");
    fs::path destino = dir / (base.stem().string() + "-" + HoraLocal("%Y%m%d-%H%M%S") + ".db");
    for (int n = 2; fs::exists(destino); ++n)
        destino =
            dir / (base.stem().string() + "-" + HoraLocal("%Y%m%d-%H%M%S") + "-" + std::to_string(n) + ".db");
    try {
        CopiarEn(db_, destino.string());
    } catch (...) {
        fs::remove(destino, ec);
        fs::remove(destino.string() + "-journal", ec);
        throw;
    }
    bytes = static_cast<long long>(fs::file_size(destino, ec));
    if (ec) bytes = -1;
    Trazar("CopiaDeSeguridad", destino.string(), "hecha");
    return destino.string();
}

}  // namespace dep
