#pragma once
// The embedded engine's T-SQL translation put in front of an ODBC driver for SQLite: lets the
// ODBC engine run the program's statements on a demo database file through real ODBC calls
// (record sets, types, diagnostics, transactions), where no SQL Server is at hand.
//
// What differs from the embedded engine: the collation DEP_CI that it registers through the
// SQLite C API cannot be registered through a driver, so text compares with SQLite's NOCASE
// (case-insensitive, but trailing blanks count); triggers switched off are kept in the table
// DEP_DISPARADORES_APAGADOS of the database while they are off.
#include <string>

#include "runtime/odbc/odbc_conexion.hpp"

namespace dep::odbc {

// The translation hook for OpcionesOdbc::traducir. `baseAdmin`: the attached database that
// "@ADMIN_" names, "" for the same one (the connection's prefijoAdmin should then be empty).
std::function<void(const std::string& sql, EnvioOdbc& envio)> TraduccionSqlite(std::string baseAdmin = {});

}  // namespace dep::odbc
