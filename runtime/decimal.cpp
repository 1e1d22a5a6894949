#include "runtime/decimal.hpp"

#include <charconv>

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
        // Read the exponent ourselves, stopping short of any overflow of the sum.
        size_t j = e + 1;
        const bool negativo = j < s.size() && s[j] == '-';
        if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
        long exp = 0;
        for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j)
            if (exp < 1000000) exp = exp * 10 + (s[j] - '0');
        magnitud += negativo ? -exp : exp;
    }
    if (magnitud > 0) throw Falla(err::kDesbordamiento, "Desbordamiento");
    return 0;
}

}  // namespace dep::detalle
