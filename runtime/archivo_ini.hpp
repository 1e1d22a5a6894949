#pragma once
// Settings files as operators keep them: beside the program or anywhere, saved by any editor
// (UTF-8 with or without its mark, UTF-16 with its mark as Windows' "Unicode", or the Windows
// ANSI page, whose accented folder names are common in Spanish).
#include <string>

namespace dep {

enum class EstadoIni {
    kLeido,
    kNoExiste,
    kNoEsArchivo,  // a folder, FIFO or device under the name: never opened, so never waited on
    kIlegible,     // no rights to read it, or too large to be a settings file
};

struct ArchivoIni {
    std::string ruta;  // the file looked at
    EstadoIni estado = EstadoIni::kNoExiste;
    std::string texto;  // as UTF-8; empty unless read
    // The text stored under [entrada] clave=, or `defecto`.
    std::string Valor(const std::string& entrada, const std::string& clave, const std::string& defecto) const;
};

// A bare file name is looked for in the program folder first.
ArchivoIni LeerArchivoIni(const std::string& archivo);

}  // namespace dep
