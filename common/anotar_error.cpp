// A line of the error log written without a dialog.
#include <ctime>
#include <fstream>

#include "common/trata_error.hpp"
#include "runtime/conversions.hpp"

namespace dep {

void AnotarError(const std::string& rutina, const std::string& mensaje) noexcept {
    try {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        char cuando[32];
        std::strftime(cuando, sizeof cuando, "%m-%d-%Y %H:%M:%S", &tm);
        std::ofstream log(CarpetaRegistro() + "KSERR.LOG", std::ios::app | std::ios::binary);
        if (!log) return;
        log << cuando << " Rutina: " << Recortar(rutina.empty() ? "" : "- " + rutina) << " Mensaje "
            << Recortar(mensaje) << " Respondió : "
            << "\n";
    } catch (...) {
        // The line is a courtesy beside what the operator is told: one that cannot be written is lost.
    }
}

}  // namespace dep
