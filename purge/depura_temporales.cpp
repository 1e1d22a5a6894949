// Empties the work tables and deletes old transmission-log and price-history rows.
#include "common/barra_progreso.hpp"
#include "purge/depuracion.hpp"
#include "purge/diario.hpp"
#include "purge/fechas_validas.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// A delete by date goes only where the column holds dates (null: the check itself was refused).
std::optional<FechasNoValidas> Comprobar(DataServices& d, const std::string& tabla, std::string& error) {
    try {
        return BuscarFechasNoValidas(d, tabla);
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

}  // namespace

void Depuracion::DepuraTemporales() {
    if (host_.Cancelado()) return;
    // Resume-next: a missing table or a refused statement is skipped and the rest still run.
    const Trampa t = Trampa::SeguirSiempre();
    auto ejecutar = [&](const std::string& sql, const std::string& unidad) {
        UnidadDiario u(Purga::Temporales, TipoUnidad::Sentencia, unidad);
        u.inicio = AhoraDiario();
        t.Paso([&] {
            const Ejecucion e = s_.datos.Ejecutar(sql);
            u.filas = e.filas;
            u.resultado = e.Hecha() ? resultado::kOk : resultado::kRechazada;
            u.error = e.Error();
        });
        if (u.resultado.empty()) u.resultado = resultado::kRechazada;
        u.fin = AhoraDiario();
        Registrar(u);
    };
    t.Paso([&] { host_.PicMsg().Mostrar(); });
    t.Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, " Depurando temporales"); });
    for (const std::string& tabla : TablasTemporales())
        ejecutar("TRUNCATE TABLE " + tabla, "TRUNCATE TABLE " + tabla);
    const std::string fecha = DoblarComillas(host_.TextoFecha());
    for (const std::string& tabla : TablasHistorial()) {
        const std::string unidad = std::string("DELETE ") + tabla;
        std::string error;
        const auto f = Comprobar(s_.datos, tabla, error);
        if (f && f->cantidad == 0) {
            ejecutar(unidad + " WHERE FECHA <= '" + fecha + "'", unidad);
            continue;
        }
        UnidadDiario u(Purga::Temporales, TipoUnidad::Sentencia, unidad);
        u.inicio = u.fin = AhoraDiario();
        u.resultado = resultado::kNoEjecutada;
        if (f) {
            // Deleting by date where the column holds other things would take the wrong rows.
            u.error = DescribirFechasNoValidas(tabla, *f) + ": NO SE BORRARON SUS FILAS HASTA EL " +
                      host_.TextoFecha() + ". CORRIJA ESAS FILAS Y VUELVA A DEPURAR.";
            host_.FijarHayError(true);
            t.Paso([&] { s_.operador.Mensaje(u.error, vb::kSoloAceptar | vb::kCritico); });
        } else {
            // As for a missing table: nothing is shown, the report says why.
            u.error = "no se pudieron comprobar las fechas: " + error;
        }
        Registrar(u);
    }
    t.Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, " Finalizado Temporales"); });
}

}  // namespace dep
