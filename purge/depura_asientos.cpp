// The accounting entries consolidation: passes, summary voucher, re-dating and the report of
// dates that the database refused.
#include <cmath>

#include "common/barra_progreso.hpp"
#include "common/periodo.hpp"
#include "common/trata_error.hpp"
#include "numbering/ast.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/varados.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

constexpr DefPasada kPasadas[] = {
    {" AND (TC<>'FP' AND TC<>'CBFP' AND TC<>'FPC' AND TC<>'PGFP')", "CC"},
    {" AND (TC='FP' OR TC='CBFP' OR TC='FPC' OR TC='PGFP') ", "FP"},
};

constexpr double kMayorNumero = 99999999;

}  // namespace

void Depuracion::DepuraAsientos() {
    Consolidacion(s_, host_, TrampaDialogo()).Correr();
}

Fecha FechaDeValor(const Value& v) {
    if (const Fecha* f = v.SiFecha()) return *f;
    if (const std::string* t = v.SiTexto()) {
        if (auto f = LeerFechaIso(*t)) return *f;
        if (auto f = ReconocerFecha(*t)) return *f;
    }
    return v.AFecha();
}

std::string Consolidacion::Clave(std::size_t desde, std::size_t largo) const {
    return desde < ctx_.clave.size() ? ctx_.clave.substr(desde, largo) : std::string();
}

void Consolidacion::Restablecer() {
    Conexion* cn = nullptr;
    try {
        cn = &Cn();
    } catch (const std::exception&) {
        return;
    }
    // The table's triggers are switched inside the transaction; enable them anyway before the
    // rollback, as the failure path of a date does, so no engine is left without them.
    try {
        cn->Execute("ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL");
    } catch (const std::exception&) {
    }
    try {
        while (cn->NivelTransaccion() > 0) cn->RollbackTrans();
    } catch (const std::exception&) {
    }
    InformarFechasDeshechas();
}

void Consolidacion::Correr() {
    for (const DefPasada& p : kPasadas)
        if (!Pasada(p)) return;
    if (!Paso([&] { Cn().Execute("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL"); })) return;
    Paso([&] { host_.Pie("..."); });
}

bool Consolidacion::Pasada(const DefPasada& p) {
    filtro_ = p.filtro;
    ctx_ = ContextoFusion{};
    ctx_.tipo = p.tipo;
    host_.AvisarPasada(ctx_.tipo);
    deshechas_.clear();
    primerError_.clear();
    ultimaBorrada_.reset();
    if (!Preparar()) return false;
    if (!Recorrer()) return false;
    if (!Refechar(DondeComprobante(Clave(0, 4), Clave(4, 8)),
                  "EL COMPROBANTE " + ctx_.tipo + " " + ctx_.clave + " DE SALDO INICIAL"))
        return false;
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
    if (!existe) {
        s_.operador.Mensaje(
            "DEBE DAR DE ALTA EN TABLA DE COMPROBANTES EL CODIGO " + tipo + " PARA SALDO INICIAL...",
            vb::kSoloAceptar);
        return false;
    }

    std::string sucursal, numero, letra;
    bool modifica = false;
    if (!Paso([&] {
            Obtener_Nro_Comprobante(s_, tipo, sucursal, numero, letra, modifica, true, ctx_.fechaResumen, "");
        }))
        return false;
    if (sucursal.size() != 4) {
        // Without a four-character branch the summary key would shift number and letter.
        host_.FijarHayError(true);
        s_.operador.Mensaje("NO SE PUDO OBTENER LA SUCURSAL DEL COMPROBANTE " + tipo +
                                " PARA SALDO INICIAL (SE OBTUVO '" + sucursal +
                                "'). REVISE EL TALONARIO DE " + tipo + ": NO SE DEPURARON LOS ASIENTOS.",
                            vb::kSoloAceptar | vb::kCritico);
        return false;
    }

    std::string numeroTexto;
    bool agotado = false;
    if (!Paso([&] {
            Recordset rs;
            s_.datos.AbrirRecordset("SELECT MAX(NUMERO) AS NUMERO FROM MV_ASIENTOS WHERE SUCURSAL = '" +
                                        DoblarComillas(sucursal) + "' AND TC = '" + DoblarComillas(tipo) +
                                        "'",
                                    rs);
            if (rs.EOF() || rs.Fields("Numero").EsNulo()) {
                numeroTexto = "00000001";
            } else {
                double n = LeerNumero(rs.Fields("Numero").ATexto()) + 1;
                if (n > kMayorNumero) agotado = true;
                numeroTexto = FormatoCeros(std::llround(n), 8);
            }
            s_.datos.CerrarRecordset(rs);
        }))
        return false;
    if (agotado) {
        host_.FijarHayError(true);
        s_.operador.Mensaje("EL COMPROBANTE " + tipo + " DE SALDO INICIAL DE LA SUCURSAL " + sucursal +
                                " YA LLEGO AL NUMERO 99999999: NO QUEDA NUMERO PARA UN NUEVO COMPROBANTE. "
                                "NO SE DEPURARON LOS ASIENTOS.",
                            vb::kSoloAceptar | vb::kCritico);
        return false;
    }
    ctx_.clave = sucursal + FormatoCeros(std::llround(LeerNumero(Recortar(numeroTexto))), 8) + "X";

    if (!Paso([&] { ctx_.periodo = TextoEntero(Obtener_Periodo(s_, ctx_.fechaResumen)); })) return false;
    if (!Paso([&] {
            ctx_.nroAsiento = Obtener_Nro_Asiento(s_, Value(ctx_.mesResumen), Value(0), std::string("    "));
        }))
        return false;
    ctx_.secuencia = 1;
    return true;
}

bool Consolidacion::Recorrer() {
    if (!Paso([&] { host_.PicMsg().Mostrar(); })) return false;
    if (!Paso([&] { corte_ = FechaDeValor(Value(host_.TextoFecha())); })) return false;
    if (!RefecharVarados()) return false;

    bool vacia = false;
    if (!Paso([&] {
            Recordset rs;
            s_.datos.AbrirRecordset("select min(fecha) as Fecha from MV_ASIENTOS", rs);
            vacia = rs.EOF() || rs.Fields("fecha").EsNulo();
            if (!vacia) fecha_ = FechaDeValor(rs.Fields("fecha"));
            s_.datos.CerrarRecordset(rs);
        }))
        return false;
    if (vacia) return false;

    if (fecha_ > corte_) {
        Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, "No hay datos"); });
        return false;
    }
    do {
        if (!PasoFecha()) return false;
    } while (!(fecha_ > corte_) && !host_.Cancelado());
    return true;
}

bool Consolidacion::RefecharVarados() {
    // A run killed after a date's commit and before its re-dating leaves its summary voucher on the
    // day after the cut-off date, where no walk of that cut-off reaches it. Found exactly as the
    // merge writes it, each such voucher is moved to the cut-off date before the walk, which then
    // folds it in.
    const std::string marca = MarcaResumen(ctx_.fechaResumen, ctx_.periodo, ctx_.mesResumen);
    std::vector<std::pair<std::string, std::string>> varados;  // branch and number
    if (!Paso([&] {
            varados.clear();
            Recordset rs;
            s_.datos.AbrirRecordset("SELECT DISTINCT SUCURSAL, NUMERO FROM MV_ASIENTOS WHERE " +
                                        CondicionVarados(ctx_.tipo, Clave(12, 1), marca),
                                    rs);
            for (; !rs.EOF(); rs.MoveNext())
                varados.emplace_back(TextoPlano(rs.Fields("Sucursal")), TextoPlano(rs.Fields("Numero")));
            s_.datos.CerrarRecordset(rs);
        }))
        return false;
    for (const auto& [sucursal, numero] : varados)
        if (!Refechar(DondeComprobante(sucursal, numero) + marca,
                      "EL COMPROBANTE " + ctx_.tipo + " " + sucursal + numero + Clave(12, 1) +
                          " DE SALDO INICIAL QUE UNA CORRIDA INTERRUMPIDA DEJO SIN TERMINAR"))
            return false;
    return true;
}

std::string Consolidacion::DondeComprobante(const std::string& sucursal, const std::string& numero) const {
    return "TC = '" + DoblarComillas(ctx_.tipo) + "' AND SUCURSAL = '" + DoblarComillas(sucursal) +
           "' AND NUMERO = '" + DoblarComillas(numero) + "' AND LETRA = '" + DoblarComillas(Clave(12, 1)) +
           "'";
}

bool Consolidacion::Refechar(const std::string& donde, const std::string& que) {
    // The re-dating and its two trigger statements in one transaction: no failure can leave the
    // table without its triggers.
    bool rechazado = false;
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] { Cn().Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL"); })) return false;
    if (!Paso([&] {
            s_.datos.Ejecutar("update MV_ASIENTOS set Fecha = '" + TextoFecha(corte_) + "' WHERE " + donde);
            if (!Cn().Errors().empty()) {
                rechazado = true;
                const std::string error = Cn().Errors()[0].descripcion;
                host_.FijarHayError(true);
                const std::string texto = "ATENCION: LA BASE DE DATOS RECHAZO PASAR " + que + " A LA FECHA " +
                                          TextoFecha(corte_) + ": SUS RENGLONES QUEDARON CON FECHA " +
                                          ctx_.fechaResumen + ". ERROR: " + error;
                Anotar(texto);
                s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
            }
        }))
        return false;
    if (!Paso([&] { Cn().Execute("ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL"); })) return false;
    if (!Paso([&] {
            if (rechazado)
                Cn().RollbackTrans();
            else
                Cn().CommitTrans();
        }))
        return false;
    return true;
}

void Consolidacion::Anotar(const std::string& mensaje) {
    try {
        AnotarError("DepuraAsientos", mensaje);
    } catch (const std::exception&) {
    }
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
