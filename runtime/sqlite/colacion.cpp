#include "runtime/sqlite/colacion.hpp"

#include <sqlite3.h>

namespace dep::sqlite {

namespace {

int Callback(void*, int na, const void* a, int nb, const void* b) {
    return CompararComoServidor(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
                                std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

}  // namespace

bool PliegaMasQueNocase(std::string_view s) {
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) != 0xC3) continue;
        if (LetraConPareja(static_cast<unsigned char>(s[i + 1]))) return true;
        ++i;
    }
    return false;
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
