#pragma once
// The shared error handler: shows the error, asks how to go on, appends a line to "KSERR.LOG".
#include <optional>
#include <string>

#include "runtime/archivo_acotado.hpp"
#include "runtime/servicios.hpp"

namespace dep {

// The folder of "KSERR.LOG" (the user's temporary folder), ending with a separator.
std::string CarpetaRegistro();

// `e` null means "no current error" (number 0): no message, no line, result 0.
int TrataError(Servicios& s, const Falla* e, std::optional<int> botones = std::nullopt,
               std::optional<std::string> rutina = std::nullopt);

// Appends one line in the layout of TrataError to "KSERR.LOG" without showing anything, for
// failures that are reported otherwise; the answer field stays empty. Never raises.
void AnotarError(const std::string& rutina, const std::string& mensaje) noexcept;

// "KSERR.LOG" in `carpeta`, opened to append. It lives in a temporary folder others may write
// in: a link, a FIFO or another user's file planted under its name is refused (closed result),
// never written through, into nor waited on.
ArchivoAbierto AbrirRegistroErrores(const std::string& carpeta);
// One line of the log, stamped now: `rutina` as the field shows it ("- Cfg" or empty).
std::string LineaRegistroErrores(const std::string& rutina, const std::string& mensaje,
                                 const std::string& respuesta);

}  // namespace dep
