#pragma once
// The accounting consolidation behind Depuracion::DepuraAsientos: two passes, each walking the
// dates from the earliest entry up to the cut-off date, one transaction per date.
#include <optional>
#include <string>
#include <vector>

#include "common/trampa.hpp"
#include "purge/anfitrion.hpp"
#include "purge/fusion.hpp"
#include "runtime/servicios.hpp"

namespace dep {

// A date read from a record set or a typed text (Falla 13 when it is none).
Fecha FechaDeValor(const Value& v);

struct DefPasada {
    const char* filtro;  // voucher-type filter appended to the statements
    const char* tipo;    // summary voucher type
};

class Consolidacion {
  public:
    Consolidacion(Servicios& s, Anfitrion& host, Trampa trampa)
        : s_(s), host_(host), trampa_(std::move(trampa)) {}
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
    bool Recorrer();                  // the date walk; false: the call ends
    bool PasoFecha();                 // one walk date; false: the call ends
    bool RefecharVarados();           // an interrupted run's summary vouchers; false: the call ends
    // Moves the rows that `donde` finds to the cut-off date; a refusal names them as `que`.
    bool Refechar(const std::string& donde, const std::string& que);  // false: the call ends
    void InformarFechasDeshechas();
    void Anotar(const std::string& mensaje);
    Conexion& Cn() { return s_.datos.Conexion_(); }
    std::string Clave(std::size_t desde, std::size_t largo) const;
    // The condition on the key of a summary voucher of the pass.
    std::string DondeComprobante(const std::string& sucursal, const std::string& numero) const;

    Servicios& s_;
    Anfitrion& host_;
    Trampa trampa_;

    // State of the current pass.
    std::string filtro_;
    ContextoFusion ctx_;
    Fecha corte_;
    Fecha fecha_;  // the walk date
    bool fusionado_ = false;
    std::vector<Fecha> deshechas_;        // walk dates whose transaction was rolled back
    std::string primerError_;             // first refusal of the pass
    std::optional<Fecha> ultimaBorrada_;  // last walk date whose delete committed
};

}  // namespace dep
