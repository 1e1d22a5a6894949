#pragma once
// Where the programs find their read-only data files (the skins' "Styles" folder, the lookup
// definitions "CONSULTAS.KST"): beside the program, as in the build tree and on Windows, or
// where the install rules put them, "<prefix>/share/depuracion/" for a program in "<prefix>/bin/".
#include <string>

namespace dep {

// The folder, ending with its separator, that holds `nombre` (compared without regard to case):
// the program folder first, then the installed data folder; the program folder when neither does.
std::string CarpetaDatos(const std::string& nombre);

}  // namespace dep
