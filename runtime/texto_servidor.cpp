#include "runtime/texto_servidor.hpp"

namespace dep {

namespace {

// One character folded to upper case: ASCII letters, and à..þ to À..Þ. Advances `i` over the
// character's bytes.
unsigned Siguiente(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 'a' && c <= 'z') {
        ++i;
        return c - 'a' + 'A';
    }
    if (c == 0xC3 && i + 1 < s.size()) {
        auto d = static_cast<unsigned char>(s[i + 1]);
        i += 2;
        if (d >= 0xA0 && LetraConPareja(d)) d = static_cast<unsigned char>(d - 0x20);
        return 0xC300u | d;
    }
    ++i;
    return c < 0x80 ? c : 0x10000u | c;  // other bytes keep their order after ASCII
}

}  // namespace

bool LetraConPareja(unsigned char d) {
    // à..þ (A0..BE) and À..Þ (80..9E), the signs ÷ (B7) and × (97) aside.
    return (d >= 0xA0 && d <= 0xBE && d != 0xB7) || (d >= 0x80 && d <= 0x9E && d != 0x97);
}

std::string_view SinBlancosFinales(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

int CompararComoServidor(std::string_view a, std::string_view b) {
    a = SinBlancosFinales(a);
    b = SinBlancosFinales(b);
    std::size_t i = 0, j = 0;
    // ASCII first, a byte a character on both sides: most keys never leave this loop.
    for (; i < a.size() && i < b.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) break;
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return x < y ? -1 : 1;
    }
    j = i;
    while (i < a.size() && j < b.size()) {
        const unsigned x = Siguiente(a, i), y = Siguiente(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    // The shorter text counts as padded with blanks, as the server compares.
    if (i < a.size()) return static_cast<unsigned char>(a[i]) < ' ' ? -1 : 1;
    if (j < b.size()) return static_cast<unsigned char>(b[j]) < ' ' ? 1 : -1;
    return 0;
}

std::string PlegarComoServidor(std::string_view s) {
    s = SinBlancosFinales(s);
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t desde = i;
        const unsigned c = Siguiente(s, i);
        if (i - desde == 2) {
            r += static_cast<char>(c >> 8);
            r += static_cast<char>(c & 0xFF);
        } else {
            r += static_cast<char>(c & 0xFF);
        }
    }
    return r;
}

}  // namespace dep
