// The run lock of the embedded engine: an exclusive flock on a companion file of the database
// ("<file>-corrida"). The operating system drops it when the process ends, however it ends, so
// a killed run never leaves the database locked. The holder writes who it is into the file for
// the message a second run shows.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/motores.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"

namespace dep {

namespace {

constexpr const char* kFuente = "depuracion/sqlite";

// An open descriptor, closed on every way out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

class CandadoArchivo final : public CandadoCorrida {
  public:
    explicit CandadoArchivo(int fd) : fd_(fd) {}
    ~CandadoArchivo() override {
        // Emptied before it is let go, so no one reads a finished run as the holder.
        if (::ftruncate(fd_, 0) != 0) {
            // Nothing to do: the stale text is only read while somebody holds the lock.
        }
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    CandadoArchivo(const CandadoArchivo&) = delete;
    CandadoArchivo& operator=(const CandadoArchivo&) = delete;

  private:
    int fd_;
};

std::string Contenido(int fd) {
    std::string r;
    char b[512];
    ssize_t n = ::pread(fd, b, sizeof b, 0);
    if (n > 0) r.assign(b, static_cast<std::size_t>(n));
    while (!r.empty() && (r.back() == '\n' || r.back() == ' ')) r.pop_back();
    return r;
}

std::string Ocupante(int fd) {
    const std::string quien = Contenido(fd);
    return quien.empty() ? "otro proceso (no dejó sus datos)" : quien;
}

std::string Equipo() {
    char b[256] = {};
    if (::gethostname(b, sizeof b - 1) != 0) return {};
    return b;
}

int AbrirArchivo(const std::string& ruta) {
    return ::open(ruta.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

}  // namespace

std::string ArchivoCandado(const std::string& base) {
    return base + "-corrida";
}

std::vector<std::string> ArchivosDeLaBase(const std::string& base) {
    return {base, base + "-journal", base + "-wal", base + "-shm", ArchivoCandado(base)};
}

std::unique_ptr<CandadoCorrida> ConexionSqlite::TomarCandadoCorrida(std::string& ocupante) {
    const std::string ruta = ArchivoCandado(ruta_);
    Descriptor fd(AbrirArchivo(ruta));
    if (fd.get() < 0)
        throw Falla(
            err::kBaseDatos,
            "No se puede crear el archivo de bloqueo de corridas '" + ruta + "': " + std::strerror(errno),
            kFuente);
    // A preview peeks with a shared lock for an instant: a run starting then tries a little longer.
    for (int intento = 0;; ++intento) {
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR)
            throw Falla(err::kBaseDatos, "No se puede bloquear '" + ruta + "': " + std::strerror(errno),
                        kFuente);
        if (intento == 10) {
            ocupante = Ocupante(fd.get());
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string yo = "proceso " + std::to_string(::getpid()) + " del usuario " + usuario_ +
                           " en el equipo " + Equipo() + ", desde el " + HoraLocal("%d/%m/%Y %H:%M:%S");
    if (::ftruncate(fd.get(), 0) != 0 || ::pwrite(fd.get(), yo.data(), yo.size(), 0) < 0) {
        // Who holds the lock is a courtesy for the message of a second run; the lock itself holds.
    }
    Trazar("Candado", ruta, "tomado");
    return std::make_unique<CandadoArchivo>(fd.release());
}

bool ConexionSqlite::CorridaEnCurso(std::string& ocupante) {
    Descriptor fd(::open(ArchivoCandado(ruta_).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return false;  // no run ever took it here
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd.get(), LOCK_UN);
        return false;
    }
    ocupante = Ocupante(fd.get());
    return true;
}

}  // namespace dep
