#include "common/barra_progreso.hpp"

#include <cmath>
#include <cstdio>

#include "runtime/falla.hpp"

namespace dep {

std::string FormatoAlmohadillas(double porcentaje) {
    const double r = std::round(porcentaje);  // halves away from zero, as the platform's Format
    if (!std::isfinite(r) || r == 0) return {};
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.0f", r);
    return buf;
}

std::string LeyendaBarra(const std::string& texto, double porcentaje) {
    return texto + " " + FormatoAlmohadillas(porcentaje) + "%";
}

void BarraProgreso(Imagen& picture, const Value& porcentaje, std::uint32_t color, const std::string& texto) {
    // A number, or a text that reads as one (ANumero raises 13 otherwise); anything else is refused.
    if (!porcentaje.EsNumero() && porcentaje.SiTexto() == nullptr)
        throw Falla(err::kTipoIncompatible, "No coinciden los tipos");
    const double p = porcentaje.ANumero();
    picture.Dibujar(DibujoBarra{p, color, LeyendaBarra(texto, p)});
}

}  // namespace dep
