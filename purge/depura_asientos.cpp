// The accounting entries consolidation: passes, summary voucher, re-dating and the report of
// dates that the database refused.
#include <cmath>
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

namespace {

constexpr DefPasada kPasadas[] = {
    {" AND (TC<>'FP' AND TC<>'CBFP' AND TC<>'FPC' AND TC<>'PGFP')", "CC"},
    {" AND (TC='FP' OR TC='CBFP' OR TC='FPC' OR TC='PGFP') ", "FP"},
};

constexpr double kMayorNumero = 99999999;

}  // namespace

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
    AvisarDisparadores();
    if (fechaAbierta_) {
        UnidadDiario u = std::move(*fechaAbierta_);
        fechaAbierta_.reset();
        u.resultado = resultado::kRechazada;
        u.error = d_.UltimaFalla().empty() ? "deshecha" : d_.UltimaFalla();
        u.fin = d_.AhoraDiario();
        Registrar(u);
    }
    d_.RegistrarPurga("asientos", resultado::kInterrumpida,
                      "detenida por un error" + (d_.UltimaFalla().empty() ? "" : ": " + d_.UltimaFalla()));
    if (enCurso_)
        d_.RegistrarPendiente("asientos", "el comprobante " + ctx_.tipo + " " + ctx_.clave +
                                              " de saldo inicial quedo con fecha " + ctx_.fechaResumen +
                                              "; la proxima depuracion lo pasara a su fecha de corte");
    InformarFechasDeshechas();
}

void Consolidacion::Registrar(UnidadDiario u) const {
    d_.Registrar(std::move(u));
}

void Consolidacion::Correr() {
    if (!FechasLegibles()) return;
    for (const DefPasada& p : kPasadas)
        if (!Pasada(p)) return;
    const bool seguir = Paso([&] { Disparar("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL"); });
    AvisarDisparadores();
    if (!seguir) return;
    Paso([&] { host_.Pie("..."); });
}

void Consolidacion::Disparar(const char* sql) {
    Cn().Execute(sql);
    apagadosTx_ = std::string_view(sql).find("DISABLE") != std::string_view::npos;
    if (Cn().NivelTransaccion() == 0) apagados_ = apagadosTx_;
}

void Consolidacion::Confirmar() {
    Cn().CommitTrans();
    apagados_ = apagadosTx_;
}

void Consolidacion::Deshacer() {
    Cn().RollbackTrans();
    apagadosTx_ = apagados_;  // the switch is undone with the transaction
}

void Consolidacion::AvisarDisparadores() {
    if (!apagados_) return;
    apagados_ = apagadosTx_ = false;  // said once
    host_.FijarHayError(true);
    const std::string texto =
        "ATENCION: LA BASE DE DATOS RECHAZO VOLVER A ACTIVAR LOS DISPARADORES DE MV_ASIENTOS: QUEDARON "
        "DESACTIVADOS. ACTIVELOS CON \"ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL\" ANTES DE VOLVER A USAR "
        "EL "
        "SISTEMA.";
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPendiente("asientos", "los disparadores de MV_ASIENTOS quedaron desactivados");
}

bool Consolidacion::Pasada(const DefPasada& p) {
    filtro_ = p.filtro;
    ctx_ = ContextoFusion{};
    ctx_.tipo = p.tipo;
    host_.AvisarPasada(ctx_.tipo);
    deshechas_.clear();
    primerError_.clear();
    ultimaBorrada_.reset();
    enCurso_ = false;
    refechado_ = false;
    libros_.reset();
    filasAntes_ = -1;
    borradasPasada_ = 0;
    if (!Preparar()) return false;
    if (!Recorrer()) return false;
    if (!Refechar(ctx_.clave, TextoFecha(corte_),
                  "EL COMPROBANTE " + ctx_.tipo + " " + ctx_.clave + " DE SALDO INICIAL", true))
        return false;
    Verificar();
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
        d_.RegistrarPurga(
            "asientos", resultado::kNoEjecutada,
            "pasada " + tipo + ": falta el codigo " + tipo + " en la tabla de comprobantes (V_TA_CPTE)");
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
        d_.RegistrarPurga("asientos", resultado::kNoEjecutada,
                          "pasada " + tipo + ": no se pudo obtener la sucursal del comprobante (se obtuvo '" +
                              sucursal + "')");
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
        d_.RegistrarPurga("asientos", resultado::kNoEjecutada,
                          "pasada " + tipo + ": el comprobante de la sucursal " + sucursal +
                              " ya llego al numero 99999999");
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
    if (!RecuperarInterrumpida()) return false;

    bool vacia = false;
    if (!Paso([&] {
            Recordset rs;
            s_.datos.AbrirRecordset("select min(fecha) as Fecha from MV_ASIENTOS", rs);
            vacia = rs.EOF() || rs.Fields("fecha").EsNulo();
            if (!vacia) fecha_ = FechaDeValor(rs.Fields("fecha"));
            s_.datos.CerrarRecordset(rs);
        }))
        return false;
    if (vacia) {
        d_.RegistrarPurga("asientos", resultado::kOmitida, "no hay asientos");
        return false;
    }

    if (fecha_ > corte_) {
        Paso([&] { BarraProgreso(host_.PicMsg(), Value(100), 255, "No hay datos"); });
        d_.RegistrarPurga("asientos", resultado::kOmitida, "no hay asientos hasta la fecha (No hay datos)");
        return false;
    }
    if (!GrabarEnCurso()) return false;
    TomarLibros();
    do {
        if (!PasoFecha()) return false;
    } while (!(fecha_ > corte_) && !host_.Cancelado());
    return true;
}

bool Consolidacion::FechasLegibles() {
    // The walk starts at min(fecha) and deletes by date: a value that is no date would be
    // compared as something else, and the wrong rows could go.
    FechasNoValidas f;
    if (!Paso([&] { f = BuscarFechasNoValidas(s_.datos, "MV_ASIENTOS"); })) return false;
    if (f.cantidad == 0) return true;
    const std::string texto = DescribirFechasNoValidas("MV_ASIENTOS", f) +
                              ": NO SE CONSOLIDARON LOS ASIENTOS. " +
                              "CORRIJA ESAS FILAS Y VUELVA A DEPURAR.";
    host_.FijarHayError(true);
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPurga("asientos", resultado::kNoEjecutada, texto);
    return false;
}

bool Consolidacion::RecuperarInterrumpida() {
    // A run that died between its pass's first commit and its re-dating left the record of that
    // pass: its summary voucher still stands on the day after that run's cut-off date, where no
    // walk reaches it. It goes back to that run's own cut-off date (the walk then folds it in when
    // it reaches that date) and the record goes with it.
    std::optional<PasadaEnCurso> rec;
    if (!Paso([&] { rec = LeerPasadaEnCurso(s_.datos, ctx_.tipo); })) return false;
    if (!rec) return true;
    const auto corte = ReconocerFecha(rec->corte);
    if (!corte || rec->clave.size() != 13) {
        // Not a record this program wrote: nothing to re-date from it.
        host_.FijarHayError(true);
        const std::string texto = "ATENCION: EL REGISTRO DE UNA DEPURACION INTERRUMPIDA (" + ctx_.tipo +
                                  " '" + rec->clave + "' '" + rec->corte +
                                  "') NO ES VALIDO: SE DESCARTA SIN TOCAR LOS ASIENTOS.";
        Anotar(texto);
        s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kExclamacion);
        return Paso([&] { s_.datos.Ejecutar(SqlBorrarPasadaEnCurso(ctx_.tipo)); });
    }
    return Refechar(rec->clave, TextoFecha(*corte),
                    "EL COMPROBANTE " + ctx_.tipo + " " + rec->clave +
                        " DE SALDO INICIAL QUE UNA CORRIDA INTERRUMPIDA DEJO SIN TERMINAR",
                    false);
}

bool Consolidacion::GrabarEnCurso() {
    // Committed before the first walk date, so that any later death leaves it behind.
    bool rechazado = false;
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] {
            s_.datos.Ejecutar(SqlBorrarPasadaEnCurso(ctx_.tipo));
            if (Cn().Errors().empty())
                s_.datos.Ejecutar(
                    SqlGrabarPasadaEnCurso(PasadaEnCurso{ctx_.tipo, ctx_.clave, TextoFecha(corte_)}));
            if (!Cn().Errors().empty()) {
                rechazado = true;
                primerError_ = Cn().Errors()[0].descripcion;
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

bool Consolidacion::Refechar(const std::string& clave, const std::string& corte, const std::string& que,
                             bool propio) {
    // The re-dating, the removal of the pass's record and the two trigger statements in one
    // transaction: no failure can leave the table without its triggers, nor the record without
    // its voucher.
    UnidadDiario u;
    u.purga = "asientos";
    u.unidad = propio ? "refechado" : "recuperado";
    u.pasada = ctx_.tipo;
    u.comprobante = clave;
    u.inicio = d_.AhoraDiario();
    std::string error;
    if (!Paso([&] { Cn().BeginTrans(); })) return false;
    if (!Paso([&] { Disparar("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL"); })) return false;
    if (!Paso([&] {
            long filas = 0;
            s_.datos.Ejecutar("update MV_ASIENTOS set Fecha = '" + corte + "' WHERE " +
                                  CondicionComprobante(ctx_.tipo, clave),
                              filas);
            u.filas = filas;
            if (!Cn().Errors().empty()) {
                error = Cn().Errors()[0].descripcion;
                return;
            }
            // A record left behind only re-dates this voucher to the same date again later.
            s_.datos.Ejecutar(SqlBorrarPasadaEnCurso(ctx_.tipo));
            if (!Cn().Errors().empty())
                Anotar("NO SE PUDO BORRAR EL REGISTRO DE LA DEPURACION EN CURSO " + ctx_.tipo + ": " +
                       Cn().Errors()[0].descripcion);
        }))
        return false;
    if (!Paso([&] { Disparar("ALTER TABLE MV_ASIENTOS ENABLE TRIGGER ALL"); })) return false;
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
    const std::string dia = ReconocerFecha(corte) ? TextoFecha(ReconocerFecha(corte)->SumarDias(1)) : corte;
    const std::string texto = "ATENCION: LA BASE DE DATOS RECHAZO PASAR " + que + " A LA FECHA " + corte +
                              ": SUS RENGLONES QUEDARON CON FECHA " + dia + ". ERROR: " + error;
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPendiente("asientos", "el comprobante " + ctx_.tipo + " " + clave +
                                          " de saldo inicial quedo con fecha " + dia +
                                          "; la proxima depuracion lo pasara a la fecha " + corte);
    if (propio) {
        enCurso_ = false;  // told once: the record stays for the next run
        return true;
    }
    // A new walk would write its own record over this one, and nobody would find that voucher
    // again: the consolidation stops here.
    d_.RegistrarPurga("asientos", resultado::kNoEjecutada,
                      "no se pudo pasar a su fecha de corte el comprobante " + ctx_.tipo + " " + clave +
                          " de una corrida interrumpida: " + error);
    return false;
}

void Consolidacion::TomarLibros() {
    // The proof is an addition to the run: a refused query leaves the pass unproved, not stopped.
    try {
        filasAntes_ = ContarFilas(s_.datos, filtro_, TextoFecha(corte_), ctx_.tipo, ctx_.clave);
        libros_ = SumarLibros(s_.datos, filtro_, TextoFecha(corte_));
    } catch (const std::exception& e) {
        sinLibros_ = std::string("no se pudieron sumar los asientos antes de consolidar: ") + e.what();
    }
}

void Consolidacion::Verificar() {
    UnidadDiario u;
    u.purga = "asientos";
    u.unidad = "verificacion";
    u.pasada = ctx_.tipo;
    u.comprobante = ctx_.clave;
    u.inicio = d_.AhoraDiario();
    u.resultado = resultado::kNoVerificado;
    if (!libros_) {
        u.error = sinLibros_;
    } else if (!refechado_) {
        u.error = "el comprobante de saldo inicial no quedo en la fecha de corte";
    } else {
        try {
            const Comparacion c =
                CompararLibros(*libros_, SumarLibros(s_.datos, filtro_, TextoFecha(corte_)));
            u.filas = c.grupos;
            u.diferencia = c.diferencia;
            u.nuevas = borradasPasada_ +
                       ContarFilas(s_.datos, filtro_, TextoFecha(corte_), ctx_.tipo, ctx_.clave) -
                       filasAntes_;
            u.resultado = c.distintos ? resultado::kDiferencias : resultado::kOk;
            for (const auto& x : c.casos) u.error += (u.error.empty() ? "" : "; ") + x;
            if (c.distintos) {
                host_.FijarHayError(true);
                std::string texto = "ATENCION: LOS SALDOS DE LA PASADA " + ctx_.tipo +
                                    " NO CUADRAN DESPUES DE LA DEPURACION: " + std::to_string(c.distintos) +
                                    " GRUPO(S) CON DIFERENCIA, EN TOTAL " + TextoCentavos(c.diferencia) +
                                    ". PRIMEROS: " + u.error + ".";
                if (u.nuevas != 0)
                    texto += " OTRO PROGRAMA " + std::string(u.nuevas > 0 ? "AGREGO " : "BORRO ") +
                             std::to_string(std::llabs(u.nuevas)) +
                             " ASIENTO(S) HASTA LA FECHA DE CORTE DURANTE LA CORRIDA.";
                Anotar(texto);
                s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
            }
        } catch (const std::exception& e) {
            u.error = std::string("no se pudieron sumar los asientos despues de consolidar: ") + e.what();
        }
    }
    u.fin = d_.AhoraDiario();
    Registrar(u);
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
