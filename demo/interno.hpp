#pragma once
// What the schema creation and the generator share inside dep_demo.
#include <string>

#include "demo/bd_sqlite.hpp"

namespace dep::demo {

// Raises Falla when `ruta` is empty or names something that already exists.
void ExigirArchivoNuevo(const std::string& ruta);
// Runs the whole schema in one transaction.
void AplicarEsquema(Bd& bd);
// Removes a half-made database file (and its journal).
void BorrarSiExiste(const std::string& ruta) noexcept;

}  // namespace dep::demo
