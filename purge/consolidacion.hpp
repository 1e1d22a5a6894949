#pragma once
// The accounting consolidation behind Depuracion::DepuraAsientos: two passes, each walking the
// dates from the earliest entry up to the cut-off date, one transaction per date.
#include <optional>
#include <string>
#include <vector>

#include "common/trampa.hpp"
#include "purge/anfitrion.hpp"
#include "purge/decision_pasada.hpp"
#include "purge/diario.hpp"
#include "purge/fusion.hpp"
#include "purge/pasadas.hpp"
#include "purge/verificacion.hpp"
#include "runtime/servicios.hpp"

namespace dep {

// A date read from a record set or a typed text (Falla 13 when it is none).
Fecha FechaDeValor(const Value& v);

class Depuracion;

// An amount added up in exact cents; `valido` false once a value was no finite amount.
struct Centavos {
    long long centavos = 0;
    bool valido = true;
};

// What one consolidation pass knows: each pass starts from a fresh one, so nothing of the pass
// before can leak into it.
struct EstadoPasada {
    std::string filtro_;
    DecisionPasada decision_;  // whether the pass runs, its key and its walk dates
    ContextoFusion ctx_;
    Fecha fecha_;  // the walk date
    bool fusionado_ = false;
    bool sinRestos_ = false;  // the last walk date committed and left no ordinary entry up to it
    std::optional<std::vector<Fecha>> fechasConAsientos_;  // sorted, read at the pass's first skip
    std::vector<Fecha> deshechas_;                         // walk dates whose transaction was rolled back
    std::string primerError_;                              // first refusal of the pass
    std::optional<Fecha> ultimaBorrada_;                   // last walk date whose delete committed
    bool enCurso_ = false;                 // the pass's record is written and its voucher not re-dated
    bool refechado_ = false;               // the pass's own voucher stands on the cut-off date
    std::optional<SumasPorClave> libros_;  // the family's sums before the walk
    std::string sinLibros_;                // why they could not be taken
    long long filasAntes_ = -1;            // family rows up to the cut-off before the walk
    long long borradasPasada_ = 0;         // rows the pass's committed dates deleted
    bool registrada_ = false;              // the pass's record is in TA_CONFIGURACION
    bool detenida_ = false;                // a walk date's delete did not match its merges
};

class Consolidacion : private EstadoPasada {
  public:
    // `d` records the units of work and the outcome.
    Consolidacion(Servicios& s, Anfitrion& host, Trampa trampa, const Depuracion& d)
        : s_(s), host_(host), trampa_(std::move(trampa)), d_(d) {}
    void Correr();

  private:
    // Runs one step under the trap; false when the answer leaves the routine (after putting the
    // table back: no transaction left open, triggers enabled).
    template <class F>
    bool Paso(F&& f) {
        if (trampa_.Paso(std::forward<F>(f)) != Salida::Abandonar) return true;
        Restablecer();
        return false;
    }
    void Restablecer();
    bool Pasada(const DefPasada& p);  // false: the call ends
    bool Preparar();                  // the summary voucher of the pass; false: the call ends
    bool Impedida();                  // says why decision_ stops the pass; false
    bool Recorrer();                  // the date walk; false: the call ends
    bool PasoFecha();                 // one walk date; false: the call ends
    // After a walk date that left no ordinary entry of the pass up to it, the walk goes on at the
    // first date whose grouping has a row (or past the cut-off date): the dates between would merge
    // and delete nothing. False: the call ends.
    bool SaltarFechasVacias(const Fecha& anterior);
    bool FechasLegibles();         // MV_ASIENTOS.FECHA holds dates only; false: the call ends
    bool ImportesLegibles();       // the amounts to fold keep their cents; false: the call ends
    bool RecuperarInterrumpida();  // the recorded pass a dead run left; false: the call ends
    bool GrabarEnCurso();          // the record of this pass, before its walk; false: call ends
    // Moves the rows `donde` of the summary voucher `clave` (standing on `dia`) to `corte` and
    // removes the pass's record in the same transaction; a refusal names them as `que`. False: the
    // call ends.
    bool Refechar(const std::string& donde, const std::string& corte, const std::string& dia,
                  const std::string& que, bool propio, const std::string& clave);
    // What the rows `donde` add to the proof's range (the family up to the cut-off date); after a
    // recovery moved them, what they add then less `antes` joins the proof's "before". A failed
    // read leaves the pass unproved.
    std::optional<Aporte> AporteAlCorte(const std::string& donde);
    void Recuperados(const std::string& donde, const std::optional<Aporte>& antes);
    // Inside a walk date's transaction, before its delete: what the delete takes of the ordinary
    // entries (any row not marked as a closing or opening one) equals what the date merged.
    bool CuadraBorrado(const std::string& fecha, const Centavos& fusionado, std::string& error);
    void Registrar(UnidadDiario u) const;
    // The trigger statements and the ends of the transactions they run in, keeping track of
    // whether the table's triggers are off for good (the trap may go past a refused ENABLE).
    // The switch of MV_ASIENTOS's triggers: each sends its statement and keeps the state it leaves
    // (in the open transaction, and as committed). `alCerrar`: the statement as a walk date's
    // commit and the consolidation's end write it.
    void ApagarDisparadores();
    void EncenderDisparadores(bool alCerrar = false);
    void Confirmar();
    void Deshacer();
    void AvisarDisparadores();
    // The proof of the pass's books: the sums before its walk, and the comparison after its
    // re-dating, recorded as a unit of its own.
    void TomarLibros();
    void Verificar();
    void InformarFechasDeshechas();
    void Anotar(const std::string& mensaje);
    Conexion& Cn() { return s_.datos.Conexion_(); }

    Servicios& s_;
    Anfitrion& host_;
    Trampa trampa_;
    const Depuracion& d_;

    Fecha corte_;
    std::optional<UnidadDiario> fechaAbierta_;  // the walk date whose transaction is open
    bool apagadosTx_ = false;                   // triggers off in the open transaction
    bool apagados_ = false;                     // triggers off as committed
    bool canceladaRegistrada_ = false;          // the purge is recorded as cancelled (once per call)
};

}  // namespace dep
