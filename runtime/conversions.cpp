#include "runtime/conversions.hpp"

#include "runtime/decimal.hpp"
#include "runtime/plataforma/hora.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace dep {

namespace {

bool EsDigito(char c) {
    return c >= '0' && c <= '9';
}

// Reads exactly between `min` and `max` digits at `i`; false when fewer than `min` are there.
bool LeerDigitos(std::string_view s, size_t& i, size_t min, size_t max, int& out) {
    size_t n = 0;
    int v = 0;
    while (i < s.size() && n < max && EsDigito(s[i])) {
        v = v * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    out = v;
    return n >= min && !(i < s.size() && EsDigito(s[i]));
}

// " h:mm" or " h:mm:ss" after at least one blank, up to the end of the text.
bool LeerHora(std::string_view s, size_t i, int& h, int& m, int& seg) {
    h = m = seg = 0;
    if (i == s.size()) return true;
    if (s[i] != ' ') return false;
    while (i < s.size() && s[i] == ' ') ++i;
    if (!LeerDigitos(s, i, 1, 2, h) || i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!LeerDigitos(s, i, 2, 2, m)) return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!LeerDigitos(s, i, 2, 2, seg)) return false;
    }
    return i == s.size() && h <= 23 && m <= 59 && seg <= 59;
}

std::string DosDigitos(int n) {
    return FormatoCeros(n, 2);
}

}  // namespace

// Built by appending: GCC 12 at -O3 reports a bogus overlap (-Wrestrict) for "literal" + string.
std::string TextoFecha(const Fecha& f) {
    std::string s = DosDigitos(f.Dia());
    s += '/';
    s += DosDigitos(f.Mes());
    s += '/';
    s += FormatoCeros(f.Anio(), 4);
    if (f.TieneHora()) {
        s += ' ';
        s += TextoHora(f);
    }
    return s;
}

std::string TextoHora(const Fecha& f) {
    return DosDigitos(f.Hora()) + ":" + DosDigitos(f.Minuto()) + ":" + DosDigitos(f.Segundo());
}

std::string TextoFechaIso(const Fecha& f) {
    return FormatoCeros(f.Anio(), 4) + "-" + DosDigitos(f.Mes()) + "-" + DosDigitos(f.Dia()) + " " +
           TextoHora(f);
}

std::optional<Fecha> LeerFechaIso(std::string_view s) {
    // YYYY-MM-DD, then optionally ' ' or 'T' and HH:MM[:SS[.fff]].
    size_t i = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (!LeerDigitos(s, i, 4, 4, y) || i >= s.size() || s[i] != '-') return std::nullopt;
    ++i;
    if (!LeerDigitos(s, i, 2, 2, mo) || i >= s.size() || s[i] != '-') return std::nullopt;
    ++i;
    if (!LeerDigitos(s, i, 2, 2, d)) return std::nullopt;
    if (!Fecha::EsValida(y, mo, d)) return std::nullopt;
    if (i < s.size()) {
        if (s[i] != ' ' && s[i] != 'T') return std::nullopt;
        ++i;
        if (!LeerDigitos(s, i, 2, 2, h) || i >= s.size() || s[i] != ':') return std::nullopt;
        ++i;
        if (!LeerDigitos(s, i, 2, 2, mi)) return std::nullopt;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!LeerDigitos(s, i, 2, 2, se)) return std::nullopt;
            if (i < s.size() && s[i] == '.') {  // fractions of a second are dropped
                ++i;
                size_t inicio = i;
                while (i < s.size() && EsDigito(s[i])) ++i;
                if (i == inicio) return std::nullopt;
            }
        }
        if (i != s.size() || h > 23 || mi > 59 || se > 59) return std::nullopt;
    }
    return Fecha::DesdeYMD(y, mo, d, h, mi, se);
}

std::string TextoNumero(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinito" : "-Infinito";
    if (d == 0) return "0";
    // 15 significant digits, rounded once; then plain or exponent form like the platform.
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific, 14);
    std::string_view t(buf, static_cast<size_t>(r.ptr - buf));
    const size_t e = t.find('e');
    std::string digitos;
    digitos += t[0];
    digitos.append(t.substr(2, e - 2));
    const int exponente = std::atoi(std::string(t.substr(e + 1)).c_str());
    while (digitos.size() > 1 && digitos.back() == '0') digitos.pop_back();

    // Appended piece by piece, like TextoFecha, so that GCC 12 sees no temporary to overlap.
    std::string s;
    if (d < 0) s += '-';
    if (exponente >= 15 || exponente < -4) {
        s += digitos[0];
        if (digitos.size() > 1) {
            s += '.';
            s.append(digitos, 1);
        }
        s += exponente < 0 ? "E-" : "E+";
        s += FormatoCeros(std::abs(exponente), 2);
    } else if (exponente < 0) {
        s += "0.";
        s.append(static_cast<size_t>(-exponente - 1), '0');
        s += digitos;
    } else {
        const auto enteros = static_cast<size_t>(exponente) + 1;
        if (digitos.size() <= enteros) {
            s += digitos;
            s.append(enteros - digitos.size(), '0');
        } else {
            s.append(digitos, 0, enteros);
            s += '.';
            s.append(digitos, enteros);
        }
    }
    return s;
}

std::string TextoMoneda(Moneda m) {
    const bool negativo = m.diezmilesimos < 0;
    // The magnitude as unsigned so that the most negative value has one too.
    const unsigned long long v = negativo ? 0ULL - static_cast<unsigned long long>(m.diezmilesimos)
                                          : static_cast<unsigned long long>(m.diezmilesimos);
    std::string s = negativo ? "-" : "";
    s += std::to_string(v / 10000);
    std::string dec = std::to_string(v % 10000);
    dec.insert(0, 4 - dec.size(), '0');
    while (!dec.empty() && dec.back() == '0') dec.pop_back();
    if (!dec.empty()) s += "." + dec;
    return s;
}

std::string TextoEntero(long long n) {
    return std::to_string(n);
}

double LeerNumero(std::string_view s) {
    // Like the platform's Val: blanks, tabs and line feeds are skipped wherever they are; the
    // number ends at the first character that cannot continue it.
    std::string t;
    size_t i = 0;
    auto saltar = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    };
    saltar();
    bool negativo = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negativo = s[i] == '-';
        ++i;
    }
    size_t mantisa = 0;
    bool punto = false;
    for (saltar(); i < s.size(); saltar()) {
        const char c = s[i];
        if (EsDigito(c)) {
            t += c;
            ++mantisa;
        } else if (c == '.' && !punto) {
            t += c;
            punto = true;
        } else {
            break;
        }
        ++i;
    }
    if (mantisa == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exp = "e";
        ++i;
        saltar();
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            exp += s[i];
            ++i;
        }
        size_t n = 0;
        for (saltar(); i < s.size() && EsDigito(s[i]); saltar()) {
            exp += s[i];
            ++i;
            ++n;
        }
        if (n > 0) t += exp;
    }
    const double d = detalle::ValorDecimal(t);
    return negativo ? -d : d;
}

std::optional<Fecha> ReconocerFecha(std::string_view entrada) {
    const std::string texto = Recortar(entrada);
    std::string_view s = texto;
    if (s.empty()) return std::nullopt;
    // The engines hand dates back in their storage form.
    if (s.size() >= 5 && EsDigito(s[0]) && EsDigito(s[1]) && EsDigito(s[2]) && EsDigito(s[3]) && s[4] == '-')
        return LeerFechaIso(s);

    size_t i = 0;
    int d = 0, m = 0, y = 0;
    if (!LeerDigitos(s, i, 1, 2, d) || i >= s.size()) return std::nullopt;
    const char sep = s[i];
    if (sep != '/' && sep != '-' && sep != '.') return std::nullopt;
    ++i;
    if (!LeerDigitos(s, i, 1, 2, m) || i >= s.size() || s[i] != sep) return std::nullopt;
    ++i;
    const size_t inicioAnio = i;
    if (!LeerDigitos(s, i, 2, 4, y)) return std::nullopt;
    const size_t largoAnio = i - inicioAnio;
    if (largoAnio == 3) return std::nullopt;
    if (largoAnio == 2) y += y < 30 ? 2000 : 1900;
    if (!Fecha::EsValida(y, m, d)) return std::nullopt;
    int h = 0, mi = 0, se = 0;
    if (!LeerHora(s, i, h, mi, se)) return std::nullopt;
    return Fecha::DesdeYMD(y, m, d, h, mi, se);
}

std::string FormatoCeros(long long n, int digitos) {
    const bool negativo = n < 0;
    const unsigned long long v =
        negativo ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    std::string s = std::to_string(v);
    if (digitos > 0 && s.size() < static_cast<size_t>(digitos))
        s.insert(0, static_cast<size_t>(digitos) - s.size(), '0');
    return negativo ? "-" + s : s;
}

std::string Recortar(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && s[a] == ' ') ++a;
    while (b > a && s[b - 1] == ' ') --b;
    return std::string(s.substr(a, b - a));
}

namespace {

// The capitals of `s` into `r` (s.size() bytes: every letter keeps its length in UTF-8).
void PlegarMayusculas(std::string_view s, char* r) {
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 'a' && c <= 'z') {
            r[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && i + 1 < s.size()) {
            // Latin-1 lower-case letters U+00E0..U+00FE (but ÷) are their capitals plus 0x20;
            // ÿ's capital lives elsewhere.
            const auto n = static_cast<unsigned char>(s[i + 1]);
            if (n >= 0xA0 && n <= 0xBE && n != 0xB7) {
                r[i] = static_cast<char>(c);
                r[i + 1] = static_cast<char>(n - 0x20);
            } else if (n == 0xBF) {
                r[i] = '\xC5';
                r[i + 1] = '\xB8';
            } else {
                r[i] = static_cast<char>(c);
                r[i + 1] = static_cast<char>(n);
            }
            ++i;
        } else {
            r[i] = static_cast<char>(c);
        }
    }
}

}  // namespace

std::string Mayusculas(std::string_view s) {
    std::string r(s.size(), '\0');
    PlegarMayusculas(s, r.data());
    return r;
}

bool IgualesSinCaso(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Field and column names are short: fold them on the stack, this runs for every field read.
    constexpr size_t kCorto = 64;
    if (a.size() > kCorto) return Mayusculas(a) == Mayusculas(b);
    char x[kCorto], y[kCorto];
    PlegarMayusculas(a, x);
    PlegarMayusculas(b, y);
    return std::memcmp(x, y, a.size()) == 0;
}

bool ContieneSinCaso(std::string_view texto, std::string_view buscado) {
    return Mayusculas(texto).find(Mayusculas(buscado)) != std::string::npos;
}

std::string DoblarComillas(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r;
}

std::string HoraLocal(const char* formato) {
    const std::tm tm = plataforma::TiempoLocal(std::time(nullptr));
    char b[64];
    return std::strftime(b, sizeof b, formato, &tm) ? std::string(b) : std::string();
}

Fecha AhoraLocal() {
    const std::tm tm = plataforma::TiempoLocal(std::time(nullptr));
    return Fecha::DesdeYMD(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string EntradaTraza(const char* que, const std::string& sql, const std::string& resultado) {
    std::string cuerpo;
    for (char c : sql) {
        if (c == '\r') continue;
        cuerpo += c;
        if (c == '\n') cuerpo += "    ";
    }
    return "[" + HoraLocal("%Y-%m-%d %H:%M:%S") + "] " + que + "\n    " + cuerpo + "\n    => " + resultado +
           "\n";
}

}  // namespace dep
