// Typed dates: never crash, and whatever is accepted is a real calendar day that reads back.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/conversions.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    const auto f = dep::ReconocerFecha(s);
    if (!f) return 0;
    // The date text of an accepted date must be accepted again as the same date.
    const auto otra = dep::ReconocerFecha(dep::TextoFecha(*f));
    if (!otra || !(*otra == *f)) std::abort();
    return 0;
}
