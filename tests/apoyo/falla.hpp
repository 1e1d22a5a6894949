#pragma once
// The number of the Falla a call raises, 0 when it raises none.
#include <functional>

#include "runtime/falla.hpp"

namespace dep::prueba {

inline long NumeroDeFalla(const std::function<void()>& f) {
    try {
        f();
    } catch (const Falla& e) {
        return e.Numero();
    }
    return 0;
}

}  // namespace dep::prueba
