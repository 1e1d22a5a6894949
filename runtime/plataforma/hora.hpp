#pragma once
// The local calendar time of a moment, safe to call from any thread.
#include <ctime>

namespace dep::plataforma {

std::tm TiempoLocal(std::time_t t);

}  // namespace dep::plataforma
