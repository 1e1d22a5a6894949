#include "runtime/plataforma/hora.hpp"

namespace dep::plataforma {

std::tm TiempoLocal(std::time_t t) {
    std::tm tm{};
    ::localtime_s(&tm, &t);
    return tm;
}

}  // namespace dep::plataforma
