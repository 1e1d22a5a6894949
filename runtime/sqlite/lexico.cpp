#include "runtime/sqlite/lexico.hpp"

#include "runtime/falla.hpp"

namespace dep::sqlite {

namespace {

bool CaracterDePalabra(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '#' || c == '$' || c >= 0x80;
}
bool Digito(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void SinCerrar(std::string_view que, std::string_view sql) {
    throw Falla(err::kBaseDatos,
                "La sentencia tiene " + std::string(que) + " sin cerrar: " + std::string(sql.substr(0, 300)),
                "depuracion/sqlite");
}

}  // namespace

std::string MayusculasAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool EsPalabra(const Token& t, std::string_view p) {
    if (t.tipo != TipoToken::Palabra || t.texto.size() != p.size()) return false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        char c = t.texto[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != p[i]) return false;
    }
    return true;
}

bool EsSimbolo(const Token& t, std::string_view s) {
    return t.tipo == TipoToken::Simbolo && t.texto == s;
}

std::vector<Token> Tokenizar(std::string_view sql) {
    std::vector<Token> r;
    std::size_t i = 0;
    const std::size_t n = sql.size();
    bool lineaNueva = true;
    auto agregar = [&](TipoToken tipo, std::string texto, std::size_t desde) {
        r.push_back(Token{tipo, std::move(texto), desde, i, lineaNueva});
        lineaNueva = false;
    };
    while (i < n) {
        const char c = sql[i];
        const std::size_t desde = i;
        if (c == '\n' || c == '\r') {
            lineaNueva = true;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t fin = sql.find("*/", i + 2);
            if (fin == std::string_view::npos) SinCerrar("un comentario", sql);
            for (std::size_t k = i; k < fin; ++k)
                if (sql[k] == '\n') lineaNueva = true;
            i = fin + 2;
        } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && sql[i + 1] == '\'')) {
            if (c != '\'') ++i;  // N'...' is the same text for this engine
            ++i;
            std::string valor;
            for (;;) {
                if (i >= n) SinCerrar("un texto entre comillas", sql);
                if (sql[i] == '\'') {
                    if (i + 1 < n && sql[i + 1] == '\'') {
                        valor += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                valor += sql[i++];
            }
            agregar(TipoToken::Texto, std::move(valor), desde);
        } else if (c == '[' || c == '"') {
            const char cierre = c == '[' ? ']' : '"';
            ++i;
            std::string valor;
            for (;;) {
                if (i >= n) SinCerrar("un nombre entre corchetes", sql);
                if (sql[i] == cierre) {
                    if (i + 1 < n && sql[i + 1] == cierre) {
                        valor += cierre;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                valor += sql[i++];
            }
            agregar(TipoToken::Nombre, std::move(valor), desde);
        } else if (Digito(c) || (c == '.' && i + 1 < n && Digito(sql[i + 1]))) {
            while (i < n && Digito(sql[i])) ++i;
            if (i < n && sql[i] == '.') {
                ++i;
                while (i < n && Digito(sql[i])) ++i;
            }
            if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
                std::size_t k = i + 1;
                if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
                if (k < n && Digito(sql[k])) {
                    i = k;
                    while (i < n && Digito(sql[i])) ++i;
                }
            }
            agregar(TipoToken::Numero, std::string(sql.substr(desde, i - desde)), desde);
        } else if (c == '@') {
            ++i;
            while (i < n && (CaracterDePalabra(static_cast<unsigned char>(sql[i])) || sql[i] == '@')) ++i;
            agregar(TipoToken::Variable, std::string(sql.substr(desde, i - desde)), desde);
        } else if (CaracterDePalabra(static_cast<unsigned char>(c))) {
            // After its first character a name may hold '@' (X@Y is one name, not X and @Y).
            while (i < n && (CaracterDePalabra(static_cast<unsigned char>(sql[i])) || sql[i] == '@')) ++i;
            agregar(TipoToken::Palabra, std::string(sql.substr(desde, i - desde)), desde);
        } else {
            static constexpr std::string_view dobles[] = {"<>", "!=", "<=", ">=", "||", "!<", "!>"};
            std::string s(1, c);
            for (auto d : dobles)
                if (sql.substr(i, 2) == d) s = std::string(d);
            i += s.size();
            agregar(TipoToken::Simbolo, std::move(s), desde);
        }
    }
    return r;
}

std::string TablaAdmin(const Token& t) {
    static constexpr std::string_view kPrefijo = "@ADMIN_";
    if (t.tipo != TipoToken::Variable || t.texto.size() <= kPrefijo.size()) return {};
    if (MayusculasAscii(std::string_view(t.texto).substr(0, kPrefijo.size())) != kPrefijo) return {};
    return t.texto.substr(kPrefijo.size());
}

}  // namespace dep::sqlite
