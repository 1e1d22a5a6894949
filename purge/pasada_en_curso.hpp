#pragma once
// The durable record of a consolidation pass in progress: a row of TA_CONFIGURACION written and
// committed before the pass's first walk date, and removed in the transaction that re-dates its
// summary voucher. A run that dies in between leaves it; the next run (holding the run lock)
// re-dates exactly that voucher to the cut-off date recorded, never a voucher that merely looks
// unfinished: finished vouchers and another runner's look the same. The run and the preview
// read it through these functions only.
#include <optional>
#include <string>

#include "runtime/data_services.hpp"

namespace dep {

struct PasadaEnCurso {
    std::string tipo;   // summary voucher type: "CC" or "FP"
    std::string clave;  // its 13-character key: branch, number, letter
    std::string corte;  // the cut-off date of that run, as its re-dating writes it
};

// The statements of the record, for the pass of summary type `tipo`.
std::string SqlGrabarPasadaEnCurso(const PasadaEnCurso& p);
std::string SqlBorrarPasadaEnCurso(const std::string& tipo);

// The record left for `tipo`, if any. Raises Falla when the database refuses the read.
std::optional<PasadaEnCurso> LeerPasadaEnCurso(DataServices& datos, const std::string& tipo);

// True when MV_ASIENTOS holds rows of the voucher `id` (branch, number, letter) of type `tipo`.
bool ExisteComprobanteResumen(DataServices& datos, const std::string& tipo, const std::string& id);

// The condition on the rows of the summary voucher `clave` of type `tipo` (the re-dating's).
std::string CondicionComprobante(const std::string& tipo, const std::string& clave);

}  // namespace dep
