// Empties the work tables and deletes old transmission-log and price-history rows.
#include "common/barra_progreso.hpp"
#include "purge/depuracion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

void Depuracion::DepuraTemporales() {
    if (host_.Cancelado()) return;
    static const char* const kTablas[] = {
        "AUX_MAYORES", "AUX_ANEXOA",           "AUX_EstadisticaCta",
        "Aux_MV_Cpte", "AUX_SALDOSMENSUALES",  "AUX_SUBDIARIOS",
        "AUX_TMP",     "AUX_TOTALES_DET",      "AUX_BORRADOR_PRECIOS",
        "AUX_ERR",     "AUX_MV_APLICACION_TR",
    };
    // Resume-next: a missing table or a refused statement is skipped and the rest still run.
    const Trampa t = Trampa::SeguirSiempre();
    t.Paso([&] { host_.PicMsg().Mostrar(); });
    t.Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, " Depurando temporales"); });
    for (const char* tabla : kTablas)
        t.Paso([&] { s_.datos.Ejecutar(std::string("TRUNCATE TABLE ") + tabla); });
    const std::string fecha = DoblarComillas(host_.TextoFecha());
    t.Paso([&] { s_.datos.Ejecutar("DELETE MV_TRANSMISIONESLOG WHERE FECHA <= '" + fecha + "'"); });
    t.Paso([&] { s_.datos.Ejecutar("DELETE V_MV_PRECIOSHIS WHERE FECHA <= '" + fecha + "'"); });
    t.Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, " Finalizado Temporales"); });
}

}  // namespace dep
