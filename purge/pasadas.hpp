#pragma once
// What the consolidation, its preview and its proof share about the two passes: each pass's
// voucher-type filter and summary voucher type, and the grouping of the ordinary entries into the
// merge's keys. One text each, so that the three never drift apart.
#include <string>

namespace dep {

struct DefPasada {
    const char* filtro;  // voucher-type filter appended to the statements
    const char* tipo;    // summary voucher type
};

// All vouchers but the supplier family into "CC", then the supplier family into "FP".
inline constexpr DefPasada kPasadas[] = {
    {" AND (TC<>'FP' AND TC<>'CBFP' AND TC<>'FPC' AND TC<>'PGFP')", "CC"},
    {" AND (TC='FP' OR TC='CBFP' OR TC='FPC' OR TC='PGFP') ", "FP"},
};

// Entries that are neither closing nor opening-balance ones: the ones a pass sums.
inline constexpr const char* kOrdinarios = "(EsCierre = 0) And (ES_SALDO_APERTURA = 0)";

// The sums of the ordinary entries per merge key, for those that also meet `condicion` (appended
// as it stands after the ordinary test, e.g. " and Fecha <= '31/12/2021'" + filter). With
// `detalle` the rows also carry the summary's detail "Depuracion", as the walk reads them.
inline std::string SqlAgrupacion(const std::string& condicion, bool detalle = false) {
    return std::string(
               "SELECT  CUENTA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, MONEDA, COTIZACION, "
               "NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO") +
           (detalle ? ", 'Depuracion' AS detalle" : "") + " From dbo.MV_ASIENTOS Where " + kOrdinarios +
           condicion +
           " GROUP BY CUENTA, [DEBE-HABER], MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, "
           "UNEGOCIO";
}

}  // namespace dep
