#pragma once
// What a call raises, for checks that read one part of it.
#include <functional>
#include <string>

#include "runtime/falla.hpp"

namespace dep::prueba {

// The number of the Falla a call raises, 0 when it raises none.
inline long NumeroDeFalla(const std::function<void()>& f) {
    try {
        f();
    } catch (const Falla& e) {
        return e.Numero();
    }
    return 0;
}

// The description of the Falla a call raises, "<sin falla>" when it raises none.
inline std::string DescripcionDeFalla(const std::function<void()>& f) {
    try {
        f();
    } catch (const Falla& e) {
        return e.Descripcion();
    }
    return "<sin falla>";
}

}  // namespace dep::prueba
