// The consolidation's re-dating of a summary voucher, and the durable record of the pass in
// progress that lets the next run re-date a dead run's voucher, and no other.
#include <cstdlib>

#include "common/trata_error.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/fechas_validas.hpp"
#include "purge/pasada_en_curso.hpp"
#include "runtime/conversions.hpp"

namespace dep {

bool Consolidacion::RecuperarInterrumpida() {
    // A run that died between its pass's first commit and its re-dating left the record of that
    // pass: the rows it merged still stand on the day after that run's cut-off date, where no walk
    // reaches them, while the detail they replace is gone. They go to the last walk date that run
    // committed (the walk then folds them in when it reaches that date) and the record goes with
    // them; nothing else is ever moved.
    std::optional<PasadaEnCurso> rec;
    if (!Paso([&] { rec = LeerPasadaEnCurso(s_.datos, ctx_.tipo); })) return false;
    if (!rec) return true;
    Recuperacion plan;
    if (!Paso([&] { plan = PlanearRecuperacion(s_.datos, *rec, corte_); })) return false;
    switch (plan.accion) {
        case Recuperacion::Accion::Descartar:
            if (!plan.motivo.empty()) {
                host_.FijarHayError(true);
                Anotar(plan.motivo);
                s_.operador.Mensaje(plan.motivo, vb::kSoloAceptar | vb::kExclamacion);
            }
            return Paso([&] { s_.datos.Ejecutar(SqlBorrarPasadaEnCurso(ctx_.tipo)).Exigir(); });
        case Recuperacion::Accion::Rehusar:
            decision_.ConRecuperacion(plan);
            return Impedida();
        case Recuperacion::Accion::Mover:
            break;
    }
    const std::string destino = TextoFecha(plan.destino);
    const std::string voucher = CondicionComprobante(ctx_.tipo, rec->clave);
    const std::optional<Aporte> antes = AporteAlCorte(voucher);
    if (!Refechar(plan.condicion, destino, TextoFecha(ReconocerFecha(rec->corte)->SumarDias(1)),
                  "EL COMPROBANTE " + ctx_.tipo + " " + rec->clave +
                      " DE SALDO INICIAL QUE UNA CORRIDA INTERRUMPIDA DEJO SIN TERMINAR",
                  false, rec->clave))
        return false;
    // The proof's sums were taken before: what the move brought into its range is part of what it
    // proves.
    Recuperados(voucher, antes);
    return true;
}

bool Consolidacion::GrabarEnCurso() {
    // Committed before the first walk date, so that any later death leaves it behind.
    bool rechazado = false;
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] {
            Ejecucion e = s_.datos.Ejecutar(SqlBorrarPasadaEnCurso(ctx_.tipo));
            if (e.Hecha())
                e = s_.datos.Ejecutar(
                    SqlGrabarPasadaEnCurso(PasadaEnCurso{ctx_.tipo, ctx_.clave, TextoFecha(corte_), {}}));
            if (!e.Hecha()) {
                rechazado = true;
                primerError_ = e.Error();
            }
        }))
        return false;
    if (!Paso([&] {
            if (rechazado)
                Cn().RollbackTrans();
            else
                Cn().CommitTrans();
        }))
        return false;
    registrada_ = !rechazado;
    if (rechazado) {
        // The walk loses nothing without the record; only a death before its re-dating would
        // leave the summary voucher for a person to move to the cut-off date. Said, and on.
        const std::string texto =
            "ATENCION: LA BASE DE DATOS RECHAZO EL REGISTRO DE LA DEPURACION EN CURSO EN "
            "TA_CONFIGURACION (" +
            primerError_ +
            "). SI LA CORRIDA SE INTERRUMPE, EL "
            "COMPROBANTE " +
            ctx_.tipo + " " + ctx_.clave + " QUEDARA CON FECHA " + ctx_.fechaResumen +
            " Y HABRA QUE PASARLO A MANO AL " + TextoFecha(corte_) + ".";
        primerError_.clear();
        Anotar(texto);
        s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kExclamacion);
    }
    enCurso_ = true;
    return true;
}

bool Consolidacion::Refechar(const std::string& donde, const std::string& corte, const std::string& dia,
                             const std::string& que, bool propio, const std::string& clave) {
    // The re-dating, the removal of the pass's record and the two trigger statements in one
    // transaction: no failure can leave the table without its triggers, nor the record without
    // its voucher.
    UnidadDiario u(Purga::Asientos, propio ? TipoUnidad::Refechado : TipoUnidad::Recuperado);
    u.pasada = ctx_.tipo;
    u.comprobante = clave;
    u.inicio = d_.AhoraDiario();
    std::string error;
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] { ApagarDisparadores(); })) return false;
    if (!Paso([&] {
            Ejecucion e = s_.datos.Ejecutar("update MV_ASIENTOS set Fecha = '" + corte + "' WHERE " + donde);
            u.filas = e.filas;
            // The record goes with the move, or neither happens: a record left over a finished
            // voucher would be refused by every later run. Marks the file left null (a table
            // without the suite's defaults) become the defaults, so a later walk sums these rows.
            for (const std::string& sql : {SqlMarcasResumen(CondicionComprobante(ctx_.tipo, clave)),
                                           SqlBorrarPasadaEnCurso(ctx_.tipo)}) {
                if (!e.Hecha()) break;
                e = s_.datos.Ejecutar(sql);
            }
            error = e.Error();
        }))
        return false;
    if (!Paso([&] { EncenderDisparadores(); })) return false;
    if (!Paso([&] {
            if (!error.empty())
                Deshacer();
            else
                Confirmar();
        }))
        return false;
    u.fin = d_.AhoraDiario();
    u.resultado = error.empty() ? resultado::kOk : resultado::kRechazada;
    u.error = error;
    Registrar(u);
    if (error.empty()) {
        if (propio) enCurso_ = false;
        if (propio) refechado_ = true;
        return true;
    }
    host_.FijarHayError(true);
    const std::string texto = "ATENCION: LA BASE DE DATOS RECHAZO PASAR " + que + " A LA FECHA " + corte +
                              ": SUS RENGLONES QUEDARON CON FECHA " + dia + ". ERROR: " + error;
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPendiente(Purga::Asientos, "el comprobante " + ctx_.tipo + " " + clave +
                                               " de saldo inicial quedo con fecha " + dia +
                                               "; la proxima depuracion lo pasara a su fecha");
    if (propio) {
        enCurso_ = false;  // told once: the record stays for the next run
        return true;
    }
    // A new walk would write its own record over this one, and nobody would find that voucher
    // again: the consolidation stops here.
    d_.RegistrarPurga(Purga::Asientos, resultado::kNoEjecutada,
                      "no se pudo pasar a su fecha el comprobante " + ctx_.tipo + " " + clave +
                          " de una corrida interrumpida: " + error);
    return false;
}

}  // namespace dep
