#pragma once
// The state of one Execute / Consultar while its plan runs (shared by ejecutor.cpp and
// procedimientos.cpp).
#include <string_view>
#include <vector>

#include "runtime/sqlite/conexion_sqlite.hpp"

namespace dep {

struct ConexionSqlite::Contexto {
    const std::vector<sqlite::Token>& t;
    std::string_view texto;
    Resultado* res;  // Consultar: the rows of the first statement that returns columns
    bool lleno = false;
    long filas = 0;
    bool dml = false;
    int profundidad = 0;
};

}  // namespace dep
