#pragma once
// The runtime component's global objects, handed together to every routine that needs them.
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador.hpp"

namespace dep {

struct Servicios {
    DataServices& datos;
    FormServices& formularios;
    LookupServices& consultas;
    Operador& operador;
};

}  // namespace dep
