// Files about a database on POSIX: O_NOFOLLOW openings, identities and link counts from stat,
// rights as mode bits.
#include "runtime/archivo_acotado.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace dep {

namespace {

constexpr mode_t kLecturaEscritura = 0666;
constexpr int kIntentos = 3;

int Fd(const ArchivoAbierto& f) {
    return static_cast<int>(f.Manejador());
}

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

IdentidadArchivo DeStat(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_nlink), S_ISREG(st.st_mode)};
}

// Why an opened existing file may not be written; empty when it may.
std::string Impedimento(int fd, bool propio) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::string("no se puede consultar (") + std::strerror(errno) + ")";
    if (!S_ISREG(st.st_mode)) return "no es un archivo común";
    if (st.st_nlink != 1) return "tiene otro nombre en el disco (un enlace duro)";
    if (propio && st.st_uid != ::geteuid()) return "es de otro usuario";
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

void ArchivoAbierto::Cerrar(Nativo n) {
    if (n != kCerrado) ::close(static_cast<int>(n));
}

bool ArchivoAbierto::Escribir(std::string_view texto) {
    while (!texto.empty()) {
        const ssize_t n = ::write(static_cast<int>(n_), texto.data(), texto.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        texto.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string ArchivoAbierto::LeerDelPrincipio(std::size_t maximo) const {
    std::string r(maximo, '\0');
    const ssize_t n = ::pread(static_cast<int>(n_), r.data(), r.size(), 0);
    r.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return r;
}

std::optional<char> ArchivoAbierto::UltimoByte() const {
    struct stat st {};
    char c = 0;
    if (::fstat(static_cast<int>(n_), &st) != 0 || st.st_size <= 0 ||
        ::pread(static_cast<int>(n_), &c, 1, st.st_size - 1) != 1)
        return std::nullopt;
    return c;
}

bool ArchivoAbierto::Reemplazar(std::string_view texto) {
    const int fd = static_cast<int>(n_);
    if (::ftruncate(fd, 0) != 0) return false;
    return texto.empty() || ::pwrite(fd, texto.data(), texto.size(), 0) == static_cast<ssize_t>(texto.size());
}

std::optional<IdentidadArchivo> ArchivoAbierto::Identidad() const {
    struct stat st {};
    if (::fstat(static_cast<int>(n_), &st) != 0) return std::nullopt;
    return DeStat(st);
}

ArchivoAbierto AbrirArchivoAcotado(const std::string& ruta, Apertura modo, const Permisos& permisos,
                                   std::string& motivo) {
    // Non-blocking: a FIFO planted under the name must not hold the program at the open.
    const int banderas = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC |
                         (modo == Apertura::kLeerEscribir ? O_RDWR : O_WRONLY) |
                         (modo == Apertura::kAnadir ? O_APPEND : 0);
    const mode_t bits = static_cast<mode_t>(permisos.bits) & kLecturaEscritura;
    for (int intento = 0; intento < kIntentos; ++intento) {
        if (modo != Apertura::kNuevo) {
            ArchivoAbierto f(::open(ruta.c_str(), banderas));
            if (f) {
                motivo = Impedimento(Fd(f), permisos.propio);
                if (!motivo.empty()) return {};
                Estrechar(Fd(f), bits);
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

ArchivoAbierto AbrirParaLeer(const std::string& ruta) {
    return ArchivoAbierto(::open(ruta.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

Permisos PermisosDe(const std::string& ruta) {
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0) return 0600;
    return Permisos(static_cast<unsigned>(st.st_mode & kLecturaEscritura), ruta);
}

void IgualarPermisos(const ArchivoAbierto& f, const Permisos& p) {
    if (::fchmod(Fd(f), static_cast<mode_t>(p.bits) & kLecturaEscritura) != 0) {
        // Left as the umask made it: only users outside it miss the file, and they are told.
    }
}

std::string RutaCanonica(const std::string& ruta) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::canonical(ruta, ec);
    return ec ? std::string() : p.string();
}

bool MismoNombre(const std::string& a, const std::string& b) {
    return a == b;
}

std::optional<IdentidadArchivo> IdentidadDe(const std::string& ruta) {
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0) return std::nullopt;
    return DeStat(st);
}

Renombre RenombrarSinReemplazar(const std::string& desde, const std::string& hacia, std::string& error) {
    if (::renameat2(AT_FDCWD, desde.c_str(), AT_FDCWD, hacia.c_str(), RENAME_NOREPLACE) == 0)
        return Renombre::kHecho;
    if (errno == EEXIST) return Renombre::kOcupado;
    // A file system without that rename: a second name, which fails when taken, then the first
    // one dropped.
    if (::link(desde.c_str(), hacia.c_str()) != 0) {
        if (errno == EEXIST) return Renombre::kOcupado;
        error = std::strerror(errno);
        return Renombre::kFalla;
    }
    ::unlink(desde.c_str());
    return Renombre::kHecho;
}

void AsentarCarpeta(const std::string& carpeta) {
    const int fd = ::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace dep
