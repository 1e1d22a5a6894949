#include "runtime/odbc/odbc_texto.hpp"

#include <cctype>
#include <vector>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/lexico.hpp"

namespace dep::odbc {

namespace {

std::string Recortado(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(a, b - a));
}

// One "key=value" attribute of a connection string, as positions in it.
struct Atributo {
    std::string_view clave;  // trimmed
    size_t inicioValor = 0;  // first character after '='
    size_t finValor = 0;     // one past the value (braces included)
    size_t fin = 0;          // one past the ';' that ends it, or the end
    bool tieneIgual = false;
};

Atributo LeerAtributo(std::string_view s, size_t desde) {
    Atributo a;
    size_t i = desde;
    while (i < s.size() && s[i] != '=' && s[i] != ';') ++i;
    std::string_view clave = s.substr(desde, i - desde);
    while (!clave.empty() && std::isspace(static_cast<unsigned char>(clave.front()))) clave.remove_prefix(1);
    while (!clave.empty() && std::isspace(static_cast<unsigned char>(clave.back()))) clave.remove_suffix(1);
    a.clave = clave;
    if (i >= s.size() || s[i] == ';') {
        a.inicioValor = a.finValor = i;
        a.fin = i < s.size() ? i + 1 : i;
        return a;
    }
    a.tieneIgual = true;
    a.inicioValor = ++i;
    size_t j = i;
    while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
    if (j < s.size() && s[j] == '{') {
        // A braced value ends at a '}' not doubled; it may hold ';' and '='.
        ++j;
        while (j < s.size()) {
            if (s[j] == '}') {
                if (j + 1 < s.size() && s[j + 1] == '}') {
                    j += 2;
                    continue;
                }
                ++j;
                break;
            }
            ++j;
        }
        while (j < s.size() && s[j] != ';') ++j;
    } else {
        while (j < s.size() && s[j] != ';') ++j;
    }
    a.finValor = j;
    a.fin = j < s.size() ? j + 1 : j;
    return a;
}

}  // namespace

std::string OcultarClave(std::string_view cadena) {
    std::string r;
    r.reserve(cadena.size());
    size_t i = 0;
    while (i < cadena.size()) {
        const Atributo a = LeerAtributo(cadena, i);
        if (a.tieneIgual && (IgualesSinCaso(a.clave, "PWD") || IgualesSinCaso(a.clave, "Password"))) {
            r.append(cadena.substr(i, a.inicioValor - i));
            r.append("***");
            r.append(cadena.substr(a.finValor, a.fin - a.finValor));
        } else {
            r.append(cadena.substr(i, a.fin - i));
        }
        if (a.fin <= i) break;
        i = a.fin;
    }
    return r;
}

std::string AtributoCadena(std::string_view cadena, std::string_view clave) {
    size_t i = 0;
    while (i < cadena.size()) {
        const Atributo a = LeerAtributo(cadena, i);
        if (a.tieneIgual && IgualesSinCaso(a.clave, clave)) {
            std::string v = Recortado(cadena.substr(a.inicioValor, a.finValor - a.inicioValor));
            if (v.size() >= 2 && v.front() == '{' && v.back() == '}') {
                std::string sin;
                for (size_t k = 1; k + 1 < v.size(); ++k) {
                    sin += v[k];
                    if (v[k] == '}' && v[k + 1] == '}') ++k;
                }
                return sin;
            }
            return v;
        }
        if (a.fin <= i) break;
        i = a.fin;
    }
    return {};
}

std::string ResolverPrefijoAdmin(std::string_view sql, std::string_view prefijo) {
    std::vector<sqlite::Token> t;
    try {
        t = sqlite::Tokenizar(sql);
    } catch (const Falla&) {
        // An unterminated quote or comment: sent as it stands, for the server to refuse.
        return std::string(sql);
    }
    std::string r;
    r.reserve(sql.size());
    std::size_t copiado = 0;
    for (const auto& k : t) {
        const std::string tabla = sqlite::TablaAdmin(k);
        if (tabla.empty()) continue;
        r.append(sql.substr(copiado, k.desde - copiado));
        r.append(prefijo);
        r.append(tabla);
        copiado = k.hasta;
    }
    r.append(sql.substr(copiado));
    return r;
}

MensajeDriver PartirMensaje(std::string_view mensaje) {
    MensajeDriver m;
    size_t i = 0;
    while (i < mensaje.size() && mensaje[i] == '[') {
        const size_t cierre = mensaje.find(']', i);
        if (cierre == std::string_view::npos) break;
        if (!m.fuente.empty()) m.fuente += ' ';
        m.fuente.append(mensaje.substr(i + 1, cierre - i - 1));
        i = cierre + 1;
    }
    m.texto = Recortado(mensaje.substr(i));
    return m;
}

}  // namespace dep::odbc
