#include "tests/apoyo/conexion_espia.hpp"

#include "runtime/falla.hpp"

namespace dep::prueba {

void ConexionEspia::Rechazar(const std::string& texto, int veces) {
    rechazar = [texto, veces](const std::string& sql) mutable {
        if (veces == 0 || sql.find(texto) == std::string::npos) return false;
        if (veces > 0) --veces;
        return true;
    };
}

void ConexionEspia::Filtro(const std::string& sql) {
    if (registrar) sentencias.push_back(sql);
    if (antes) antes(sql);
    if (rechazar && rechazar(sql)) {
        ++rechazadas;
        const std::string texto = motivo.empty() ? "Rechazo de prueba" : motivo;
        errores_.clear();
        errores_.push_back({err::kBaseDatos, texto, "prueba", "42000", false});
        throw Falla(err::kBaseDatos, texto, "prueba");
    }
}

long ConexionEspia::Execute(const std::string& sql) {
    return Pasar(sql, [&] { return real_->Execute(sql); });
}

Resultado ConexionEspia::Consultar(const std::string& sql) {
    return Pasar(sql, [&] { return real_->Consultar(sql); });
}

std::vector<std::string> ConexionEspia::Con(const std::string& texto) const {
    std::vector<std::string> v;
    for (const auto& q : sentencias)
        if (q.find(texto) != std::string::npos) v.push_back(q);
    return v;
}

}  // namespace dep::prueba
