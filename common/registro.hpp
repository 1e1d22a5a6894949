#pragma once
// Record lookup and the reading of text flags.
#include <optional>
#include <string>

#include "runtime/recordset.hpp"
#include "runtime/servicios.hpp"

namespace dep {

// True when the statement built from table, value and field (or the condition) returns a row.
// With `rs` given it is (re)opened on the result and left open on the first row.
bool BuscarRegistro(Servicios& s, const std::string& tabla, const std::string& valor,
                    const std::string& campo, Recordset* rs = nullptr, std::optional<int> tipo = std::nullopt,
                    const std::string& condicion = "", bool abrirPlano = true);

// A text flag stored in the database read as a boolean.
bool ValorLogico(const std::string& texto, const Value& defecto);

}  // namespace dep
