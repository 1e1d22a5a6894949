#pragma once
// Tokens of a T-SQL text. The translation to SQLite works on these, never on the raw text, so a
// quote or a keyword inside a value cannot change what a statement means.
#include <string>
#include <string_view>
#include <vector>

namespace dep::sqlite {

enum class TipoToken {
    Palabra,   // keyword or plain name: SELECT, MV_ASIENTOS, substring
    Numero,    // 12, 1.5, .5, 1e3
    Texto,     // 'it''s' -> it's (texto holds the value, quotes undone)
    Nombre,    // [NUMERO ASIENTO] or "x" -> the name inside
    Variable,  // @FECHA, @ADMIN_MV_ASIENTOS
    Simbolo,   // ( ) , . = <> != <= >= < > + - * / % ; ||
};

struct Token {
    TipoToken tipo;
    std::string texto;
    std::size_t desde = 0;  // byte range in the original text, for messages
    std::size_t hasta = 0;
    bool inicioLinea = false;  // the first token of its line
};

// Comments (-- and /* */) are skipped. An unterminated quote, bracket or comment raises Falla.
std::vector<Token> Tokenizar(std::string_view sql);

bool EsPalabra(const Token& t, std::string_view palabraMayusculas);
// The table that "@ADMIN_<tabla>" names in the suite's administration database; empty when `t`
// is no such variable. Every engine resolves the prefix through this.
std::string TablaAdmin(const Token& t);
bool EsSimbolo(const Token& t, std::string_view s);
std::string MayusculasAscii(std::string_view s);

}  // namespace dep::sqlite
