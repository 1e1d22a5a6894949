#pragma once
// The run's outcome recorder and journal. The purges report each unit of work as it ends (a
// statement of the temporaries purge, the stock procedure, a walk date or the re-dating of a
// consolidation pass), each purge that did not run and why, and what a run left behind; the
// window, the console, the end-of-run report and the journal file all read it from here.
// Each record is also appended as one JSON object per line beside "KSERR.LOG"; a journal file
// that cannot be written is silently left behind.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/value.hpp"

namespace dep {

class Depuracion;

// What became of a unit of work, or of a purge as a whole.
namespace resultado {
inline constexpr const char* kOk = "ok";
inline constexpr const char* kRechazada = "rechazada";         // refused by the database, undone
inline constexpr const char* kOmitida = "omitida";             // not ticked, or nothing to do
inline constexpr const char* kCancelada = "cancelada";         // the operator cancelled the run
inline constexpr const char* kNoEjecutada = "no ejecutada";    // could not start: `error` says why
inline constexpr const char* kInterrumpida = "interrumpida";   // stopped by the error trap
inline constexpr const char* kPendiente = "pendiente";         // something left behind, `error` says what
inline constexpr const char* kDiferencias = "diferencias";     // the books of a pass do not balance
inline constexpr const char* kNoVerificado = "no verificado";  // the books of a pass could not be proved
inline constexpr const char* kConRechazos = "con rechazos";    // the report: a purge done with refusals
}  // namespace resultado

// What a record is about: one of the three purges, a step of the run's own, or the console's
// payment applications control.
enum class Purga { Stock, Asientos, Temporales, Copia, Compactacion, Aplicaciones };
inline constexpr Purga kTresPurgas[] = {Purga::Stock, Purga::Asientos, Purga::Temporales};
const char* NombrePurga(Purga p);  // its name in the journal and the JSON: "stock", "copia"...

// The kind of a unit of work.
enum class TipoUnidad {
    Sentencia,     // a statement ("TRUNCATE TABLE AUX_TMP", "EXEC KS_DEPURA_STOCK"): `unidad` says it
    Fecha,         // a consolidation walk date: `unidad` holds it
    Refechado,     // a pass's own summary voucher moved to its date
    Recuperado,    // a dead run's summary voucher moved by the recovery
    Verificacion,  // the proof of a pass's books
    Purga,         // the purge as a whole: did not start, stopped, or had nothing to do
    Pendiente,     // something the purge left behind
    Copia,         // the backup: `unidad` is its file
    Compactacion,
};

struct UnidadDiario {
    UnidadDiario(Purga p, TipoUnidad t, std::string texto = {})
        : purga(p), tipo(t), unidad(std::move(texto)) {}
    Purga purga;
    TipoUnidad tipo;
    std::string unidad;  // Sentencia, Fecha, Copia: what the unit was; the journal names the rest
    std::string pasada;  // consolidation: "CC" or "FP"
    Fecha inicio, fin;
    long long filas = 0;      // rows affected as the connection reported them (-1: unknown); the
                              // backup: its size in bytes (beyond 32 bits on Windows' long)
    long borradas = 0;        // walk date: of those, the entries deleted (the rest are merges)
    std::string resultado;    // one of resultado::k...
    std::string error;        // the refusal's text; why a purge did not run; what was left behind
    std::string comprobante;  // re-dating: the summary voucher key (13 characters)
    // The proof of a pass's books ("verificacion"): `filas` the keys compared, `resultado` "ok",
    // "diferencias" or "no verificado", `error` the first differing keys or why not proved.
    long long diferencia = 0;  // cents
    long long nuevas = 0;      // rows of the family up to the cut-off others added (<0: removed) meanwhile
    long long bytesAntes = -1, bytesDespues = -1;  // the compaction: the file's size
};

struct CorridaDiario {
    std::string hasta;
    bool stock = false, asientos = false, temporales = false;
    Fecha inicio, fin;
    bool cancelado = false;
    bool fechaGrabada = false;  // the cut-off date stored as the last purge date
};

class Diario {
  public:
    // `ruta` empty: CarpetaRegistro() + "DEPURACION.DIARIO.jsonl".
    explicit Diario(std::string ruta = {}, std::function<Fecha()> reloj = {});
    static std::string RutaPorDefecto();

    void Iniciar(const std::string& hasta, bool stock, bool asientos, bool temporales);
    void Unidad(UnidadDiario u);
    // A whole purge that did not start (or stopped, with `resultado` kInterrumpida), and why.
    void Estado(Purga purga, const std::string& resultado, const std::string& motivo);
    // Something the run left behind that the operator must know (kPendiente).
    void Pendiente(Purga purga, const std::string& que);
    // Records the purges that left no unit (not ticked, cancelled, nothing to do) and the run.
    void Terminar(bool cancelado);
    void FechaGrabada() { corrida_.fechaGrabada = true; }
    // The moment the run shows "Final:": its duration ends there, not when a message box that
    // follows is closed.
    void MarcarFinal() { final_ = Ahora(); }

    Fecha Ahora() const;
    const std::vector<UnidadDiario>& Unidades() const { return unidades_; }
    const CorridaDiario& Corrida() const { return corrida_; }
    const std::string& Ruta() const { return ruta_; }
    bool Escrito() const { return escrito_; }  // every record reached the file

    static std::string JsonUnidad(const UnidadDiario& u);
    static std::string TextoUnidad(const UnidadDiario& u);  // "unidad" as the journal writes it
    std::string JsonCorrida() const;

  private:
    void Anexar(const std::string& linea);
    std::string ruta_;
    std::function<Fecha()> reloj_;
    CorridaDiario corrida_;
    std::vector<UnidadDiario> unidades_;
    std::optional<Fecha> final_;
    bool escrito_ = true;
};

// For the length of a run: the purges of `d` report their units of work to `diario` (none
// attached: nothing is recorded), and are detached afterwards.
class DiarioEnCorrida {
  public:
    DiarioEnCorrida(Depuracion& d, Diario& diario);
    ~DiarioEnCorrida();
    DiarioEnCorrida(const DiarioEnCorrida&) = delete;
    DiarioEnCorrida& operator=(const DiarioEnCorrida&) = delete;

  private:
    Depuracion& d_;
};

// "yyyy-mm-ddThh:mm:ss".
std::string JsonHora(const Fecha& f);

}  // namespace dep
