#pragma once
// Pieces shared by the batch parser and the statement translation.
#include <string>
#include <string_view>
#include <vector>

#include "runtime/sqlite/traductor.hpp"

namespace dep::sqlite::interno {

[[noreturn]] void NoTraducible(const std::vector<Token>& t, std::string_view texto, std::size_t desde,
                               std::size_t hasta, const std::string& motivo);

bool EsComparacion(const Token& t);
bool EsReservada(const Token& t);

// A table named at t[i]: [dbo.]name, [name], @ADMIN_name. On success `fin` is past it.
struct RefTabla {
    std::string base;  // attached database, "" main
    std::string tabla;
};
bool LeerTabla(const std::vector<Token>& t, std::size_t i, std::size_t hasta, const std::string& baseAdmin,
               RefTabla& ref, std::size_t& fin, std::string& error);

// The SQLite name of a table reference: "name" or "base"."name".
std::string NombreSqlite(const RefTabla& r);
std::string Comillas(std::string_view nombre);  // "x" with inner quotes doubled

// Translates one statement t[desde, hasta) into `p` (tipo Sql). `prefijo`/`sufijo` wrap it
// (used for IF conditions: SELECT CASE WHEN ... THEN 1 ELSE 0 END).
void TraducirSentencia(const std::vector<Token>& t, std::string_view texto, std::size_t desde,
                       std::size_t hasta, Esquema& esquema, const std::string& baseAdmin, Plan& plan, Paso& p,
                       const std::string& prefijo = {}, const std::string& sufijo = {});

}  // namespace dep::sqlite::interno
