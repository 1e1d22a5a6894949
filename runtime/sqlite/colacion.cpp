#include "runtime/sqlite/colacion.hpp"

#include <sqlite3.h>

namespace dep::sqlite {

namespace {

// The second byte of a Latin-1 letter written C3 xx that has a partner of the other case:
// à..þ (A0..BE) and À..Þ (80..9E), the signs ÷ (B7) and × (97) aside.
bool ConPareja(unsigned char d) {
    return (d >= 0xA0 && d <= 0xBE && d != 0xB7) || (d >= 0x80 && d <= 0x9E && d != 0x97);
}

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
        if (d >= 0xA0 && ConPareja(d)) d = static_cast<unsigned char>(d - 0x20);
        return 0xC300u | d;
    }
    ++i;
    return c < 0x80 ? c : 0x10000u | c;  // other bytes keep their order after ASCII
}

int Callback(void*, int na, const void* a, int nb, const void* b) {
    return CompararComoServidor(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
                                std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

}  // namespace

std::string_view SinBlancosFinales(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool PliegaMasQueNocase(std::string_view s) {
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) != 0xC3) continue;
        if (ConPareja(static_cast<unsigned char>(s[i + 1]))) return true;
        ++i;
    }
    return false;
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

bool Acotable(std::string_view sinBlancos, bool nocase) {
    for (unsigned char ch : sinBlancos) {
        const bool letra = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
        if (ch >= 0x80 || (letra && !nocase)) return false;
    }
    return true;
}

bool FueraDeForma(std::string_view s, FormaDeTexto forma) {
    if (PliegaMasQueNocase(s)) return true;
    if (forma == FormaDeTexto::SinPliegue) return false;
    if (!s.empty() && s.back() == ' ') return true;
    if (forma == FormaDeTexto::Nocase) return false;
    for (char c : s)
        if (c >= 'a' && c <= 'z') return true;
    return false;
}

namespace {

void FuncionFueraDeForma(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) != SQLITE_TEXT) {
        sqlite3_result_int(ctx, 0);  // numbers and nulls compare alike under every collation
        return;
    }
    const auto* texto = reinterpret_cast<const char*>(sqlite3_value_text(v[0]));
    const auto n = static_cast<std::size_t>(sqlite3_value_bytes(v[0]));
    const auto forma = static_cast<FormaDeTexto>(sqlite3_value_int(v[1]));
    sqlite3_result_int(ctx, FueraDeForma(std::string_view(texto ? texto : "", n), forma) ? 1 : 0);
}

}  // namespace

int RegistrarColacion(sqlite3* db) {
    const int rc = sqlite3_create_collation_v2(db, "DEP_CI", SQLITE_UTF8, nullptr, Callback, nullptr);
    if (rc != SQLITE_OK) return rc;
    return sqlite3_create_function_v2(db, "dep_fuera_de_forma", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, FuncionFueraDeForma, nullptr, nullptr, nullptr);
}

}  // namespace dep::sqlite
