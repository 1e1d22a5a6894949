#pragma once
// What the tests of the common folder share: the runtime services around a connection (the
// scripted one of tests/apoyo, or a real one).
#include <filesystem>
#include <memory>
#include <string>

#include "runtime/conexion.hpp"
#include "runtime/data_services.hpp"
#include "runtime/falla.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/servicios.hpp"
#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/conexion_grabadora.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep::prueba {

// The runtime's global objects around one connection (null: a closed one).
struct Entorno {
    explicit Entorno(std::shared_ptr<Conexion> cn)
        : datos(std::move(cn), op), formularios(op), consultas(op) {}
    OperadorGuionado op;
    DataServices datos;
    FormServices formularios;
    LookupServices consultas;
    Servicios s{datos, formularios, consultas, op};
};

}  // namespace dep::prueba
