#pragma once
// Text helpers of the ODBC engine that need no driver: hiding the password of a connection
// string, resolving the "@ADMIN_" table prefix and splitting a driver's message.
#include <string>
#include <string_view>

namespace dep::odbc {

// The connection string with the values of PWD and Password replaced by "***" (keys matched
// without regard to case, braced values "{...}" included). Use it wherever a connection
// string may reach a message, a trace or a log.
std::string OcultarClave(std::string_view cadena);

// The value of the first attribute of the connection string named `clave` (case-insensitive),
// without braces; empty when absent.
std::string AtributoCadena(std::string_view cadena, std::string_view clave);

// Replaces every table-name prefix "@ADMIN_" (any letter case) with `prefijo`. Works on
// tokens: quoted texts, bracketed or double-quoted names and comments are left as they are,
// and only a prefix that starts a word is replaced.
std::string ResolverPrefijoAdmin(std::string_view sql, std::string_view prefijo);

// A driver message "[vendor][driver][server]text" split into its text and its source tags.
struct MensajeDriver {
    std::string texto;
    std::string fuente;
};
MensajeDriver PartirMensaje(std::string_view mensaje);

}  // namespace dep::odbc
