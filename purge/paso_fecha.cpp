// One walk date of the consolidation: in one transaction with the triggers off, every group of
// entries up to the date is merged into the summary voucher and the detail is deleted.
#include "common/barra_progreso.hpp"
#include "purge/consolidacion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

bool Consolidacion::PasoFecha() {
    const std::string fecha = TextoFecha(fecha_);
    fusionado_ = false;
    bool fallo = false;
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] { Cn().Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL"); })) return false;

    Recordset rs;
    if (!Paso([&] {
            s_.datos.AbrirRecordset(
                "SELECT  CUENTA, [DEBE-HABER], SUM(IMPORTE) AS IMPORTE, MONEDA, COTIZACION, "
                "NroComprobanteBancario, "
                "TIPO_REG, IdCajas, UNEGOCIO, 'Depuracion' AS detalle From dbo.MV_ASIENTOS Where (EsCierre = "
                "0) And "
                "(ES_SALDO_APERTURA = 0) and Fecha <= '" +
                    fecha + "'" + filtro_ +
                    " GROUP BY CUENTA, [DEBE-HABER], MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, "
                    "IdCajas, "
                    "UNEGOCIO",
                rs);
        }))
        return false;

    bool vacio = true;
    if (!Paso([&] { vacio = rs.EOF(); })) return false;
    if (!vacio) {
        long cuenta = 0;
        if (!Paso([&] {
                rs.MoveFirst();
                cuenta = rs.RecordCount();
            }))
            return false;
        while (!fallo && !rs.EOF()) {
            host_.ProcesarEventos();
            if (!Paso([&] {
                    const std::string m = CondicionFusion(rs, ctx_, s_.formularios);
                    s_.datos.Ejecutar(LoteFusion(rs, ctx_, m, s_.datos, s_.formularios));
                    if (!Cn().Errors().empty()) {
                        fallo = true;
                        if (primerError_.empty()) primerError_ = Cn().Errors()[0].descripcion;
                    }
                }))
                return false;
            if (fallo) break;
            ++ctx_.secuencia;
            fusionado_ = true;
            if (!Paso([&] {
                    const long pos = rs.AbsolutePosition();
                    BarraProgreso(host_.PicMsg(), Value(pos * 100.0 / cuenta), 255,
                                  " ASIENTOS Leidos: " + TextoEntero(pos) + " DE " + TextoEntero(cuenta) +
                                      " Fecha: " + fecha);
                }))
                return false;
            host_.ProcesarEventos();
            Salida s = trampa_.Paso([&] { rs.MoveNext(); });
            if (s == Salida::Abandonar) {
                Restablecer();
                return false;
            }
            // A cursor that cannot move would repeat the same group forever.
            if (s == Salida::Siguiente) break;
        }
        if (!fallo && fusionado_) {
            host_.ProcesarEventos();
            if (!Paso([&] {
                    BarraProgreso(host_.PicMsg(), Value(100), 255,
                                  " ASIENTOS  Leidos: " + TextoEntero(cuenta) + " DE " + TextoEntero(cuenta) +
                                      " Fecha: " + fecha + " Eliminando...Espere ");
                }))
                return false;
            if (!Paso([&] {
                    s_.datos.Ejecutar("Delete MV_ASIENTOS where fecha <= '" + fecha + "'" + filtro_);
                    if (!Cn().Errors().empty()) {
                        fallo = true;
                        if (primerError_.empty()) primerError_ = Cn().Errors()[0].descripcion;
                    }
                }))
                return false;
        }
    }
    if (!Paso([&] { s_.datos.CerrarRecordset(rs); })) return false;

    if (!fallo) {
        if (!Paso([&] { Cn().Execute("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL"); })) return false;
        if (!Paso([&] { Cn().CommitTrans(); })) return false;
        if (fusionado_) ultimaBorrada_ = fecha_;
        host_.ProcesarEventos();
    } else {
        if (!Paso([&] { Cn().Execute("ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL"); })) return false;
        if (!Paso([&] { Cn().RollbackTrans(); })) return false;
        deshechas_.push_back(fecha_);
    }
    fecha_ = fecha_.SumarDias(1);
    return Paso([&] { host_.Pie("Procesando la fecha: " + TextoFecha(fecha_)); });
}

}  // namespace dep
