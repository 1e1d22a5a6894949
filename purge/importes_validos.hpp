#pragma once
// The check that runs before the consolidation sums anything: the amounts it would fold are
// numbers whose sums it keeps to the cent. The walk sums IMPORTE in the database's floating
// point and deletes the detail it summed, so a null (which turns a summary row null for good), a
// text the database reads as another number ('1234,56' read as 1234), a value that is not finite,
// or a magnitude that swallows the cents of the amounts beside it would be lost with the detail.
// The run and the preview ask it through these functions only.
#include <string>
#include <vector>

#include "runtime/data_services.hpp"

namespace dep {

// The least magnitude refused: an amount must be below ten thousand million (9.999.999.999,99 at
// most). The walk adds in the database's doubles, which keep 15 to 16 significant digits, and
// writes each date's sum into the merge with 15; an amount below the limit takes at most 12 with
// its cents, so the summary row that folds years of entries keeps three digits for its growth and
// its sums still carry digits below the cent that absorb the doubles' rounding. Below 2^34
// (1,7e10) one rounding moves a value by at most 2^-20 (under a millionth): a summary row takes
// one addition (IMPORTE = IMPORTE + x) per walk date, so thousands of dates (years of calendar
// days) would have to round the same way to move it by half a cent. A summary row that outgrows
// the limit is refused by the next run like any other amount: no run builds on a row whose cents
// it cannot keep.
inline constexpr const char* kLimiteImporte = "10000000000";
inline constexpr const char* kLimiteImporteTexto = "10.000.000.000";

struct ImportesNoValidos {
    long long cantidad = 0;
    std::vector<std::string> ejemplos;  // a few values as the operator reads them (NULL, '1234,56', 1E+300)
};

// The test of an amount that is no valid one, on both engines: null; a text or blob that the
// database does not read whole as a number (SQLite compares a text that is one equal to its
// number; the server's numeric column never holds one); not finite or at or beyond the limit.
std::string CondicionImporteNoValido();

// The ordinary entries of both passes dated up to the cut-off date `corte` (date text) whose
// amount is no valid one. Raises Falla when the database refuses the queries.
ImportesNoValidos BuscarImportesNoValidos(DataServices& datos, const std::string& corte);

// "LA COLUMNA IMPORTE DE MV_ASIENTOS TIENE n VALOR(ES) QUE NO SON IMPORTES VÁLIDOS (POR EJEMPLO: ...)"
// and what a valid one is.
std::string DescribirImportesNoValidos(const ImportesNoValidos& f);

}  // namespace dep
