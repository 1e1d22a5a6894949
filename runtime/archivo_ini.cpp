#include "runtime/archivo_ini.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "runtime/conversions.hpp"
#include "runtime/form_services.hpp"
#include "runtime/plataforma/rutas.hpp"

namespace dep {

namespace {

// Larger than any settings file; what is larger is not one (and is not read whole into memory).
constexpr std::size_t kMayorIni = 1 << 20;

// What the Windows ANSI page puts at 0x80..0x9F; 0xA0..0xFF are the same code points.
constexpr char16_t k1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void Anadir(std::string& s, char32_t c) {
    auto byte = [&](char32_t b) { s += static_cast<char>(b); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

unsigned char Byte(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Well-formed UTF-8: no stray or missing continuation, no overlong form, no surrogate.
bool EsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = Byte(s, i);
        const std::size_t n = b < 0x80             ? 0
                              : (b & 0xE0) == 0xC0 ? 1
                              : (b & 0xF0) == 0xE0 ? 2
                              : (b & 0xF8) == 0xF0 ? 3
                                                   : 4;
        if (n == 4 || i + n >= s.size()) return false;
        char32_t c = b & (0x7F >> n);
        for (std::size_t k = 1; k <= n; ++k) {
            if ((Byte(s, i + k) & 0xC0) != 0x80) return false;
            c = (c << 6) | (Byte(s, i + k) & 0x3F);
        }
        constexpr char32_t kMenor[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMenor[n] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
        i += n + 1;
    }
    return true;
}

std::string DeUtf16(std::string_view b, bool grande) {
    auto unidad = [&](std::size_t i) -> char32_t {
        return grande ? (Byte(b, i) << 8) | Byte(b, i + 1) : (Byte(b, i + 1) << 8) | Byte(b, i);
    };
    std::string r;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        char32_t c = unidad(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < b.size() && unidad(i + 2) >= 0xDC00 &&
            unidad(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unidad(i + 2) - 0xDC00);
            i += 2;
        }
        Anadir(r, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);  // a lone half of a pair
    }
    return r;
}

// Blanks of a settings line: spaces, tabs and the carriage return of files written on Windows.
std::string RecortarLinea(std::string_view s) {
    std::size_t a = 0, b = s.size();
    auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (a < b && blanco(s[a])) ++a;
    while (b > a && blanco(s[b - 1])) --b;
    return std::string(s.substr(a, b - a));
}

// A file's bytes as UTF-8: a byte-order mark says UTF-8 or UTF-16; without one, valid UTF-8 is
// kept and anything else is read as the Windows ANSI page (1252).
std::string TextoUtf8(std::string_view b) {
    if (b.substr(0, 3) == "\xEF\xBB\xBF") return std::string(b.substr(3));
    if (b.substr(0, 2) == "\xFF\xFE") return DeUtf16(b.substr(2), false);
    if (b.substr(0, 2) == "\xFE\xFF") return DeUtf16(b.substr(2), true);
    if (EsUtf8(b)) return std::string(b);
    std::string r;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const unsigned char c = Byte(b, i);
        Anadir(r, c >= 0x80 && c < 0xA0 ? k1252[c - 0x80] : c);
    }
    return r;
}

}  // namespace

ArchivoIni LeerArchivoIni(const std::string& archivo) {
    namespace fs = std::filesystem;
    ArchivoIni r;
    r.ruta = archivo;
    std::error_code ec;
    if (archivo.find_first_of("/\\") == std::string::npos) {
        const std::string junto = FormServices::CarpetaPrograma() + archivo;
        if (fs::exists(Ruta(junto), ec)) r.ruta = junto;
    }
    const fs::file_status st = fs::status(Ruta(r.ruta), ec);
    if (st.type() == fs::file_type::not_found) return r;
    r.estado = EstadoIni::kIlegible;
    if (st.type() == fs::file_type::none) return r;  // the folder may not be looked into
    if (st.type() != fs::file_type::regular) {
        r.estado = EstadoIni::kNoEsArchivo;
        return r;
    }
    std::ifstream in(Ruta(r.ruta), std::ios::binary);
    std::string bytes(kMayorIni + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in.is_open() || in.bad() || static_cast<std::size_t>(in.gcount()) > kMayorIni) return r;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    r.texto = TextoUtf8(bytes);
    r.estado = EstadoIni::kLeido;
    return r;
}

std::string ArchivoIni::Valor(const std::string& entrada, const std::string& clave,
                              const std::string& defecto) const {
    const std::string seccion = RecortarLinea(entrada);
    const std::string buscada = RecortarLinea(clave);
    bool dentro = false;
    std::istringstream in(texto);
    std::string linea;
    while (std::getline(in, linea)) {
        const std::string t = RecortarLinea(linea);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t[0] == '[') {
            if (t.back() == ']') dentro = IgualesSinCaso(RecortarLinea(t.substr(1, t.size() - 2)), seccion);
            continue;  // a header without its closing bracket is ignored
        }
        const std::size_t igual = t.find('=');
        if (!dentro || igual == std::string::npos) continue;
        if (!IgualesSinCaso(RecortarLinea(t.substr(0, igual)), buscada)) continue;
        std::string valor = RecortarLinea(t.substr(igual + 1));
        if (valor.size() >= 2 && ((valor.front() == '"' && valor.back() == '"') ||
                                  (valor.front() == '\'' && valor.back() == '\'')))
            valor = valor.substr(1, valor.size() - 2);
        return valor;
    }
    return defecto;
}

}  // namespace dep
