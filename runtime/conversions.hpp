#pragma once
// The platform's default conversions: the suite's settings, never the machine's locale.
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.hpp"

namespace dep {

// "dd/mm/yyyy", followed by " hh:mm:ss" when the value carries a time of day.
std::string TextoFecha(const Fecha& f);
// "hh:mm:ss" (24 hours).
std::string TextoHora(const Fecha& f);
// SQLite's canonical form "YYYY-MM-DD HH:MM:SS", used by the embedded engine for storage.
std::string TextoFechaIso(const Fecha& f);
std::optional<Fecha> LeerFechaIso(std::string_view s);

// A point as decimal separator, no grouping, 15 significant digits: 1234.56, not 1234.5600000000002.
std::string TextoNumero(double d);
// Currency: up to four decimals, no trailing zeros.
std::string TextoMoneda(Moneda m);
// Plain decimal digits of a whole number.
std::string TextoEntero(long long n);

// Reads a number from the start of a text: blanks skipped, up to the first character that
// cannot continue a number; no number gives 0.
double LeerNumero(std::string_view s);

// The operator's typed dates: day/month/year with '/', '-' or '.', two- or four-digit year,
// optionally followed by a time of day (hh:mm or hh:mm:ss). Rejects blanks and impossible days.
// Every engine interprets a date literal through this same function.
std::optional<Fecha> ReconocerFecha(std::string_view s);

// Pads a non-negative whole number with zeros to `digitos` digits; a larger number keeps all of them.
// A negative number keeps its sign in front ("-0001"), as the platform's Format does.
std::string FormatoCeros(long long n, int digitos);

// Text helpers used across the layers.
std::string Recortar(std::string_view s);  // blanks removed at both ends
// The local date and time now, laid out by strftime's `formato` (traces, file names, messages).
std::string HoraLocal(const char* formato);
// The local date and time now, to the second.
Fecha AhoraLocal();
// One entry of a statement trace, the same for every engine so that one reader serves both:
// "[yyyy-mm-dd hh:mm:ss] que", the statement indented, "=> resultado".
std::string EntradaTraza(const char* que, const std::string& sql, const std::string& resultado);
std::string Mayusculas(std::string_view s);  // ASCII and the Spanish accented letters
bool IgualesSinCaso(std::string_view a, std::string_view b);
bool ContieneSinCaso(std::string_view texto, std::string_view buscado);  // under Mayusculas
// Doubles every single quote, for a text that goes between single quotes in a statement.
std::string DoblarComillas(std::string_view s);
// `largo` characters from `desde` (0-based), or fewer; nothing past the end.
inline std::string Parte(const std::string& s, std::size_t desde, std::size_t largo) {
    return desde < s.size() ? s.substr(desde, largo) : std::string();
}

}  // namespace dep
