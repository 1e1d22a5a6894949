// One walk date of the consolidation: in one transaction with the triggers off, every group of
// entries up to the date is merged into the summary voucher and the detail is deleted.
#include <cmath>

#include "common/barra_progreso.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/pasada_en_curso.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// Exact cents of the merged group sums; a sum that is no finite amount can match nothing.
void SumarCentavos(const Value& v, Centavos& c) {
    const double x = v.EsNulo() || v.EsVacio() ? NAN : v.ANumero();
    if (!std::isfinite(x) || std::fabs(x) > 9e15 / 100) {
        c.valido = false;
        return;
    }
    c.centavos += std::llround(x * 100.0);
}

}  // namespace

bool Consolidacion::CuadraBorrado(const std::string& fecha, const Centavos& fusionado, std::string& error) {
    Recordset rs;
    s_.datos.AbrirRecordset(SqlImporteABorrar(fecha, filtro_), rs);
    Centavos borra;
    if (!rs.EOF() && !rs.Fields("IMPORTE").EsNulo()) SumarCentavos(rs.Fields("IMPORTE"), borra);
    s_.datos.CerrarRecordset(rs);
    if (fusionado.valido && borra.valido && fusionado.centavos == borra.centavos) return true;
    auto texto = [](const Centavos& c) { return c.valido ? TextoCentavos(c.centavos) : std::string("?"); };
    error = "LA FECHA " + fecha + " DE LA PASADA " + ctx_.tipo + " SE DESHIZO: SU BORRADO SE LLEVARIA " +
            texto(borra) + " DE ASIENTOS QUE NO SON DE CIERRE NI DE APERTURA, PERO SE CONSOLIDARON " +
            texto(fusionado) + ". LA CONSOLIDACION SE DETUVO SIN BORRAR NADA DE ESA FECHA.";
    return false;
}

bool Consolidacion::PasoFecha() {
    const std::string fecha = TextoFecha(fecha_);
    fusionado_ = false;
    sinRestos_ = false;
    bool agrupada = false, borrada = false, confirmada = false;
    bool fallo = false;
    std::string errorFecha;
    fechaAbierta_.emplace(Purga::Asientos, TipoUnidad::Fecha, fecha);
    fechaAbierta_->pasada = ctx_.tipo;
    fechaAbierta_->inicio = d_.AhoraDiario();
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] { ApagarDisparadores(); })) return false;

    Recordset rs;
    if (!Paso([&] {
            s_.datos.AbrirRecordset(SqlAgrupacion(CondicionAgrupacion(HastaFecha(fecha), filtro_), true), rs);
            agrupada = true;
        }))
        return false;

    bool vacio = true;
    Centavos fusionado;
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
                    const Ejecucion e = s_.datos.Ejecutar(LoteFusion(rs, ctx_, m, s_.datos, s_.formularios));
                    if (!e.Hecha()) {
                        fallo = true;
                        errorFecha = e.Error();
                        if (primerError_.empty()) primerError_ = errorFecha;
                    } else if (e.filas > 0) {
                        fechaAbierta_->filas += e.filas;
                    }
                    if (!fallo) SumarCentavos(rs.Fields("IMPORTE"), fusionado);
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
                    if (!CuadraBorrado(fecha, fusionado, errorFecha)) {
                        fallo = detenida_ = true;
                        if (primerError_.empty()) primerError_ = errorFecha;
                    }
                }))
                return false;
        }
        if (!fallo && fusionado_) {
            if (!Paso([&] {
                    Ejecucion e = s_.datos.Ejecutar(SqlBorrarFecha(fecha, filtro_));
                    if (e.Hecha()) {
                        borrada = true;
                        fechaAbierta_->filas += e.filas;
                        fechaAbierta_->borradas += e.filas;
                    }
                    // The record says how far this pass got, in the same transaction.
                    if (e.Hecha() && registrada_)
                        e = s_.datos.Ejecutar(SqlAvanzarPasadaEnCurso(
                            PasadaEnCurso{ctx_.tipo, ctx_.clave, TextoFecha(corte_), fecha}));
                    if (!e.Hecha()) {
                        fallo = true;
                        errorFecha = e.Error();
                        if (primerError_.empty()) primerError_ = errorFecha;
                    }
                }))
                return false;
        }
    }
    if (!Paso([&] { s_.datos.CerrarRecordset(rs); })) return false;

    if (!fallo) {
        if (!Paso([&] { EncenderDisparadores(true); })) return false;
        if (!Paso([&] {
                Confirmar();
                confirmada = true;
            }))
            return false;
        // Nothing of the pass is left up to this date: no group found, or all of it deleted.
        sinRestos_ = confirmada && agrupada && (fusionado_ ? borrada : vacio);
        if (fusionado_) ultimaBorrada_ = fecha_;
        borradasPasada_ += fechaAbierta_->borradas;
        fechaAbierta_->resultado = fusionado_ ? resultado::kOk : resultado::kOmitida;
        host_.ProcesarEventos();
    } else {
        if (!Paso([&] { EncenderDisparadores(); })) return false;
        if (!Paso([&] { Deshacer(); })) return false;
        deshechas_.push_back(fecha_);
        fechaAbierta_->resultado = resultado::kRechazada;
        fechaAbierta_->error = errorFecha.empty() ? "deshecha" : errorFecha;
    }
    fechaAbierta_->fin = d_.AhoraDiario();
    Registrar(std::move(*fechaAbierta_));
    fechaAbierta_.reset();
    fecha_ = fecha_.SumarDias(1);
    return Paso([&] { host_.Pie("Procesando la fecha: " + TextoFecha(fecha_)); });
}

}  // namespace dep
