// The error log's file and line, and a line written without a dialog.
#include "common/trata_error.hpp"
#include "runtime/conversions.hpp"

namespace dep {

ArchivoAbierto AbrirRegistroErrores(const std::string& carpeta) {
    // The suite's programs share the log: a new one gets the rights the umask leaves, as theirs do.
    std::string motivo;
    return AbrirArchivoAcotado(carpeta + "KSERR.LOG", Apertura::kAnadir, Propios(0666), motivo);
}

std::string LineaRegistroErrores(const std::string& rutina, const std::string& mensaje,
                                 const std::string& respuesta) {
    return HoraLocal("%m-%d-%Y %H:%M:%S") + " Rutina: " + Recortar(rutina) + " Mensaje " + Recortar(mensaje) +
           " Respondió : " + respuesta + "\n";
}

void AnotarError(const std::string& rutina, const std::string& mensaje) noexcept {
    try {
        const std::string linea = LineaRegistroErrores(rutina.empty() ? "" : "- " + rutina, mensaje, "");
        if (ArchivoAbierto log = AbrirRegistroErrores(CarpetaRegistro())) log.Escribir(linea);
    } catch (...) {
        // The line is a courtesy beside what the operator is told: one that cannot be written is lost.
    }
}

}  // namespace dep
