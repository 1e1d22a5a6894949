#pragma once
// What the consolidation, its preview and its proof share about the two passes: each pass's
// voucher-type filter and summary voucher type, the grouping of the ordinary entries into the
// merge's keys, what a walk date deletes, and the summary voucher's key. One text each, so that
// the three never drift apart.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/conversions.hpp"
#include "runtime/value.hpp"

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

// The switch of MV_ASIENTOS's triggers around each transaction of the consolidation.
inline constexpr const char* kApagarDisparadores = "ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL";
inline constexpr const char* kEncenderDisparadores = "ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL";

// Entries that are neither closing nor opening-balance ones: the ones a pass sums.
inline constexpr const char* kOrdinarios = "(EsCierre = 0) And (ES_SALDO_APERTURA = 0)";

// The date test of a walk date (date text): the rows up to it. `columna` is the column as the
// statement spells it; the walk's delete writes it in lower case.
inline std::string HastaFecha(const std::string& fecha, const char* columna = "Fecha") {
    return std::string(columna) + " <= '" + fecha + "'";
}

// What the grouping of a walk date sums: the ordinary entries of the pass (`filtro`) that meet
// `hasta` (HastaFecha of the date; the preview widens it with a voucher still to be re-dated).
inline std::string CondicionAgrupacion(const std::string& hasta, std::string_view filtro) {
    return " and " + hasta + std::string(filtro);
}

// What a walk date deletes once it merged: every row of the pass (`filtro`) that meets `hasta`,
// the closing and opening entries too.
inline std::string CondicionBorrado(const std::string& hasta, std::string_view filtro) {
    return hasta + std::string(filtro);
}
inline std::string SqlBorrarFecha(const std::string& fecha, std::string_view filtro) {
    return "Delete MV_ASIENTOS where " + CondicionBorrado(HastaFecha(fecha, "fecha"), filtro);
}

// The dates of the pass's ordinary entries after a walk date that left none up to it, up to the
// cut-off date: the first later walk date whose grouping (SqlAgrupacion) returns a row is the first
// one on or after the earliest of them. The same marks and filter as the grouping, so that no date
// holding entries is passed over; read once a pass, as one round trip. The preview counts the
// dates the walk visits from the same statement, read without locks (`sinBloqueo`).
inline std::string SqlFechasConAsientos(const std::string& fecha, const std::string& corte,
                                        std::string_view filtro, bool sinBloqueo = false) {
    return std::string("SELECT DISTINCT FECHA FROM MV_ASIENTOS") + (sinBloqueo ? " with(nolock)" : "") +
           " Where " + kOrdinarios + " and Fecha > '" + fecha + "'" +
           CondicionAgrupacion(HastaFecha(corte), filtro);
}

// The first walk date (a whole number of days after `paso`) on or after `destino`.
inline Fecha PasoNoAntesDe(const Fecha& paso, const Fecha& destino) {
    if (!(paso < destino)) return paso;
    Fecha r = paso.SumarDias(static_cast<int>(destino.Dias() - paso.Dias()));
    return r < destino ? r.SumarDias(1) : r;
}

// The last walk date (a whole number of days after `paso`) on or before `corte`, for `paso` on or
// before it: the walk's last date, and the day before the one it ends at.
inline Fecha UltimoPasoHasta(const Fecha& paso, const Fecha& corte) {
    const Fecha r = PasoNoAntesDe(paso, corte);
    return corte < r ? r.SumarDias(-1) : r;
}

// The walk date after `anterior` when that date left no ordinary entry of the pass up to it: the
// first one on or after the earliest of `fechas` (SqlFechasConAsientos, sorted) later than
// `anterior`, or, with none left, the first one after `corte`, where the walk ends. The dates
// between would merge and delete nothing.
inline Fecha PasoTrasFechaVacia(const Fecha& anterior, const std::vector<Fecha>& fechas, const Fecha& corte) {
    const Fecha fin = UltimoPasoHasta(anterior, corte).SumarDias(1);
    const auto siguiente = std::upper_bound(fechas.begin(), fechas.end(), anterior);
    return siguiente == fechas.end() ? fin : std::min(PasoNoAntesDe(anterior, *siguiente), fin);
}

// The guard of a walk date, run after its merges and before its delete: the amount the delete
// would take of every row that is not marked as a closing or opening entry. It must equal what the
// date merged; a row whose marks are neither (null, say) counts, so that it cannot go unsummed.
inline std::string SqlImporteABorrar(const std::string& fecha, std::string_view filtro) {
    return "SELECT SUM(IMPORTE) AS IMPORTE FROM MV_ASIENTOS WHERE NOT (ISNULL(EsCierre, 0) = 1 OR "
           "ISNULL(ES_SALDO_APERTURA, 0) = 1) AND " +
           CondicionBorrado(HastaFecha(fecha, "fecha"), filtro);
}

// The summary rows get the marks of an ordinary entry where the table gave them none (a table
// made without the suite's defaults of 0), so that a later walk sums them instead of deleting them.
inline std::string SqlMarcasResumen(const std::string& donde) {
    return "UPDATE MV_ASIENTOS SET EsCierre = ISNULL(EsCierre, 0), ES_SALDO_APERTURA = "
           "ISNULL(ES_SALDO_APERTURA, 0) WHERE " +
           donde + " AND (EsCierre IS NULL OR ES_SALDO_APERTURA IS NULL)";
}

// The summary voucher's key: the branch of the type's talonario, the number after the greatest
// one of that branch and type in MV_ASIENTOS (read as NUMERO), and the letter "X".
inline std::string SqlMayorNumeroResumen(const std::string& sucursal, const std::string& tipo) {
    return "SELECT MAX(NUMERO) AS NUMERO FROM MV_ASIENTOS WHERE SUCURSAL = '" + DoblarComillas(sucursal) +
           "' AND TC = '" + DoblarComillas(tipo) + "'";
}
inline constexpr double kMayorNumeroResumen = 99999999;  // the last number eight digits hold
// The number after `mayor` (null or empty: none yet, so 1); above kMayorNumeroResumen none is left.
inline double SiguienteNumeroResumen(const Value& mayor) {
    return mayor.EsNulo() || mayor.EsVacio() ? 1 : LeerNumero(mayor.ATexto()) + 1;
}
inline std::string ClaveComprobanteResumen(const std::string& sucursal, double numero) {
    return sucursal + FormatoCeros(std::llround(numero), 8) + "X";
}

// The sums of the ordinary entries per merge key, for those that also meet `condicion` (appended
// as it stands after the ordinary test: CondicionAgrupacion). With `detalle` the rows also carry
// the summary's detail "Depuracion", as the walk reads them.
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
