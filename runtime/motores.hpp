#pragma once
// The engines behind Conexion. Each opens its connection from the settings or raises Falla with
// a Spanish message that names the file or the server and carries the engine's own text.
#include <memory>
#include <string>
#include <vector>

#include "runtime/ajustes.hpp"
#include "runtime/conexion.hpp"

namespace dep {

// The embedded engine on the database file `a.base` (runtime/sqlite/).
std::shared_ptr<Conexion> AbrirSqlite(const AjustesConexion& a);
// The embedded engine's files of the database `base`: itself, its journals and its run lock.
// No other file the program writes (journal, trace) may be one of them.
std::vector<std::string> ArchivosDeLaBase(const std::string& base);
std::string ArchivoCandado(const std::string& base);
// True when `ruta` names one of those files (after resolving links and relative parts).
bool EsArchivoDeLaBase(const std::string& ruta, const std::string& base);
// SQL Server through unixODBC with the connection string `a.odbc` (runtime/odbc/, built only
// when DEP_HAS_ODBC is defined).
std::shared_ptr<Conexion> AbrirOdbc(const AjustesConexion& a);

}  // namespace dep
