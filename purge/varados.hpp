#pragma once
// How a summary voucher that an interrupted run left on the day after the cut-off date is told
// apart from every other row: the run re-dates what this finds and the preview counts it, so the
// two never disagree.
#include <string>

#include "runtime/conversions.hpp"

namespace dep {

// What a run writes on every row of its summary voucher besides the key: the detail, the day
// after the cut-off date, that day's period and month.
inline std::string MarcaResumen(const std::string& fechaResumen, const std::string& periodo, int mesResumen) {
    return " AND DETALLE = 'Depuracion' AND FECHA = '" + fechaResumen + "' AND PERIODO = '" +
           DoblarComillas(periodo) + "' AND MES_OPERATIVO = " + TextoEntero(mesResumen);
}

// The rows of the summary vouchers of type `tipo` and letter `letra` that carry `marca`.
inline std::string CondicionVarados(const std::string& tipo, const std::string& letra,
                                    const std::string& marca) {
    return "TC = '" + DoblarComillas(tipo) + "' AND LETRA = '" + DoblarComillas(letra) + "'" + marca;
}

}  // namespace dep
