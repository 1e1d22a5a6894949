#pragma once
// The durable record of a consolidation pass in progress: a row of TA_CONFIGURACION written and
// committed before the pass's first walk date, brought up to date in the transaction of every walk
// date that merges, and removed in the transaction that re-dates its summary voucher. A run that
// dies in between leaves it; the next run (holding the run lock) moves only the rows that pass
// wrote (its voucher's rows on the day after its cut-off date, detail "Depuracion") to the last
// walk date it committed, so that the balance at that date and every later one is whole again.
// A record whose voucher holds any other row is refused: finished vouchers and ordinary ones are
// never moved. The run and the preview read it through these functions only.
#include <optional>
#include <string>

#include "runtime/data_services.hpp"
#include "runtime/value.hpp"

namespace dep {

struct PasadaEnCurso {
    std::string tipo;    // summary voucher type: "CC" or "FP"
    std::string clave;   // its 13-character key: branch, number, letter
    std::string corte;   // the cut-off date of that run, as its re-dating writes it
    std::string ultima;  // the last walk date it committed with a merge ("" none yet, or an older record)
};

// The statements of the record, for the pass of summary type `tipo`.
std::string SqlGrabarPasadaEnCurso(const PasadaEnCurso& p);
// Brings the record up to date: `p.ultima` committed (run inside that date's transaction).
std::string SqlAvanzarPasadaEnCurso(const PasadaEnCurso& p);
std::string SqlBorrarPasadaEnCurso(const std::string& tipo);

// The record left for `tipo`, if any. Raises Falla when the database refuses the read.
std::optional<PasadaEnCurso> LeerPasadaEnCurso(DataServices& datos, const std::string& tipo);

// What to do with a record a dead run left.
struct Recuperacion {
    enum class Accion {
        Descartar,  // not a record this program wrote, or its voucher has no rows: drop the record
        Mover,      // move the rows of `condicion` to `destino`
        Rehusar,    // leave everything as it is and stop: `motivo` says why
    };
    Accion accion = Accion::Descartar;
    std::string condicion;  // the rows the pass wrote (Mover)
    Fecha destino;          // where they go (Mover)
    long long filas = 0;    // how many (Mover)
    std::string motivo;     // Descartar and Rehusar, in the operator's words
};

// Decides from the record `rec` and the voucher's rows, for a new run up to `corte`. Raises Falla.
Recuperacion PlanearRecuperacion(DataServices& datos, const PasadaEnCurso& rec, const Fecha& corte);

// Rows of MV_ASIENTOS that meet `donde`. Raises Falla.
long long ContarAsientos(DataServices& datos, const std::string& donde);

// True when MV_ASIENTOS holds rows of the voucher `id` (branch, number, letter) of type `tipo`.
bool ExisteComprobanteResumen(DataServices& datos, const std::string& tipo, const std::string& id);

// The condition on the rows of the summary voucher `clave` of type `tipo` (the re-dating's).
std::string CondicionComprobante(const std::string& tipo, const std::string& clave);

}  // namespace dep
