#include "runtime/ajustes.hpp"
#include "runtime/falla.hpp"
#include "runtime/motores.hpp"

// Kept apart from the settings reader so that reading the settings needs no engine linked in.
namespace dep {

std::shared_ptr<Conexion> AbrirConexion(const AjustesConexion& a) {
    if (a.motor == "sqlite") return AbrirSqlite(a);
    if (a.motor == "odbc") {
#ifdef DEP_HAS_ODBC
        return AbrirOdbc(a);
#else
        throw Falla(err::kConexion, "El motor ODBC no está disponible en esta compilación", "depuracion");
#endif
    }
    throw Falla(err::kConexion,
                "Motor de base de datos desconocido en la configuración: \"" + a.motor +
                    "\" (se admiten \"sqlite\" y \"odbc\")",
                "depuracion");
}

}  // namespace dep
