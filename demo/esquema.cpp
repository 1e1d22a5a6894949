// Creation of a new suite database file with the schema.
#include <filesystem>
#include <string>
#include <system_error>

#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "demo/interno.hpp"
#include "runtime/falla.hpp"
#include "runtime/plataforma/rutas.hpp"

namespace dep {
namespace demo {

void ExigirArchivoNuevo(const std::string& ruta) {
    if (ruta.empty())
        throw Falla(err::kConexion, "Falta el nombre del archivo de la base de datos.", "depuracion-demo");
    std::error_code ec;
    if (std::filesystem::exists(Ruta(ruta), ec) || ec)
        throw Falla(err::kConexion, "El archivo \"" + ruta + "\" ya existe; no se lo reemplaza.",
                    "depuracion-demo");
}

void AplicarEsquema(Bd& bd) {
    sqlite::Transaccion t(bd.Manejador());
    if (!t) bd.Fallar("BEGIN");
    bd.Ejecutar(std::string(EsquemaSQL()));
    if (t.Confirmar() != SQLITE_OK) bd.Fallar("COMMIT");
}

void BorrarSiExiste(const std::string& ruta) noexcept {
    std::error_code ec;
    std::filesystem::remove(Ruta(ruta), ec);
    std::filesystem::remove(Ruta(ruta + "-journal"), ec);
}

}  // namespace demo

void CrearEsquema(const std::string& ruta) {
    demo::ExigirArchivoNuevo(ruta);
    try {
        demo::Bd bd(ruta);
        demo::AplicarEsquema(bd);
    } catch (...) {
        demo::BorrarSiExiste(ruta);
        throw;
    }
}

}  // namespace dep
