#pragma once
// Internal to the runtime: the value of an already checked decimal text.
#include <string_view>

namespace dep::detalle {

// `s` is digits with an optional point and an optional exponent ("e", optional sign, digits),
// no sign in front. Locale-independent. A value too large raises Falla(6); too small reads as 0.
double ValorDecimal(std::string_view s);

}  // namespace dep::detalle
