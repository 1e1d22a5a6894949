#pragma once
// The purge routines of the main window, written against its host interface so that the
// window, the console and the tests run the same code.
#include <functional>
#include <string>

#include "common/trampa.hpp"
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

    // The clock of the run's times (the local time of day by default); tests fix it.
    void FijarReloj(std::function<Fecha()> reloj) { reloj_ = std::move(reloj); }
    // The local date and time now.
    static Fecha Ahora();

  private:
    // The trap of the stock purge and the consolidation: enters the trap, sets HayError and
    // asks the error dialog.
    Trampa TrampaDialogo();
    std::string HoraActual() const;

    Servicios& s_;
    AnfitrionCorrida& host_;
    std::function<Fecha()> reloj_;
};

}  // namespace dep
