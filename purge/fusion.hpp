#pragma once
// The insert-or-increase batch that adds one group of summed entries into the summary voucher of
// a consolidation pass. Only text is built here; the consolidation executes it.
#include <string>

#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/recordset.hpp"

namespace dep {

// What a pass knows of its summary voucher when it merges a group.
struct ContextoFusion {
    std::string tipo;          // "CC" or "FP"
    std::string clave;         // 13 characters: branch (1-4), number (5-12), letter (13)
    long secuencia = 1;        // SECUENCIA of a new row
    std::string periodo;       // PERIODO of a new row, decimal digits
    std::string fechaResumen;  // the day after the cut-off date, as date text
    int mesResumen = 1;        // month of that day
    double nroAsiento = 0;     // NUMERO ASIENTO of the pass
};

// A value written as it stands: its own text, nothing for a null or an empty value.
std::string TextoPlano(const Value& v);

// The condition that finds the summary row of the group at the current row of `grupo`.
std::string CondicionFusion(const Recordset& grupo, const ContextoFusion& c, const FormServices& fs);

// The batch: inserts the summary row when `condicion` finds none, else adds the group's sum to it.
std::string LoteFusion(const Recordset& grupo, const ContextoFusion& c, const std::string& condicion,
                       const DataServices& ds, const FormServices& fs);

}  // namespace dep
