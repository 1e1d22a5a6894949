#pragma once
// Who runs the program and where: named in the run lock's holder line and in the status bar.
#include <string>

namespace dep::plataforma {

long IdProceso();
// The login name of the user the process runs as; empty when the system does not say.
std::string UsuarioDelSistema();
// The machine's name on the network; empty when the system does not say.
std::string NombreEquipo();

}  // namespace dep::plataforma
