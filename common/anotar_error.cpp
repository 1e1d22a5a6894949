// A line of the error log written without a dialog.
#include <fstream>

#include "common/trata_error.hpp"
#include "runtime/conversions.hpp"
#include "runtime/plataforma/rutas.hpp"

namespace dep {

void AnotarError(const std::string& rutina, const std::string& mensaje) noexcept {
    try {
        const std::string cuando = HoraLocal("%m-%d-%Y %H:%M:%S");
        std::ofstream log(Ruta(CarpetaRegistro() + "KSERR.LOG"), std::ios::app | std::ios::binary);
        if (!log) return;
        log << cuando << " Rutina: " << Recortar(rutina.empty() ? "" : "- " + rutina) << " Mensaje "
            << Recortar(mensaje) << " Respondió : "
            << "\n";
    } catch (...) {
        // The line is a courtesy beside what the operator is told: one that cannot be written is lost.
    }
}

}  // namespace dep
