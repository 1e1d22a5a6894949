#pragma once
// A fresh temporary folder, removed with everything in it (read-only parts included) with the
// object; and a file read whole.
#include <filesystem>
#include <string>

namespace dep::prueba {

// Makes a folder of a name no one holds, "<prefijo>-XXXXXX" in `dentro` (the temporary folder
// when empty); raises when none can be made.
std::filesystem::path CarpetaNueva(const std::string& prefijo, const std::filesystem::path& dentro = {});

// The whole file, "" when there is none.
std::string LeerArchivo(const std::filesystem::path& p);

// Makes a FIFO at `p`; on Windows, which has none in a folder, raises filesystem_error.
void CrearFifo(const std::filesystem::path& p);

// Gives the file to another user (nobody), as if that user had left it there; false where this
// process may not (not the administrator, or Windows).
bool CambiarDueno(const std::filesystem::path& p);

class Carpeta {
  public:
    // In `dentro` (the temporary folder when empty); raises when none can be made.
    explicit Carpeta(const std::string& prefijo = "dep-prueba", const std::filesystem::path& dentro = {});
    ~Carpeta();
    Carpeta(const Carpeta&) = delete;
    Carpeta& operator=(const Carpeta&) = delete;
    const std::filesystem::path& Ruta() const { return ruta_; }
    std::string operator/(const std::string& nombre) const;

  private:
    std::filesystem::path ruta_;
};

}  // namespace dep::prueba
