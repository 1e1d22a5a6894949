// Number reading: any text gives a number (0 when there is none) or, for a magnitude beyond a
// double, the platform's overflow Falla; never a crash or UB.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    double d = 0;
    try {
        d = dep::LeerNumero(s);
    } catch (const dep::Falla&) {
        return 0;  // overflow, as the platform reports it
    }
    if (std::isnan(d)) std::abort();
    // The printed form of a finite result reads back as a number close to it.
    if (std::isfinite(d)) {
        const double otra = dep::LeerNumero(dep::TextoNumero(d));
        if (!std::isfinite(otra)) std::abort();
    }
    return 0;
}
