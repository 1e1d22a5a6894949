#pragma once
// Whether a consolidation pass runs, under which summary voucher key, and from which date to which
// its walk goes. The run and the preview feed it the same facts in the same order (the run reads
// them live, step by step; the preview reads them without locks and reckons what the passes before
// would have left), so both decide alike and say it in the same words.
#include <optional>
#include <string>

#include "purge/pasada_en_curso.hpp"
#include "runtime/value.hpp"

namespace dep {

// Why a pass does not run; any of them stops the consolidation there, later passes included.
enum class Impedimento {
    Ninguno,
    PasadaAnterior,           // an earlier pass stopped the consolidation
    FaltaTipo,                // the summary voucher type is not in V_TA_CPTE
    Sucursal,                 // the talonario gave no four-character branch
    SinNumero,                // the branch's summary vouchers reached the last eight-digit number
    ClaveOcupada,             // the key after the greatest number already has rows (numbers of another form)
    Recuperacion,             // a dead run's record that cannot be trusted
    SinAsientos,              // MV_ASIENTOS is empty
    SinAsientosHastaLaFecha,  // every entry is after the cut-off date
};

class DecisionPasada {
  public:
    DecisionPasada() = default;
    explicit DecisionPasada(std::string tipo) : tipo_(std::move(tipo)) {}
    static DecisionPasada TrasUnaDetenida(std::string tipo);

    // The facts, in the order the run learns them. Each returns whether the pass goes on.
    bool ConTipo(bool existe);                      // the type is in V_TA_CPTE
    bool ConSucursal(const std::string& sucursal);  // the talonario's branch
    bool ConSiguienteNumero(double numero);         // SiguienteNumeroResumen of the greatest one
    // Whether MV_ASIENTOS already holds rows of Clave(): the merge would add into them and the
    // re-dating move them, so the pass must not take it.
    bool ConClaveOcupada(bool ocupada);
    bool ConRecuperacion(const Recuperacion& plan);  // the dead run's record, when there is one
    // The earliest date the walk finds (none: the table is empty) and the cut-off date.
    bool ConPrimeraFecha(const std::optional<Fecha>& primera, const Fecha& corte);

    Impedimento impedimento() const { return impedimento_; }
    // The key the pass takes (branch, number, letter); empty when it takes none.
    const std::string& Clave() const { return clave_; }
    const Fecha& Primera() const { return primera_; }  // the walk's first and last dates
    const Fecha& Ultima() const { return ultima_; }

    std::string Motivo() const;           // why not, in the preview's words
    std::string TextoDiario() const;      // why not, as the journal records it
    const char* ResultadoDiario() const;  // resultado::kOmitida or kNoEjecutada
    std::string MensajeOperador() const;  // the run's dialog; empty: none
    bool Grave() const;                   // the run reports it as an error

  private:
    bool Impedir(Impedimento i);

    std::string tipo_;
    Impedimento impedimento_ = Impedimento::Ninguno;
    std::string sucursal_;
    std::string motivoRecuperacion_;
    std::string clave_;
    std::string ocupada_;  // the key that was already taken
    Fecha primera_, ultima_;
};

}  // namespace dep
