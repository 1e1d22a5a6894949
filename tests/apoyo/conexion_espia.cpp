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
    Filtro(sql);
    errores_.clear();
    try {
        const long n = real_->Execute(sql);
        errores_ = real_->Errors();
        return n;
    } catch (...) {
        errores_ = real_->Errors();
        throw;
    }
}

Resultado ConexionEspia::Consultar(const std::string& sql) {
    Filtro(sql);
    errores_.clear();
    try {
        Resultado r = real_->Consultar(sql);
        errores_ = real_->Errors();
        return r;
    } catch (...) {
        errores_ = real_->Errors();
        throw;
    }
}

std::vector<std::string> ConexionEspia::Con(const std::string& texto) const {
    std::vector<std::string> v;
    for (const auto& q : sentencias)
        if (q.find(texto) != std::string::npos) v.push_back(q);
    return v;
}

}  // namespace dep::prueba
