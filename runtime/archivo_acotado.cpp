// POSIX. A Windows implementation goes here beside it: CreateFileW with CREATE_NEW (a new file)
// or OPEN_EXISTING and FILE_FLAG_OPEN_REPARSE_POINT (a link opened as itself, then refused), the
// type and the number of names from GetFileInformationByHandle, and the rights as the database's
// DACL (GetNamedSecurityInfoW / SetSecurityInfo) instead of mode bits.
#include "runtime/archivo_acotado.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dep {

namespace {

constexpr mode_t kLecturaEscritura = 0666;
constexpr int kIntentos = 3;

// What stands at `ruta` when it cannot be opened: a link is described as itself.
std::string Describir(const std::string& ruta, int error) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) return "es un enlace simbólico";
        if (S_ISDIR(st.st_mode)) return "es una carpeta";
        if (!S_ISREG(st.st_mode)) return "no es un archivo común";
    }
    return std::string("no se puede abrir (") + std::strerror(error) + ")";
}

// Why an opened existing file may not be written; empty when it may.
std::string Impedimento(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::string("no se puede consultar (") + std::strerror(errno) + ")";
    if (!S_ISREG(st.st_mode)) return "no es un archivo común";
    if (st.st_nlink != 1) return "tiene otro nombre en el disco (un enlace duro)";
    return {};
}

// Takes from a file of this user the rights beyond `bits`; another user's file is left as it is.
void Estrechar(int fd, mode_t bits) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) return;
    const mode_t sobran = st.st_mode & 0777 & ~bits;
    if (sobran != 0 && ::fchmod(fd, st.st_mode & 07777 & ~sobran) != 0) {
        // The file stays as open as it was; what is written is what the operator asked for.
    }
}

}  // namespace

ArchivoAbierto::~ArchivoAbierto() {
    if (fd_ >= 0) ::close(fd_);
}

ArchivoAbierto& ArchivoAbierto::operator=(ArchivoAbierto&& o) noexcept {
    if (this != &o) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = o.fd_;
        creado_ = o.creado_;
        o.fd_ = -1;
    }
    return *this;
}

bool ArchivoAbierto::Escribir(std::string_view texto) {
    while (!texto.empty()) {
        const ssize_t n = ::write(fd_, texto.data(), texto.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        texto.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

ArchivoAbierto AbrirArchivoAcotado(const std::string& ruta, Apertura modo, unsigned permisos,
                                   std::string& motivo) {
    // Non-blocking: a FIFO planted under the name must not hold the program at the open.
    const int banderas = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC |
                         (modo == Apertura::kLeerEscribir ? O_RDWR : O_WRONLY) |
                         (modo == Apertura::kAnadir ? O_APPEND : 0);
    const mode_t bits = static_cast<mode_t>(permisos) & kLecturaEscritura;
    for (int intento = 0; intento < kIntentos; ++intento) {
        if (modo != Apertura::kNuevo) {
            ArchivoAbierto f(::open(ruta.c_str(), banderas));
            if (f) {
                motivo = Impedimento(f.Fd());
                if (!motivo.empty()) return {};
                Estrechar(f.Fd(), bits);
                return f;
            }
            if (errno != ENOENT) {
                motivo = Describir(ruta, errno);
                return {};
            }
        }
        const int fd = ::open(ruta.c_str(), banderas | O_CREAT | O_EXCL, bits);
        if (fd >= 0) return ArchivoAbierto(fd, true);
        if (errno != EEXIST || modo == Apertura::kNuevo) {
            motivo = errno == EEXIST ? "ya existe" : Describir(ruta, errno);
            return {};
        }
        // Made by someone else between the two calls: opened as an existing file.
    }
    motivo = "cambia mientras se lo abre";
    return {};
}

unsigned PermisosDe(const std::string& ruta) {
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0) return 0600;
    return static_cast<unsigned>(st.st_mode & kLecturaEscritura);
}

}  // namespace dep
