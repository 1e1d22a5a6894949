#pragma once
// The purge routines of the main window, written against its host interface so that the
// window, the console and the tests run the same code.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/trampa.hpp"
#include "purge/anfitrion.hpp"
#include "runtime/servicios.hpp"

namespace dep {

class Diario;
struct UnidadDiario;
enum class Purga;

// The cut-off date as typed, when it is a date whose next day (the summary vouchers' date) every
// engine can hold: the server's datetime runs from 01/01/1753 to 31/12/9999. The run, the
// preview and the window all ask this before anything is read or written.
std::optional<Fecha> LeerFechaCorte(const std::string& texto);
// The cut-off date as the run's statements and the stored last purge date carry it: day/month/
// four-digit year, "" when LeerFechaCorte refuses it. A server reads "31/12/45" as 2045 and
// "2021-03-01" as 3 January, where LeerFechaCorte read 1945 and 1 March.
std::string TextoFechaCorte(const std::string& texto);
// What the window and the console say of a text that is no usable cut-off date.
inline constexpr const char* kFechaIncorrecta = "Fecha incorrecta";
// Why the typed cut-off date cannot be used, "" when it can: "Fecha incorrecta" for what
// LeerFechaCorte does not read, and a day after `hoy` by name: a mistyped year (2202 for 2022)
// would consolidate every entry and empty the stock at once.
std::string RechazoFechaCorte(const std::string& texto, const Fecha& hoy);
// Why a text LeerFechaCorte refuses is no usable date, in the operator's words: empty, not
// written as a date, a day that does not exist, or out of the range the engines hold.
std::string PorQueFechaIncorrecta(const std::string& texto);

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

    // The run lock, or null after telling the operator (and the recorder, for `purgas`) who
    // holds it. The purge run takes it itself; the applications control is taken by its caller.
    std::unique_ptr<CandadoCorrida> TomarCandado(const Purga* purgas, std::size_t n);

    void CmdCancelar_Click();  // sets Cancelado, caption "CANCELANDO Espere..."
    void Timer1_Timer();       // "Actual: ... Transcurrido: ..."

    // A backup of the database before the run writes anything, in `carpeta` ("" : the engine's
    // default place, beside the database file); nothing: no backup.
    void FijarCopia(std::optional<std::string> carpeta) { copia_ = std::move(carpeta); }
    // Whether a run that was not cancelled gives the freed space back to the file system at its
    // end (the default).
    void FijarCompactar(bool b) { compactar_ = b; }
    // The outcome recorder the purges report to (null: nothing is recorded).
    void FijarDiario(Diario* d) { diario_ = d; }
    // Records a unit of work, a purge that did not run or something left behind.
    void Registrar(UnidadDiario u) const;
    void RegistrarPurga(Purga purga, const std::string& resultado, const std::string& motivo) const;
    void RegistrarPendiente(Purga purga, const std::string& que) const;
    Fecha AhoraDiario() const;
    // The last failure an error trap of this run met, for the report.
    const std::string& UltimaFalla() const { return ultimaFalla_; }

    // The clock of the run's times (the local time of day by default); tests fix it.
    void FijarReloj(std::function<Fecha()> reloj) { reloj_ = std::move(reloj); }
    // The local date and time now.
    static Fecha Ahora();

  private:
    // The trap of the stock purge and the consolidation: enters the trap, sets HayError and
    // asks the error dialog.
    Trampa TrampaDialogo();
    std::string HoraActual() const;

    // Rolls back whatever transaction a failure left open, so the next purge starts clean.
    void CerrarTransaccionPendiente();
    // The backup asked for; false when it could not be made (the operator was told).
    bool HacerCopia(const Purga* purgas, std::size_t n);
    void Compactar();
    // For the engine's own long steps (backup, compaction): true once the operator asked to cancel.
    SeCancela SeCancelaLaCorrida();

    Servicios& s_;
    AnfitrionCorrida& host_;
    std::function<Fecha()> reloj_;
    Diario* diario_ = nullptr;
    std::optional<std::string> copia_;
    bool compactar_ = true;
    long long espacioAntes_ = -1;  // of the purged tables, where the engine does not compact
    std::string ultimaFalla_;
};

}  // namespace dep
