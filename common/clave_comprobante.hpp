#pragma once
// A voucher's key as the suite writes it in one text (IDCOMPROBANTE, the run record): branch
// (4 characters), number (8) and letter (1), 13 in all.
#include <string>

#include "runtime/conversions.hpp"

namespace dep {

struct ClaveComprobante {
    static constexpr std::size_t kLargo = 13;
    std::string sucursal, numero, letra;

    // The parts of `clave`; a shorter text gives the parts it holds, the rest empty.
    static ClaveComprobante Leer(const std::string& clave) {
        return {Parte(clave, 0, 4), Parte(clave, 4, 8), Parte(clave, 12, 1)};
    }
    std::string Texto() const { return sucursal + numero + letra; }
    // The statement condition that names this voucher of type `tc` in MV_ASIENTOS.
    std::string Condicion(const std::string& tc) const {
        return "TC = '" + DoblarComillas(tc) + "' AND SUCURSAL = '" + DoblarComillas(sucursal) +
               "' AND NUMERO = '" + DoblarComillas(numero) + "' AND LETRA = '" + DoblarComillas(letra) + "'";
    }
};

}  // namespace dep
