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

// The least magnitude refused: an amount must be below a million million (999.999.999.999,99 at
// most). The walk adds in the database's doubles, which keep 15 to 16 significant digits, and
// writes each date's group sum into the merge with 15: an amount below the limit takes at most 14
// with its cents, and a date's group sum keeps its cents while below ten million million (ten
// amounts of the largest size on one date and key). Below 2^40 (1,1e12) one rounding of a double
// moves a value by at most 2^-13 of a unit, about a hundredth of a cent: a summary row takes one
// addition per walk date, and dozens of them would all have to round the same way to move it half
// a cent. The proof adds in exact cents and reports any drift that did happen. A lower limit would
// keep more margin but refuse the summary rows that years of a large business's books reach; a
// summary row that outgrows this one is refused by the next run like any other amount.
inline constexpr const char* kLimiteImporte = "1000000000000";
inline constexpr const char* kLimiteImporteTexto = "1.000.000.000.000";

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

// Rows up to `corte` whose closing and opening marks are not 0 or 1 (null, say): the walk deletes
// every row of its dates but sums only the ordinary ones (0 and 0), so these would go unsummed.
long long ContarMarcasNoValidas(DataServices& datos, const std::string& corte);

// What stops the consolidation before it sums anything, in the operator's words ("" when
// nothing): amounts it cannot fold, then marks it cannot read. The run and the preview ask here.
std::string LoQueDetieneLaConsolidacion(DataServices& datos, const std::string& corte);

}  // namespace dep
