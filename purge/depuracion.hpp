#pragma once
// The purge routines of the main window, written against its host interface so that the
// window, the console and the tests run the same code.
#include <string>

#include "purge/anfitrion.hpp"
#include "runtime/servicios.hpp"

namespace dep {

class Depuracion {
public:
    Depuracion(Servicios& s, AnfitrionCorrida& host) : s_(s), host_(host) {}

    // The run: stock, accounting, temporaries as ticked; then the final time and either
    // "Proceso Cancelado" or the cut-off date stored as the last purge date.
    void Depurar();
    void DepuraTemporales();
    void DepuraStock();
    void DepuraAsientos();
    // Repairs payment applications left pointing at consolidated vouchers.
    void ControlarAplicaciones(const std::string& idComprobanteNuevo, bool soloFP, const Fecha& fechaHasta);

    void CmdCancelar_Click();  // sets Cancelado, caption "CANCELANDO Espere..."
    void Timer1_Timer();       // "Actual: ... Transcurrido: ..."

private:
    Servicios& s_;
    AnfitrionCorrida& host_;
};

}  // namespace dep
