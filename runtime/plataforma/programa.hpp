#pragma once
// The folder of the running executable, where the suite keeps cn000pr.ini and CONSULTAS.KST.
#include <string>

namespace dep::plataforma {

// The folder holding the executable, without a final separator; empty when it cannot be known.
std::string CarpetaDelEjecutable();

}  // namespace dep::plataforma
