#include "purge/desenlace.hpp"

#include <vector>

namespace dep {

namespace {

// Why a ticked purge did not finish its work; empty when it did (or was only cancelled).
std::string SinTerminar(const InformePurga& p) {
    if (!p.marcada) return "";
    if (p.resultado == resultado::kNoEjecutada)
        return p.unidades > p.rechazadas ? "incompleta" : "no se ejecutó";
    if (p.resultado == resultado::kInterrumpida) return "detenida por un error";
    if (p.resultado == resultado::kDiferencias) return "los saldos no cuadran";
    if (p.resultado == resultado::kPendiente) return "quedó algo pendiente";
    // A purge done with refusals finished: the temporaries purge skips a refused statement by
    // design, and dates of the consolidation refused are folded in by a later date (what was
    // left behind is kPendiente).
    if (p.purga == Purga::Stock && p.rechazadas) return "la base de datos rechazó el procedimiento";
    return "";
}

// Refusals the purge's error trap reported (not only skipped by design) and no retry redid.
std::string Rechazos(const Informe& i, const InformePurga& p) {
    return i.errorEnLaCorrida && p.marcada && p.rechazadas > 0 ? "la base de datos rechazó pasos" : "";
}

}  // namespace

Titular TitularDe(const Informe& i) {
    std::string faltan;
    for (const auto& p : i.purgas)
        if (const std::string por = SinTerminar(p).empty() ? Rechazos(i, p) : SinTerminar(p); !por.empty())
            faltan += (faltan.empty() ? "" : "; ") + std::string(TituloDePurga(p.purga)) + " (" + por + ")";
    long reintentadas = 0;
    for (const auto& p : i.purgas) reintentadas += p.reintentadas;
    // An error the operator was shown that no record explains (a trap outside the purges' own
    // units, the numbering's for one): no clean run either.
    const bool sinExplicar = i.errorEnLaCorrida && faltan.empty() && reintentadas == 0;
    const std::string repetir = "repita la depuración hasta el " + i.hasta + " para completarla";
    if (!faltan.empty() || ConErrores(i) || sinExplicar)
        return {Desenlace::kConErrores, "Depuración con errores: " +
                                            (!faltan.empty()         ? faltan
                                             : !i.pendientes.empty() ? "quedó algo pendiente"
                                                                     : "vea el detalle") +
                                            (i.cancelado ? ". Cancelada: " + repetir : std::string())};
    if (i.cancelado) return {Desenlace::kCancelada, "Depuración cancelada: " + repetir};
    if (!i.fechaGrabada)
        return {Desenlace::kConErrores, "Depuración con errores: no se grabó la fecha de última depuración"};
    return {Desenlace::kTerminada, "Depuración terminada"};
}

const char* ClaveDesenlace(Desenlace d) {
    switch (d) {
        case Desenlace::kTerminada:
            return "terminada";
        case Desenlace::kCancelada:
            return "cancelada";
        case Desenlace::kConErrores:
            break;
    }
    return "con errores";
}

}  // namespace dep
