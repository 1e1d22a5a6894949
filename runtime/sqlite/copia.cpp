// The embedded engine's backup: SQLite's online backup of the live file into a new file, then
// checked with integrity_check. The copy is written under a temporary name ("….db.parcial") that
// this program creates itself, no more open than the database, and takes its final name only
// once checked, never replacing a file: a copy cut short (cancelled, failed, killed) is never
// found under a backup's name.
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "runtime/archivo_acotado.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/interrupcion.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

constexpr int kPaginasPorPaso = 256;  // 1 MiB of 4 KiB pages between two looks at the cancel button
constexpr int kEsperasOcupada = 200;  // another program writing: 10 s in steps of 50 ms
constexpr int kNombres = 100;         // copies of the same second tried before giving up

[[noreturn]] void NoCopia(const std::string& motivo) {
    throw Falla(err::kBaseDatos, "No se pudo hacer la copia de seguridad: " + motivo, kFuenteSqlite);
}

// The copy under its temporary name: removed, with what SQLite kept beside it, unless published.
class Parcial {
  public:
    explicit Parcial(std::string ruta) : ruta_(std::move(ruta)) {}
    ~Parcial() {
        std::error_code ec;
        if (!ruta_.empty())
            for (const char* sufijo : {"", "-journal", "-wal", "-shm"}) fs::remove(Ruta(ruta_ + sufijo), ec);
    }
    Parcial(const Parcial&) = delete;
    Parcial& operator=(const Parcial&) = delete;
    void Publicada() { ruta_.clear(); }

  private:
    std::string ruta_;
};

// The destination database on the file this program created, closed on every way out.
class Destino {
  public:
    Destino(const std::string& ruta, const ArchivoAbierto& creado) {
        // No SQLITE_OPEN_CREATE and no link followed: only the file created here is opened.
        const int rc =
            sqlite3_open_v2(ruta.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
        std::string falla;
        if (rc != SQLITE_OK)
            falla = "no se puede abrir el archivo '" + ruta + "' (" +
                    (db_ ? sqlite3_errmsg(db_) : "sin memoria") + ")";
        else if (const auto a = creado.Identidad(); !a || IdentidadDe(ruta) != a)
            falla = "el archivo '" + ruta + "' fue reemplazado por otro mientras se lo abría";
        if (!falla.empty()) {
            sqlite3_close_v2(db_);
            NoCopia(falla);
        }
    }
    ~Destino() { sqlite3_close_v2(db_); }
    Destino(const Destino&) = delete;
    Destino& operator=(const Destino&) = delete;
    sqlite3* get() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

// One backup between two connections, finished on every way out.
class Respaldo {
  public:
    Respaldo(sqlite3* destino, sqlite3* origen) : b_(sqlite3_backup_init(destino, "main", origen, "main")) {
        if (!b_) NoCopia(sqlite3_errmsg(destino));
    }
    ~Respaldo() { sqlite3_backup_finish(b_); }
    Respaldo(const Respaldo&) = delete;
    Respaldo& operator=(const Respaldo&) = delete;
    sqlite3_backup* get() const { return b_; }

  private:
    sqlite3_backup* b_;
};

[[noreturn]] void Cancelada() {
    throw Falla(err::kCancelado, "Copia de seguridad cancelada: no se dejó ninguna copia", kFuenteSqlite);
}

// The pages in steps, asking `cancelar` between them; a busy source is waited for a while.
void Copiar(sqlite3* origen, sqlite3* destino, const std::string& ruta, const SeCancela& cancelar) {
    Respaldo b(destino, origen);
    int rc = SQLITE_OK, esperas = 0;
    do {
        if (cancelar && cancelar()) Cancelada();
        rc = sqlite3_backup_step(b.get(), kPaginasPorPaso);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (++esperas > kEsperasOcupada) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    if (rc != SQLITE_DONE) NoCopia(std::string(sqlite3_errstr(rc)) + " al copiar en '" + ruta + "'");
}

// The check reads every page again, for as long as the copy took or longer: it listens too.
void Comprobar(sqlite3* db, const std::string& ruta, const SeCancela& cancelar) {
    std::string resultado = "sin respuesta";
    {
        const sqlite::Interrupcion i(db, cancelar);
        sqlite::SentenciaPreparada st(db, "PRAGMA integrity_check");
        if (st.Fila()) resultado = st.Columna(0);
        if (i.Disparada()) Cancelada();
    }
    if (resultado != "ok")
        NoCopia("la copia '" + ruta + "' no pasó la comprobación de integridad (" + resultado + ")");
}

// Gives `desde` the name `hacia` unless a file holds it already (false then).
bool Renombrar(const std::string& desde, const std::string& hacia) {
    std::string error;
    const Renombre r = RenombrarSinReemplazar(desde, hacia, error);
    if (r == Renombre::kFalla)
        NoCopia("no se puede dar a la copia el nombre '" + hacia + "' (" + error + ")");
    return r == Renombre::kHecho;
}

// The copy's file under the first free temporary name "<name>.parcial", made here.
template <class Nombre>
ArchivoAbierto CrearTemporal(const Nombre& nombre, const Permisos& permisos, std::string& temporal) {
    std::string motivo;
    for (int n = 1; n <= kNombres; ++n) {
        temporal = nombre(n) + ".parcial";
        ArchivoAbierto f = AbrirArchivoAcotado(temporal, Apertura::kNuevo, permisos, motivo);
        if (f) return f;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(Ruta(temporal), ec))) break;  // not a name taken: a failure
    }
    NoCopia("no se puede crear el archivo '" + temporal + "': " + motivo);
}

// Gives the checked copy the first free backup name; returns it.
template <class Nombre>
std::string Publicar(const std::string& temporal, const Nombre& nombre) {
    for (int n = 1; n <= kNombres; ++n)
        if (Renombrar(temporal, nombre(n))) return nombre(n);
    NoCopia("ya existen copias con los nombres '" + nombre(1) + "' y siguientes");
}

}  // namespace

std::string ConexionSqlite::CopiaDeSeguridad(const std::string& carpeta, long long& bytes,
                                             const SeCancela& cancelar) {
    if (nivel_ > 0) NoCopia("hay una transacción en curso");
    std::error_code ec;
    const fs::path base = fs::absolute(Ruta(ruta_), ec);
    fs::path dir = carpeta.empty() ? base.parent_path() : Ruta(carpeta);
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir))
        NoCopia("no se puede crear la carpeta '" + TextoRuta(dir) + "'" +
                (ec ? " (" + ec.message() + ")" : ""));
    // The copy is opened refusing links anywhere in its path: a folder the operator reaches
    // through one (the database's own, or the one chosen) is named as it really is.
    if (fs::path real = fs::canonical(dir, ec); !ec) dir = std::move(real);
    // The copy is as large as the database's pages; with less room it would fail half way.
    const long long paginas = sqlite::PrimerEntero(db_, "PRAGMA page_count");
    const long long tam = sqlite::PrimerEntero(db_, "PRAGMA page_size");
    const auto libre = fs::space(dir, ec);
    if (!ec && static_cast<long long>(libre.available) < paginas * tam + (1 << 20))
        NoCopia("no hay espacio en '" + TextoRuta(dir) + "': hacen falta " +
                std::to_string(paginas * tam / 1048576 + 1) + " MB y quedan " +
                std::to_string(libre.available / 1048576) + " MB");
    const std::string raiz = TextoRuta(dir / base.stem()) + "-" + HoraLocal("%Y%m%d-%H%M%S");
    auto nombre = [&](int n) { return raiz + (n > 1 ? "-" + std::to_string(n) : "") + ".db"; };
    std::string temporal;
    ArchivoAbierto creado = CrearTemporal(nombre, PermisosDe(ruta_), temporal);
    Parcial parcial(temporal);
    {
        Destino d(temporal, creado);
        creado = ArchivoAbierto();
        Copiar(db_, d.get(), temporal, cancelar);
        Comprobar(d.get(), temporal, cancelar);
    }
    if (cancelar && cancelar()) Cancelada();
    const std::string destino = Publicar(temporal, nombre);
    parcial.Publicada();
    AsentarCarpeta(TextoRuta(dir));
    bytes = static_cast<long long>(fs::file_size(Ruta(destino), ec));
    if (ec) bytes = -1;
    Trazar("CopiaDeSeguridad", destino, "hecha");
    return destino;
}

}  // namespace dep
