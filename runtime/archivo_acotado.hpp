#pragma once
// Files the program writes about a database (its run lock, its backup, the statement trace, the
// run journal): opened without following a link at their last name, so that a name planted by
// someone else never redirects the write into another file, and created with no more rights than
// the database they are about, so that they never show more of it than it shows itself.
#include <string>
#include <string_view>

namespace dep {

// An open file, closed on every way out.
class ArchivoAbierto {
  public:
    ArchivoAbierto() = default;
    explicit ArchivoAbierto(int fd, bool creado = false) : fd_(fd), creado_(creado) {}
    ~ArchivoAbierto();
    ArchivoAbierto(ArchivoAbierto&& o) noexcept : fd_(o.fd_), creado_(o.creado_) { o.fd_ = -1; }
    ArchivoAbierto& operator=(ArchivoAbierto&& o) noexcept;
    ArchivoAbierto(const ArchivoAbierto&) = delete;
    ArchivoAbierto& operator=(const ArchivoAbierto&) = delete;

    explicit operator bool() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // True when this opening created the file.
    bool Creado() const { return creado_; }
    // Writes all of `texto` at the file's position (its end, when opened to append).
    bool Escribir(std::string_view texto);

  private:
    int fd_ = -1;
    bool creado_ = false;
};

enum class Apertura {
    kNuevo,         // the name must be free: created, never an existing file
    kAnadir,        // written at its end; created when missing
    kLeerEscribir,  // read and written in place; created when missing
};

// Opens `ruta` for writing without following a link at its last name. A file it creates gets the
// permission bits `permisos` at most (the process's umask narrows them further). An existing one
// must be a regular file with a single name (a second name, a hard link, would let the write land
// in another file); the bits beyond `permisos` are taken from it when it belongs to this user.
// Never truncates. On failure the result is closed and `motivo` says why, in Spanish, as a
// phrase to follow the file's name ("es un enlace simbólico", "ya existe").
ArchivoAbierto AbrirArchivoAcotado(const std::string& ruta, Apertura modo, unsigned permisos,
                                   std::string& motivo);

// The read and write bits of the file at `ruta` (links followed): what a file about it may show
// at most. 0600 when it cannot be read.
unsigned PermisosDe(const std::string& ruta);

}  // namespace dep
