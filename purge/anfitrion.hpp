#pragma once
// What the purges need of the window that runs them: the date field, the two flags, the
// progress picture, the footer line and the message loop. The Qt window, the console and the
// tests implement it.
#include <functional>
#include <string>

#include "common/barra_progreso.hpp"

namespace dep {

class Anfitrion {
  public:
    virtual ~Anfitrion() = default;
    virtual std::string TextoFecha() const = 0;  // text of txtFields(0), as typed
    virtual bool Cancelado() const = 0;
    virtual void FijarCancelado(bool b) = 0;
    virtual bool HayError() const = 0;
    virtual void FijarHayError(bool b) = 0;
    virtual Imagen& PicMsg() = 0;
    virtual void Pie(const std::string& texto) = 0;  // caption of LBLPIE
    virtual void ProcesarEventos() = 0;              // let the window process pending events
    // A consolidation pass begins: "CC" (first) or "FP" (second). The window names it.
    virtual void AvisarPasada(const std::string& tipo) { (void)tipo; }
    // Runs a long call that cannot yield (the stock procedure, the backup, the compaction),
    // named `paso` for the operator; `interrumpible`: the call itself reads the cancel request.
    // A window keeps repainting while it runs and answers a cancel or a close at once, acting on
    // them when the call returns; the default just runs it.
    virtual void EsperarSinEntrada(const std::function<void()>& trabajo, const std::string& paso,
                                   bool interrumpible) {
        (void)paso;
        (void)interrumpible;
        trabajo();
    }
    // Whether the operator asked to cancel since the last ProcesarEventos (a console's Ctrl-C),
    // read without serving anything: the engine asks it from inside a step of its own.
    virtual bool CancelacionPedida() const { return false; }
};

// The boxes of the purges, ChkStock(0..2), in the order a run takes them.
enum CasillaPurga : int {
    kCasillaStock = 0,
    kCasillaAsientos = 1,
    kCasillaTemporales = 2,
    kCasillasPurga = 3
};

// The labels of the times, Label2(0..3): the start time, the elapsed time, "Final:" with the end
// time, and the caption "Inicio:" shown before the start time.
enum RotuloHora : int {
    kRotuloInicio = 0,
    kRotuloTranscurrido = 1,
    kRotuloFinal = 2,
    kRotuloTituloInicio = 3,
    kRotulosHora = 4
};

// The run driver's side of the window: which boxes are ticked and the labels of the times.
class AnfitrionCorrida : public Anfitrion {
  public:
    virtual bool Casilla(CasillaPurga c) const = 0;
    virtual void Etiqueta(RotuloHora r, const std::string& texto) = 0;
    virtual std::string Etiqueta(RotuloHora r) const = 0;
    virtual void IntervaloTemporizador(int ms) = 0;                 // Timer1.Interval
    virtual void TextoBotonCancelar(const std::string& texto) = 0;  // CmdCancelar.Caption
};

}  // namespace dep
