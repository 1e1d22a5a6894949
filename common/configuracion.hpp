#pragma once
// The configuration store: key/value rows of TA_CONFIGURACION.
#include <string>

#include "runtime/servicios.hpp"

namespace dep {

// The table name; empty until the store is first used.
std::string& TablaConfig();

// Reads a setting. Missing key: " " (and `aux` becomes ""); closed connection: "" (aux untouched).
// Failures go to TrataError with the routine name "Cfg".
std::string Cfg(Servicios& s, const std::string& clave, std::string& aux);
std::string Cfg(Servicios& s, const std::string& clave);

// Writes a setting, creating its row when missing; every failing step is skipped silently.
// True when every step ran (the value is stored).
bool GrabaDfg(Servicios& s, const std::string& clave, const Value& valor, const std::string& aux,
              bool politicaNegocio, const std::string& grupo, bool recortar);

}  // namespace dep
