#include "app/consola/resumenes.hpp"

#include "purge/informe.hpp"
#include "purge/vista_previa.hpp"

namespace dep::consola {

int ImprimirVistaPrevia(Servicios& s, const std::string& hasta, bool stock, bool asientos, bool temporales,
                        bool json, std::ostream& out, std::ostream& err) {
    try {
        const VistaPrevia v = CalcularVistaPrevia(s, hasta, stock, asientos, temporales);
        out << (json ? JsonVistaPrevia(v) : TextoVistaPrevia(v)) << std::flush;
        return 0;
    } catch (const std::exception& e) {
        err << "No se pudo calcular la vista previa: " << e.what() << "\n";
        return 3;
    }
}

void ImprimirInforme(const Diario& d, bool json, bool errorEnLaCorrida, std::ostream& out) {
    Informe i = ArmarInforme(d);
    i.errorEnLaCorrida = errorEnLaCorrida;
    out << (json ? JsonInforme(i) : TextoInforme(i)) << std::flush;
}

}  // namespace dep::consola
