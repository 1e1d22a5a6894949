// The accounting entries consolidation: passes, summary voucher, re-dating and the report of
// dates that the database refused.
#include <algorithm>
#include <cstdlib>

#include "common/barra_progreso.hpp"
#include "common/periodo.hpp"
#include "common/trata_error.hpp"
#include "numbering/ast.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/fechas_validas.hpp"
#include "purge/pasada_en_curso.hpp"
#include "runtime/conversions.hpp"

namespace dep {

void Depuracion::DepuraAsientos() {
    Consolidacion(s_, host_, TrampaDialogo(), *this).Correr();
}

Fecha FechaDeValor(const Value& v) {
    if (const Fecha* f = v.SiFecha()) return *f;
    if (const std::string* t = v.SiTexto()) {
        if (auto f = LeerFechaIso(*t)) return *f;
        if (auto f = ReconocerFecha(*t)) return *f;
    }
    return v.AFecha();
}

void Consolidacion::Restablecer() {
    Conexion* cn = nullptr;
    try {
        cn = &Cn();
    } catch (const std::exception&) {
        // The connection is gone: the database dropped the open transaction with its switch.
        // What was done and what stopped is still recorded below.
        apagadosTx_ = apagados_;
    }
    if (cn != nullptr) {
        // The table's triggers are switched inside the transaction; enable them anyway before the
        // rollback, as the failure path of a date does, so no engine is left without them.
        try {
            cn->Execute(kEncenderDisparadores);
            apagadosTx_ = false;
            if (cn->NivelTransaccion() == 0) apagados_ = false;
        } catch (const std::exception&) {
            // Said below when the triggers stay off.
        }
        try {
            while (cn->NivelTransaccion() > 0) cn->RollbackTrans();
            apagadosTx_ = apagados_;
        } catch (const std::exception&) {
            // The connection is gone; the database drops what it held.
        }
    }
    AvisarDisparadores();
    if (fechaAbierta_) {
        UnidadDiario u = std::move(*fechaAbierta_);
        fechaAbierta_.reset();
        u.resultado = resultado::kRechazada;
        u.error = d_.UltimaFalla().empty() ? "deshecha" : d_.UltimaFalla();
        u.fin = d_.AhoraDiario();
        Registrar(u);
    }
    d_.RegistrarPurga(Purga::Asientos, resultado::kInterrumpida,
                      "detenida por un error" + (d_.UltimaFalla().empty() ? "" : ": " + d_.UltimaFalla()));
    if (enCurso_)
        d_.RegistrarPendiente(Purga::Asientos, "el comprobante " + ctx_.tipo + " " + ctx_.clave +
                                                   " de saldo inicial quedo con fecha " + ctx_.fechaResumen +
                                                   "; la proxima depuracion lo pasara a su fecha de corte");
    InformarFechasDeshechas();
}

void Consolidacion::Registrar(UnidadDiario u) const {
    d_.Registrar(std::move(u));
}

void Consolidacion::Correr() {
    if (!FechasLegibles() || !ImportesLegibles()) return;
    for (const DefPasada& p : kPasadas)
        if (!Pasada(p)) return;
    const bool seguir = Paso([&] { EncenderDisparadores(true); });
    AvisarDisparadores();
    if (!seguir) return;
    Paso([&] { host_.Pie("..."); });
}

bool Consolidacion::Pasada(const DefPasada& p) {
    static_cast<EstadoPasada&>(*this) = EstadoPasada{};
    filtro_ = p.filtro;
    decision_ = DecisionPasada(p.tipo);
    ctx_.tipo = p.tipo;
    host_.AvisarPasada(ctx_.tipo);
    if (!Preparar()) return false;
    if (!Recorrer()) return false;
    // A walk that stopped short of the cut-off date (cancelled, stopped by its guard, or whose
    // last dates were refused) holds the sums up to its last committed date only: the voucher goes
    // there, so the balance at that date and every later one stays whole for any later run.
    const bool entera =
        fecha_ > corte_ && (deshechas_.empty() || (ultimaBorrada_ && deshechas_.back() < *ultimaBorrada_));
    const Fecha destino = !entera && ultimaBorrada_ ? *ultimaBorrada_ : corte_;
    if (!Refechar(CondicionComprobante(ctx_.tipo, ctx_.clave), TextoFecha(destino), ctx_.fechaResumen,
                  "EL COMPROBANTE " + ctx_.tipo + " " + ctx_.clave + " DE SALDO INICIAL", true, ctx_.clave))
        return false;
    Verificar();
    if (host_.Cancelado() && !(fecha_ > corte_) && !detenida_ && !canceladaRegistrada_) {
        // What the walk did is done and proved; the purge as a whole was not.
        canceladaRegistrada_ = true;
        d_.RegistrarPurga(
            Purga::Asientos, resultado::kCancelada,
            "el operador cancelo la corrida: la pasada " + ctx_.tipo + " consolido hasta el " +
                (ultimaBorrada_ ? TextoFecha(*ultimaBorrada_) : std::string("(ninguna fecha)")) +
                " y no hasta el " + TextoFecha(corte_));
    }
    if (detenida_) {
        // The walk met a delete that would take more than it merged: what it committed stays,
        // re-dated and proved above, and nothing more is consolidated.
        host_.FijarHayError(true);
        Anotar(primerError_);
        s_.operador.Mensaje(primerError_, vb::kSoloAceptar | vb::kCritico);
        d_.RegistrarPurga(Purga::Asientos, resultado::kInterrumpida, primerError_);
        return false;
    }
    if (!Paso([&] {
            BarraProgreso(host_.PicMsg(), Value(100), 255, TextoFecha(fecha_) + " Finalizado Asientos");
        }))
        return false;
    if (!Paso([&] { host_.Pie("..."); })) return false;
    InformarFechasDeshechas();
    return true;
}

bool Consolidacion::Preparar() {
    const std::string& tipo = ctx_.tipo;
    if (!Paso([&] {
            Fecha typed = FechaDeValor(Value(host_.TextoFecha()));
            Fecha dia = typed.SumarDias(1);
            ctx_.fechaResumen = TextoFecha(dia);
            ctx_.mesResumen = dia.Mes();
        }))
        return false;

    bool existe = false;
    if (!Paso([&] { existe = s_.datos.ExisteRegistro("V_TA_CPTE", tipo, "Codigo", 8); })) return false;
    if (!decision_.ConTipo(existe)) return Impedida();

    std::string sucursal, numero, letra;
    bool modifica = false;
    if (!Paso([&] {
            Obtener_Nro_Comprobante(s_, tipo, sucursal, numero, letra, modifica, true, ctx_.fechaResumen, "");
        }))
        return false;
    if (!decision_.ConSucursal(sucursal)) return Impedida();

    double siguiente = 0;  // a read failed and ignored gives number 00000000
    if (!Paso([&] {
            Recordset rs;
            s_.datos.AbrirRecordset(SqlMayorNumeroResumen(sucursal, tipo), rs);
            siguiente = SiguienteNumeroResumen(rs.EOF() ? Value::Nulo() : rs.Fields("Numero"));
            s_.datos.CerrarRecordset(rs);
        }))
        return false;
    if (!decision_.ConSiguienteNumero(siguiente)) return Impedida();
    bool ocupada = false;
    if (!Paso([&] { ocupada = ExisteComprobanteResumen(s_.datos, tipo, decision_.Clave()); })) return false;
    if (!decision_.ConClaveOcupada(ocupada)) return Impedida();
    ctx_.clave = decision_.Clave();

    if (!Paso([&] { ctx_.periodo = TextoEntero(Obtener_Periodo(s_, ctx_.fechaResumen)); })) return false;
    if (!Paso([&] {
            ctx_.nroAsiento = Obtener_Nro_Asiento(s_, Value(ctx_.mesResumen), Value(0), std::string("    "));
        }))
        return false;
    ctx_.secuencia = 1;
    return true;
}

bool Consolidacion::Impedida() {
    if (decision_.impedimento() == Impedimento::SinAsientosHastaLaFecha)
        Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, "No hay datos"); });
    const std::string mensaje = decision_.MensajeOperador();
    if (decision_.Grave()) {
        host_.FijarHayError(true);
        Anotar(mensaje);
    }
    if (!mensaje.empty())
        s_.operador.Mensaje(mensaje, vb::kSoloAceptar | (decision_.Grave() ? vb::kCritico : 0));
    d_.RegistrarPurga(Purga::Asientos, decision_.ResultadoDiario(), decision_.TextoDiario());
    return false;
}

bool Consolidacion::Recorrer() {
    if (!Paso([&] { host_.PicMsg().Mostrar(); })) return false;
    if (!Paso([&] { corte_ = FechaDeValor(Value(host_.TextoFecha())); })) return false;
    // The proof's "before" comes first: a recovery is part of what it proves.
    TomarLibros();
    if (!RecuperarInterrumpida()) return false;

    std::optional<Fecha> primera;
    if (!Paso([&] {
            Recordset rs;
            s_.datos.AbrirRecordset("select min(fecha) as Fecha from MV_ASIENTOS", rs);
            if (!rs.EOF() && !rs.Fields("fecha").EsNulo()) primera = FechaDeValor(rs.Fields("fecha"));
            s_.datos.CerrarRecordset(rs);
        }))
        return false;
    if (!decision_.ConPrimeraFecha(primera, corte_)) return Impedida();
    fecha_ = decision_.Primera();
    if (!GrabarEnCurso()) return false;
    // Each date stays atomic without its own sync; the walk is made durable once, at its end,
    // before anything reports it done.
    SincronizacionDiferida diferida(Cn());
    do {
        const Fecha anterior = fecha_;
        if (!PasoFecha()) return false;
        if (fecha_ > corte_ || host_.Cancelado() || detenida_) break;
        if (sinRestos_ && !SaltarFechasVacias(anterior)) return false;
    } while (!(fecha_ > corte_));
    return Paso([&] { diferida.Terminar(); });
}

bool Consolidacion::SaltarFechasVacias(const Fecha& anterior) {
    if (!fechasConAsientos_) {
        std::vector<Fecha> fechas;
        bool leidas = false;
        if (!Paso([&] {
                Recordset rs;
                s_.datos.AbrirRecordset(
                    SqlFechasConAsientos(TextoFecha(anterior), TextoFecha(corte_), filtro_), rs);
                for (; !rs.EOF(); rs.MoveNext())
                    if (!rs.Fields("FECHA").EsNulo()) fechas.push_back(FechaDeValor(rs.Fields("FECHA")));
                s_.datos.CerrarRecordset(rs);
                leidas = true;
            }))
            return false;
        if (!leidas) return true;  // a failed look passed over by the operator: the next day, as always
        std::sort(fechas.begin(), fechas.end());
        fechasConAsientos_ = std::move(fechas);
    }
    const Fecha destino = PasoTrasFechaVacia(anterior, *fechasConAsientos_, corte_);
    if (!(fecha_ < destino)) return true;
    fecha_ = destino;
    return Paso([&] { host_.Pie("Procesando la fecha: " + TextoFecha(fecha_)); });
}

void Consolidacion::Anotar(const std::string& mensaje) {
    AnotarError("DepuraAsientos", mensaje);
}

void Consolidacion::InformarFechasDeshechas() {
    if (deshechas_.empty()) return;
    std::string lista;
    const std::size_t kMostradas = 10;
    for (std::size_t i = 0; i < deshechas_.size() && i < kMostradas; ++i)
        lista += (i ? ", " : "") + TextoFecha(deshechas_[i]);
    if (deshechas_.size() > kMostradas) lista += " ... " + TextoFecha(deshechas_.back());
    const Fecha ultima = deshechas_.back();
    const bool pendientes = !ultimaBorrada_ || *ultimaBorrada_ < ultima;
    std::string texto = "ATENCION: EN LA DEPURACION DE ASIENTOS (COMPROBANTE " + ctx_.tipo +
                        ") LA BASE DE DATOS " + "RECHAZO " +
                        TextoEntero(static_cast<long long>(deshechas_.size())) +
                        " FECHA(S), QUE SE DESHICIERON: " + lista + ". PRIMER ERROR: " + primerError_ + ". ";
    if (pendientes) {
        host_.FijarHayError(true);
        texto += "LOS ASIENTOS HASTA EL " + TextoFecha(ultima) + " QUEDARON SIN CONSOLIDAR.";
    } else {
        texto += "UNA FECHA POSTERIOR LOS CONSOLIDO: LOS SALDOS QUEDARON COMPLETOS.";
    }
    deshechas_.clear();
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | (pendientes ? vb::kCritico : vb::kExclamacion));
}

}  // namespace dep
