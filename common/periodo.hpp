#pragma once
#include <cstdint>
#include <string>

#include "runtime/servicios.hpp"

namespace dep {

// The period number of the first fiscal year of MV_EJERCICIOS containing the date; 0 when none.
// No error trap: failures go to the caller.
std::int16_t Obtener_Periodo(Servicios& s, const std::string& fecha);

}  // namespace dep
