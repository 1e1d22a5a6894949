#pragma once
// Texts as the server's default collation compares them: letter case ignored (ASCII and the
// Latin-1 letters written C3 xx that have a partner of the other case: á = Á, ñ = Ñ; accents
// still count, ñ <> n, á <> a; ÿ has no capital among them) and trailing blanks ignored. The
// embedded engine's collation, the consolidation's proof and the translator all use this one rule.
#include <string>
#include <string_view>

namespace dep {

// <0, 0, >0, like memcmp, under the rule above.
int CompararComoServidor(std::string_view a, std::string_view b);

// The text folded under the rule: two texts give the same fold exactly when they compare equal.
std::string PlegarComoServidor(std::string_view s);

// The text without its trailing blanks, which the comparison ignores.
std::string_view SinBlancosFinales(std::string_view s);

// The second byte of a Latin-1 letter written C3 xx that has a partner of the other case.
bool LetraConPareja(unsigned char segundo);

}  // namespace dep
