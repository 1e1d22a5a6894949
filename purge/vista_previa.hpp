#pragma once
// The preview: what a run with this cut-off date and these purges would touch, counted without
// changing anything. Every count is read with the run's own filters and dates, so a run that
// meets no refusal does exactly this.
#include <string>
#include <vector>

#include "runtime/servicios.hpp"

namespace dep {

struct ConteoTabla {
    std::string tabla;
    long long filas = 0;
    bool existe = true;
    std::string aviso;  // why the run would not delete here (dates that are no dates)
};

// The summary voucher of a pass that a dead run recorded and left on the day after its cut-off
// date: the pass moves it to that cut-off date before its walk, which folds it in from there.
struct ComprobanteVarado {
    std::string comprobante;  // branch, number, letter
    long long filas = 0;
    std::string corte;  // the cut-off date of the run that left it
};

struct PreviaPasada {
    std::string tipo;          // "CC" or "FP": the summary voucher type
    bool correria = false;     // the pass would run (type present, entries up to the date)
    std::string motivo;        // why it would not, in the operator's words
    std::string primeraFecha;  // walk dates, as the run writes them
    std::string ultimaFecha;
    long long fechas = 0;     // dates the walk visits
    long long asientos = 0;   // ordinary entries consolidated
    long long cierres = 0;    // closing and opening entries deleted with them
    long long grupos = 0;     // rows of the summary voucher
    std::string comprobante;  // key of the summary voucher: branch, number, letter
    std::vector<ComprobanteVarado> varados;
};

struct VistaPrevia {
    std::string hasta;
    bool stock = false, asientos = false, temporales = false;
    std::vector<ConteoTabla> trabajo;    // work tables emptied
    std::vector<ConteoTabla> historial;  // history rows up to the date
    bool existeCC = false, existeFP = false;
    std::vector<PreviaPasada> pasadas;
    std::string fechasAsientos;    // MV_ASIENTOS.FECHA holds values that are no dates: no consolidation
    std::string importesAsientos;  // amounts to fold that are no valid ones: no consolidation
    std::string corridaEnCurso;    // another run holds the run lock now: who and since when
};

// Raises Falla when the date is no date or the database refuses a query; writes nothing (the
// summary voucher numbering runs inside a transaction that is rolled back).
VistaPrevia CalcularVistaPrevia(Servicios& s, const std::string& hasta, bool stock, bool asientos,
                                bool temporales);

// The work tables of the temporaries purge, in its order.
const std::vector<std::string>& TablasTemporales();
// The history tables it deletes from up to the date, in its order.
const std::vector<std::string>& TablasHistorial();

std::string TextoVistaPrevia(const VistaPrevia& v);  // Spanish table
std::string JsonVistaPrevia(const VistaPrevia& v);

}  // namespace dep
