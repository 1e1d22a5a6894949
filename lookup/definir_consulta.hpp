#pragma once
// The suite's lookup definitions: from a lookup key (a table or view of the suite's database)
// to the columns a lookup list shows and hands back, and the opening of that list.
#include <string>

#include "runtime/form_services.hpp"

namespace dep {

// One row of the definition table, as found for a key.
struct DefinicionConsulta {
    bool conocida = false;    // false: the key matched no row, the outputs stay as passed
    std::string tabla;        // the table to read (the key, or its replacement)
    std::string descripcion;  // description column list
    std::string codigo;       // code column
    std::string extra;        // third column
};

// Looks the key up in the definition table; the first matching row wins, case is ignored.
DefinicionConsulta BuscarDefinicion(const std::string& clave);

// True when "consultas.kst" (any letter case) is an ordinary file of the folder.
bool ExisteArchivoDefiniciones(const std::string& carpeta);

// Fills the definition of `tabla` into the outputs (an unknown key leaves them as passed) and
// opens the lookup list when the definition file exists or `mostrar` is set. After a list,
// `campoCodigo` holds the chosen code, empty when nothing was chosen.
void DefinirConsulta(FormServices& fs, LookupServices& ls, std::string& tabla, std::string& campoDescripcion,
                     std::string& campoCodigo, std::string& campoExtra, bool mostrar,
                     const std::string& filtro);

}  // namespace dep
