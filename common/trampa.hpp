#pragma once
// The error trap of a routine, written as steps: a failing step is shown to whoever answers for
// the routine; 4 runs the step again, 5 goes on with the next one, anything else leaves.
#include <exception>
#include <functional>
#include <initializer_list>
#include <new>

#include "runtime/falla.hpp"

namespace dep {

enum class Salida { Hecho, Siguiente, Abandonar };

class Trampa {
  public:
    using Respuesta = std::function<int(const Falla&)>;
    explicit Trampa(Respuesta r) : respuesta_(std::move(r)) {}
    // Resume-next: every failing step is skipped silently.
    static Trampa SeguirSiempre() {
        return Trampa([](const Falla&) { return 5; });
    }

    // Runs one step under the trap. Hecho when it ran, Siguiente when it failed and the answer
    // was 5, Abandonar when the answer was anything but 4 or 5.
    template <class F>
    Salida Paso(F&& f) const {
        for (;;) {
            try {
                f();
                return Salida::Hecho;
            } catch (const Falla& e) {
                int r = respuesta_(e);
                if (r == 4) continue;
                return r == 5 ? Salida::Siguiente : Salida::Abandonar;
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& e) {
                int r = respuesta_(Falla(5, e.what()));
                if (r == 4) continue;
                return r == 5 ? Salida::Siguiente : Salida::Abandonar;
            }
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
