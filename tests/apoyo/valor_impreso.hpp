#pragma once
// Values as a failed check shows them: their kind and their text, instead of their bytes.
#include <ostream>

#include "runtime/value.hpp"

namespace dep {

inline void PrintTo(const Value& v, std::ostream* o) {
    static constexpr const char* kTipos[] = {"Vacio", "Nulo",   "Logico", "Entero",
                                             "Doble", "Moneda", "Fecha",  "Texto"};
    *o << kTipos[static_cast<int>(v.tipo())] << "(" << (v.EsNulo() || v.EsVacio() ? "" : v.ATexto()) << ")";
}

}  // namespace dep
