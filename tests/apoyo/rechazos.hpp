#pragma once
// Refusals of statements for the engine under test, written as "patron|n|texto" items joined by
// ";;" (n: only the n-th occurrence, 0 every one). The test console reads them from the variable
// DEPURACION_RECHAZAR; the shipped programs know nothing of it.
#include <string>

namespace dep {
class Conexion;
}

namespace dep::prueba {

// Applies `spec` to `cn` when it is the embedded engine; false when it is another one.
bool AplicarRechazos(Conexion& cn, const std::string& spec);

}  // namespace dep::prueba
