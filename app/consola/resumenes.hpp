#pragma once
// What the console prints besides the run: the preview and the end-of-run report.
#include <ostream>
#include <string>

#include "purge/diario.hpp"
#include "runtime/servicios.hpp"

namespace dep::consola {

// Prints the preview as a table or JSON; 0, or 3 when the database refused a query.
int ImprimirVistaPrevia(Servicios& s, const std::string& hasta, bool stock, bool asientos, bool temporales,
                        bool json, std::ostream& out, std::ostream& err);

// `errorEnLaCorrida`: a purge's trap reported an error (the report's first line names it).
void ImprimirInforme(const Diario& d, bool json, bool errorEnLaCorrida, std::ostream& out);

}  // namespace dep::consola
