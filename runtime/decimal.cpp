#include "runtime/decimal.hpp"

#include <charconv>
#include <cstdlib>
#include <string>

#include "runtime/falla.hpp"

namespace dep::detalle {

double ValorDecimal(std::string_view s) {
    double d = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    if (r.ec != std::errc::result_out_of_range) return r.ec == std::errc() ? d : 0;
    // Out of range leaves `d` untouched: tell overflow from underflow by the decimal magnitude.
    long magnitud = 0;
    size_t i = 0;
    while (i < s.size() && s[i] == '0') ++i;
    size_t enteros = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++enteros;
    magnitud = static_cast<long>(enteros);
    if (enteros == 0 && i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] == '0') ++i, --magnitud;
    }
    const size_t e = s.find_first_of("eE");
    if (e != std::string_view::npos) {
        const std::string exp(s.substr(e + 1));
        magnitud += std::strtol(exp.c_str(), nullptr, 10);
    }
    if (magnitud > 0) throw Falla(err::kDesbordamiento, "Desbordamiento");
    return 0;
}

}  // namespace dep::detalle
