#pragma once
// Locks on an open file that the system drops when the process ends, however it ends. A lock is
// held by the opening (a second opening in the same process is refused as another process is),
// never waited for, and does not stop anyone from reading the file's text.
#include <string>

#include "runtime/archivo_acotado.hpp"

namespace dep::plataforma {

enum class Bloqueo { kCompartido, kExclusivo };
enum class Toma { kTomado, kOcupado, kFalla };

// On kFalla `error` says why, in Spanish.
Toma Bloquear(const ArchivoAbierto& f, Bloqueo b, std::string& error);
void Desbloquear(const ArchivoAbierto& f);

}  // namespace dep::plataforma
