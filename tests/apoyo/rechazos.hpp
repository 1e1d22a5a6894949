#pragma once
// Refusals of statements, written as "patron|n|texto" items joined by ";;": a statement that
// contains `patron` (letter case aside) is refused with `texto`, at its n-th occurrence only, or
// every time when n is 0. The test console reads them from the variable DEPURACION_RECHAZAR;
// the shipped programs know nothing of it.
#include <memory>
#include <string>

#include "tests/apoyo/conexion_espia.hpp"

namespace dep::prueba {

// `real` behind a connection that refuses what `spec` names and records nothing.
std::shared_ptr<ConexionEspia> ConRechazos(std::shared_ptr<Conexion> real, const std::string& spec);

}  // namespace dep::prueba
