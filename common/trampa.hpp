#pragma once
// The error trap of a routine, written as steps: a failing step is shown to whoever answers for
// the routine; "Reintentar" runs the step again, "Ignorar" goes on with the next one, any other
// answer leaves.
#include <exception>
#include <functional>
#include <initializer_list>
#include <new>

#include "runtime/falla.hpp"
#include "runtime/operador.hpp"

namespace dep {

enum class Salida { Hecho, Siguiente, Abandonar };

class Trampa {
  public:
    // The answer of an error dialog (vb::kReintentar, vb::kIgnorar, ...).
    using Respuesta = std::function<int(const Falla&)>;
    explicit Trampa(Respuesta r) : respuesta_(std::move(r)) {}
    // Resume-next: every failing step is skipped silently.
    static Trampa SeguirSiempre() {
        return Trampa([](const Falla&) { return vb::kIgnorar; });
    }

    // Runs one step under the trap. Hecho when it ran, Siguiente when it failed and the answer
    // was "Ignorar", Abandonar when the answer was neither "Reintentar" nor "Ignorar".
    template <class F>
    Salida Paso(F&& f) const {
        for (;;) {
            int r = vb::kReintentar;
            try {
                f();
                return Salida::Hecho;
            } catch (const Falla& e) {
                r = respuesta_(e);
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& e) {
                // Not a failure of the platform's own: shown as an invalid call.
                r = respuesta_(Falla(err::kLlamadaInvalida, e.what()));
            }
            if (r != vb::kReintentar) return r == vb::kIgnorar ? Salida::Siguiente : Salida::Abandonar;
        }
    }

    // Runs the steps in order; false when an answer left the routine.
    bool Pasos(std::initializer_list<std::function<void()>> pasos) const {
        for (const auto& p : pasos)
            if (Paso(p) == Salida::Abandonar) return false;
        return true;
    }

  private:
    Respuesta respuesta_;
};

}  // namespace dep
