#pragma once
// The progress bar of the purges: a caption centred over a bar filled to `percent` of the
// width of the picture. The core composes what to draw; each front end's picture draws it.
#include <cstdint>
#include <string>

#include "runtime/value.hpp"

namespace dep {

struct DibujoBarra {
    double porcentaje = 0;      // x of the bar's right edge on a 0..100 scale (may exceed 100)
    std::uint32_t color = 255;  // 0x00BBGGRR
    std::string leyenda;        // text + " " + percent formatted "###" + "%"
};

// The picture box PicMsg as the purges see it.
class Imagen {
  public:
    virtual ~Imagen() = default;
    virtual void Mostrar() = 0;  // Visible = true
    // Clears and draws the bar; the picture is exact after the call and on screen at once.
    virtual void Dibujar(const DibujoBarra& d) = 0;
    virtual bool Visible() const = 0;
};

// "###": the rounded whole number without leading zeros; nothing for 0.
std::string FormatoAlmohadillas(double porcentaje);
// Caption of the bar: texto + " " + FormatoAlmohadillas(percent) + "%".
std::string LeyendaBarra(const std::string& texto, double porcentaje);
// Draws the bar in the picture. `porcentaje` must be numeric (Falla 13 otherwise).
void BarraProgreso(Imagen& picture, const Value& porcentaje, std::uint32_t color, const std::string& texto);

}  // namespace dep
