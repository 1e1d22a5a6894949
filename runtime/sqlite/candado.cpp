// The run lock of the embedded engine: an exclusive flock on a companion file of the database
// ("<file>-corrida"). The operating system drops it when the process ends, however it ends, so
// a killed run never leaves the database locked. The holder writes who it is into the file for
// the message a second run shows.
//
// One lock per database file, whatever path reaches it: the companion is named after the file's
// canonical path (links of the file and of its folders resolved), and a file with a second name
// (a hard link) is refused, as SQLite keeps one journal per name and two names corrupt it. The
// companion is itself an input: a link, a folder, a FIFO or someone else's file planted under
// its name is refused and never written.
//
// POSIX (flock, stat identities). On Windows the same rules go here with LockFileEx on a handle
// opened with FILE_FLAG_OPEN_REPARSE_POINT, the identity and the number of names from
// GetFileInformationByHandle, and GetFinalPathNameByHandleW for the canonical name.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>

#include "runtime/archivo_acotado.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/motores.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFuente = "depuracion/sqlite";
// The holder line starts so; a companion holding anything else was not written by the lock.
constexpr std::string_view kPrefijoOcupante = "proceso ";
constexpr std::size_t kMaximoOcupante = 1024;

class CandadoArchivo final : public CandadoCorrida {
  public:
    explicit CandadoArchivo(ArchivoAbierto f) : f_(std::move(f)) {}
    ~CandadoArchivo() override {
        // Emptied before it is let go, so no one reads a finished run as the holder.
        if (::ftruncate(f_.Fd(), 0) != 0) {
            // Nothing to do: the stale text is only read while somebody holds the lock.
        }
        ::flock(f_.Fd(), LOCK_UN);
    }
    CandadoArchivo(const CandadoArchivo&) = delete;
    CandadoArchivo& operator=(const CandadoArchivo&) = delete;

  private:
    ArchivoAbierto f_;
};

[[noreturn]] void NoBloquea(const std::string& motivo) {
    throw Falla(err::kBaseDatos, motivo, kFuente);
}

// The file's path with every link and relative part resolved; as typed when it cannot be.
std::string Canonica(const std::string& ruta) {
    std::error_code ec;
    fs::path p = fs::canonical(ruta, ec);
    if (ec) p = fs::weakly_canonical(fs::absolute(ruta, ec), ec);
    return ec ? ruta : p.string();
}

// Up to kMaximoOcupante + 1 bytes of the file, trailing blanks dropped.
std::string Contenido(int fd) {
    std::string r(kMaximoOcupante + 1, '\0');
    const ssize_t n = ::pread(fd, r.data(), r.size(), 0);
    r.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!r.empty() && (r.back() == '\n' || r.back() == ' ')) r.pop_back();
    return r;
}

bool EsOcupante(const std::string& texto) {
    return texto.size() <= kMaximoOcupante &&
           texto.compare(0, kPrefijoOcupante.size(), kPrefijoOcupante) == 0;
}

std::string Ocupante(int fd) {
    const std::string quien = Contenido(fd);
    return EsOcupante(quien) ? quien : "otro proceso (no dejó sus datos)";
}

std::string Equipo() {
    char b[256] = {};
    if (::gethostname(b, sizeof b - 1) != 0) return {};
    return b;
}

bool MismoArchivo(const struct stat& a, const std::string& ruta) {
    struct stat b {};
    return ::stat(ruta.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Refuses a database reached by more than one name; gives its permission bits.
unsigned ComprobarBase(const std::string& base) {
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0)
        NoBloquea("no se puede consultar la base de datos '" + base + "' (" + std::strerror(errno) + ")");
    if (st.st_nlink > 1)
        NoBloquea("la base de datos '" + base + "' tiene " + std::to_string(st.st_nlink) +
                  " nombres en el disco, enlaces duros: SQLite lleva un diario por cada nombre y, abierta "
                  "por dos de ellos, la base se daña; deje un solo nombre y vuelva a intentarlo");
    return static_cast<unsigned>(st.st_mode & 0666);
}

// Opens the companion `ruta` of `base`, or refuses it naming why.
ArchivoAbierto AbrirCompanero(const std::string& ruta, const std::string& base, unsigned permisos) {
    std::string motivo;
    ArchivoAbierto f = AbrirArchivoAcotado(ruta, Apertura::kLeerEscribir, permisos, motivo);
    const std::string nombre = "el archivo de bloqueo de corridas '" + ruta + "' ";
    if (!f) NoBloquea(nombre + motivo + "; revíselo o quítelo y vuelva a intentarlo");
    struct stat st {};
    if (::fstat(f.Fd(), &st) != 0) NoBloquea(nombre + "no se puede consultar (" + std::strerror(errno) + ")");
    for (const auto& archivo : ArchivosDeLaBase(base))
        if (archivo != ruta && MismoArchivo(st, archivo))
            NoBloquea(nombre + "es la base de datos o uno de sus archivos; quítelo y vuelva a intentarlo");
    // As open as the database: whoever may run on it may take the lock (the umask narrowed it).
    if (f.Creado() && ::fchmod(f.Fd(), permisos) != 0) {
        // Left as the umask made it: only users outside it miss the lock, and they are told.
    }
    return f;
}

}  // namespace

std::string ArchivoCandado(const std::string& base) {
    return Canonica(base) + "-corrida";
}

std::vector<std::string> ArchivosDeLaBase(const std::string& base) {
    std::vector<std::string> r;
    for (const std::string& b : {base, Canonica(base)})
        if (r.empty() || b != r.front()) r.insert(r.end(), {b, b + "-journal", b + "-wal", b + "-shm"});
    r.push_back(ArchivoCandado(base));
    return r;
}

std::unique_ptr<CandadoCorrida> ConexionSqlite::TomarCandadoCorrida(std::string& ocupante) {
    const unsigned permisos = ComprobarBase(ruta_);
    const std::string ruta = ArchivoCandado(ruta_);
    ArchivoAbierto f = AbrirCompanero(ruta, ruta_, permisos);
    // A preview peeks with a shared lock for an instant: a run starting then tries a little longer.
    for (int intento = 0;; ++intento) {
        if (::flock(f.Fd(), LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR)
            NoBloquea("no se puede bloquear '" + ruta + "' (" + std::strerror(errno) + ")");
        if (intento == 10) {
            ocupante = Ocupante(f.Fd());
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // Held now: what is in it was left by a lock that ended, or by someone else.
    if (const std::string antes = Contenido(f.Fd()); !antes.empty() && !EsOcupante(antes)) {
        ::flock(f.Fd(), LOCK_UN);
        NoBloquea("el archivo de bloqueo de corridas '" + ruta +
                  "' tiene un contenido que no escribió esta herramienta; revíselo, quítelo y vuelva a "
                  "intentarlo");
    }
    const std::string yo = std::string(kPrefijoOcupante) + std::to_string(::getpid()) + " del usuario " +
                           usuario_ + " en el equipo " + Equipo() + ", desde el " +
                           HoraLocal("%d/%m/%Y %H:%M:%S");
    if (::ftruncate(f.Fd(), 0) != 0 || ::pwrite(f.Fd(), yo.data(), yo.size(), 0) < 0) {
        // Who holds the lock is a courtesy for the message of a second run; the lock itself holds.
    }
    Trazar("Candado", ruta, "tomado");
    return std::make_unique<CandadoArchivo>(std::move(f));
}

bool ConexionSqlite::CorridaEnCurso(std::string& ocupante) {
    // Never creates nor writes: a preview changes no file. A companion a run would refuse (a link,
    // not a regular file, a second name) is one no run holds.
    ArchivoAbierto f(::open(ArchivoCandado(ruta_).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!f) return false;
    struct stat st {};
    if (::fstat(f.Fd(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) return false;
    if (::flock(f.Fd(), LOCK_SH | LOCK_NB) == 0) {
        ::flock(f.Fd(), LOCK_UN);
        return false;
    }
    ocupante = Ocupante(f.Fd());
    return true;
}

}  // namespace dep
