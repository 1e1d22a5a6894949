#pragma once
// Where the program finds its database: section [Conexion] of the settings file "cn000pr.ini"
// (in the program folder, or the file named by DEPURACION_INI), overridden by the environment.
#include <memory>
#include <string>
#include <vector>

#include "runtime/conexion.hpp"

namespace dep {

struct AjustesConexion {
    std::string motor = "sqlite";     // "sqlite" or "odbc"
    std::string base;                 // embedded engine: the database file
    std::string odbc;                 // ODBC engine: the connection string
    std::string prefijoAdmin;         // what "@ADMIN_" resolves to ("" = the same database)
    std::string traza;                // statement trace file, empty = none
    int tiempoEspera = 0;             // command time-out in seconds, 0 = none
    int esperaBloqueo = 5000;         // embedded engine: busy time-out in ms
    std::vector<std::string> avisos;  // settings that were out of range and fell back (Spanish)
};

// The settings file: $DEPURACION_INI, else "cn000pr.ini" in the program folder.
std::string RutaAjustes();

// Reads "cn000pr.ini" and the variables DEPURACION_BASE, DEPURACION_ODBC, DEPURACION_TRAZA.
// Without any of them the embedded demo database "demo.db" in the program folder is used.
AjustesConexion LeerAjustesConexion();

// Opens the connection the settings name. Failure raises Falla with a Spanish message that
// names the file or the server and carries the engine's text.
std::shared_ptr<Conexion> AbrirConexion(const AjustesConexion& a);

}  // namespace dep
