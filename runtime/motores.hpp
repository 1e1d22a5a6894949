#pragma once
// The engines behind Conexion. Each opens its connection from the settings or raises Falla with
// a Spanish message that names the file or the server and carries the engine's own text.
#include <memory>

#include "runtime/ajustes.hpp"
#include "runtime/conexion.hpp"

namespace dep {

// The embedded engine on the database file `a.base` (runtime/sqlite/).
std::shared_ptr<Conexion> AbrirSqlite(const AjustesConexion& a);
// SQL Server through unixODBC with the connection string `a.odbc` (runtime/odbc/, built only
// when DEP_HAS_ODBC is defined).
std::shared_ptr<Conexion> AbrirOdbc(const AjustesConexion& a);

}  // namespace dep
