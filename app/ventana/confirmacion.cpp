#include "app/ventana/confirmacion.hpp"

#include "purge/depuracion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Asientos(const VistaPrevia& v) {
    long long asientos = 0;
    std::string desde, hasta, porPasada, motivos;
    for (const auto& p : v.pasadas) {
        if (!p.correria) {
            motivos += (motivos.empty() ? "" : "; ") + p.tipo + ": " + p.motivo;
            continue;
        }
        asientos += p.asientos + p.cierres;
        if (desde.empty()) desde = p.primeraFecha;  // the passes walk from the same earliest date
        hasta = p.ultimaFecha;
        porPasada += (porPasada.empty() ? "" : ", ") + p.tipo + " " + TextoEntero(p.asientos + p.cierres);
    }
    if (!v.fechasAsientos.empty() || !v.importesAsientos.empty())
        return "no se consolidará nada: " + v.fechasAsientos + v.importesAsientos;
    std::string r = asientos == 0 ? "no hay asientos que consolidar"
                                  : "se consolidarán " + TextoEntero(asientos) + " asientos, fechados del " +
                                        desde + " al " + hasta + " (" + porPasada + ")";
    return motivos.empty() ? r : r + "; sin consolidar: " + motivos;
}

}  // namespace

std::string TextoConfirmacion(const VistaPrevia& v, const std::string& ultima,
                              const std::optional<std::string>& copia, const std::string& aviso) {
    std::string t = "¿Desea depurar los datos hasta el " + v.hasta + " inclusive?\n\n";
    const std::string guardada = Recortar(ultima);
    t += "Última depuración grabada: " + (guardada.empty() ? std::string("ninguna") : guardada) + "\n";
    const auto corte = LeerFechaCorte(v.hasta);
    const auto anterior = LeerFechaCorte(guardada);
    if (corte && anterior && corte->SoloDia() < anterior->SoloDia())
        t += "ATENCIÓN: la fecha de corte es anterior a la última depuración grabada.\n";
    if (!v.corridaEnCurso.empty())
        t += "ATENCIÓN: hay una depuración en curso en esta base de datos (" + v.corridaEnCurso +
             "): esta corrida será rechazada.\n";
    std::string marcadas;
    for (const auto& [m, nombre] : {std::pair{v.stock, "Movimientos de Stock, ventas, compras"},
                                    {v.asientos, "Asientos"},
                                    {v.temporales, "Temporales e historial cambio de precios"}})
        if (m) marcadas += (marcadas.empty() ? "" : "; ") + std::string(nombre);
    t += "Purgas marcadas: " + (marcadas.empty() ? std::string("ninguna") : marcadas) + "\n";
    if (!aviso.empty()) {
        t += "No se pudo calcular qué se depuraría: " + aviso + "\n";
    } else {
        if (v.asientos) t += "Asientos: " + Asientos(v) + "\n";
        if (v.stock) t += "Movimientos de stock: los borra el procedimiento de la base de datos\n";
        if (v.temporales) {
            long long n = 0;
            for (const auto* l : {&v.trabajo, &v.historial})
                for (const auto& c : *l) n += c.filas;
            t += "Temporales e historial: se borrarán " + TextoEntero(n) + " filas\n";
        }
    }
    t += "Copia de seguridad: " +
         (!copia ? std::string("no se hará")
                 : "sí, " + (copia->empty() ? std::string("junto a la base de datos") : "en " + *copia)) +
         "\n\n";
    t += "Lo que se depura no se puede deshacer" + std::string(copia ? "." : " sin una copia de seguridad.");
    return t;
}

}  // namespace dep
