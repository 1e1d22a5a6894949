#pragma once
// Files the program writes about a database (its run lock, its backup, the statement trace, the
// run journal): opened without following a link at their last name, so that a name planted by
// someone else never redirects the write into another file, and created with no more rights than
// the database they are about, so that they never show more of it than it shows itself.
// Implemented per system in runtime/plataforma/.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace dep {

// Which file a name or an opening reaches: the same disk and index are the same file.
struct IdentidadArchivo {
    std::uint64_t disco = 0;
    std::uint64_t indice = 0;
    std::uint64_t nombres = 0;  // names the file has on the disk (more than one: hard links)
    bool comun = false;         // a regular file (no folder, device, FIFO or link)
    bool operator==(const IdentidadArchivo& o) const { return disco == o.disco && indice == o.indice; }
};

// An open file, closed on every way out.
class ArchivoAbierto {
  public:
    using Nativo = std::intptr_t;  // a descriptor on POSIX, a HANDLE on Windows
    static constexpr Nativo kCerrado = -1;

    ArchivoAbierto() = default;
    explicit ArchivoAbierto(Nativo n, bool creado = false) : n_(n), creado_(creado) {}
    ~ArchivoAbierto() { Cerrar(n_); }
    ArchivoAbierto(ArchivoAbierto&& o) noexcept : n_(o.n_), creado_(o.creado_) { o.n_ = kCerrado; }
    ArchivoAbierto& operator=(ArchivoAbierto&& o) noexcept {
        if (this != &o) {
            Cerrar(n_);
            n_ = o.n_;
            creado_ = o.creado_;
            o.n_ = kCerrado;
        }
        return *this;
    }
    ArchivoAbierto(const ArchivoAbierto&) = delete;
    ArchivoAbierto& operator=(const ArchivoAbierto&) = delete;

    explicit operator bool() const { return n_ != kCerrado; }
    Nativo Manejador() const { return n_; }
    // True when this opening created the file.
    bool Creado() const { return creado_; }
    // Writes all of `texto` at the file's position (its end, when opened to append).
    bool Escribir(std::string_view texto);
    // Up to `maximo` bytes from the start of the file.
    std::string LeerDelPrincipio(std::size_t maximo) const;
    // The file's last byte; none when it is empty or cannot be read.
    std::optional<char> UltimoByte() const;
    // Leaves the file holding `texto` alone (empty: emptied).
    bool Reemplazar(std::string_view texto);
    std::optional<IdentidadArchivo> Identidad() const;

  private:
    static void Cerrar(Nativo n);  // kCerrado: nothing
    Nativo n_ = kCerrado;
    bool creado_ = false;
};

enum class Apertura {
    kNuevo,         // the name must be free: created, never an existing file
    kAnadir,        // written at its end; created when missing
    kLeerEscribir,  // read and written in place; created when missing
};

// The rights a file about a database may have at most: permission bits (read and write of owner,
// group, others); `como`, when given, names the database whose rights the file takes exactly
// (on POSIX its bits beyond the umask, on Windows its access list).
struct Permisos {
    Permisos(unsigned b) : bits(b) {}  // NOLINT: a plain number of bits is the common case
    Permisos(unsigned b, std::string de) : bits(b), como(std::move(de)) {}
    unsigned bits = 0600;
    std::string como;
    // An existing file must be this user's own: one that someone else left under the name, in a
    // folder others write in (the temporary folder), would show them every line written to it.
    // Checked on POSIX; on Windows the temporary folder is the user's profile's own.
    bool propio = false;
};
inline Permisos Propios(unsigned bits) {
    Permisos p(bits);
    p.propio = true;
    return p;
}

// Opens `ruta` for writing without following a link at its last name. A file it creates gets
// `permisos` at most. An existing one must be a regular file with a single name (a second name,
// a hard link, would let the write land in another file); the rights beyond `permisos` are
// taken from it when it belongs to this user. Never truncates. On failure the result is closed
// and `motivo` says why, in Spanish, as a phrase to follow the file's name ("es un enlace
// simbólico", "ya existe").
ArchivoAbierto AbrirArchivoAcotado(const std::string& ruta, Apertura modo, const Permisos& permisos,
                                   std::string& motivo);

// Opens an existing file only to read it, without following a link and without waiting on a
// FIFO; closed when there is none or it cannot be opened.
ArchivoAbierto AbrirParaLeer(const std::string& ruta);

// The rights of the file at `ruta` (links followed): what a file about it may show at most.
// Owner only when it cannot be read.
Permisos PermisosDe(const std::string& ruta);

// Gives `f`, created by this program, exactly the rights `p` (wider than the umask left them).
void IgualarPermisos(const ArchivoAbierto& f, const Permisos& p);

// The path of the existing file at `ruta` with every link and relative part resolved, one
// spelling per file; empty when it cannot be known.
std::string RutaCanonica(const std::string& ruta);

// Whether two paths name the same entry as this system reads names (on Windows whatever the
// letter case), for names that may not exist yet.
bool MismoNombre(const std::string& a, const std::string& b);

// The identity of the file at `ruta`, links followed; none when it cannot be read.
std::optional<IdentidadArchivo> IdentidadDe(const std::string& ruta);

enum class Renombre { kHecho, kOcupado, kFalla };
// Gives the file `desde` the name `hacia` unless a file holds it already; on kFalla `error` says
// why.
Renombre RenombrarSinReemplazar(const std::string& desde, const std::string& hacia, std::string& error);

// Puts the folder's entries on the disk, so that a new name survives a power cut.
void AsentarCarpeta(const std::string& carpeta);

}  // namespace dep
