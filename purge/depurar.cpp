// The run driver, its cancel button and its timer.
#include <cstdio>

#include "common/barra_progreso.hpp"
#include "common/configuracion.hpp"
#include "common/trata_error.hpp"
#include "purge/depuracion.hpp"
#include "purge/diario.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep {

std::optional<Fecha> LeerFechaCorte(const std::string& texto) {
    const auto f = ReconocerFecha(texto);
    if (!f) return std::nullopt;
    if (*f < Fecha::DesdeYMD(1753, 1, 1) || !(f->SoloDia() < Fecha::DesdeYMD(9999, 12, 31)))
        return std::nullopt;
    return f;
}

std::string TextoFechaCorte(const std::string& texto) {
    const auto f = LeerFechaCorte(texto);
    return f ? TextoFecha(f->SoloDia()) : std::string();
}

std::string RechazoFechaCorte(const std::string& texto, const Fecha& hoy) {
    const auto f = LeerFechaCorte(texto);
    if (!f) return kFechaIncorrecta;
    if (hoy.SoloDia() < f->SoloDia())
        return "La fecha de corte no puede ser posterior a hoy (" + TextoFecha(hoy.SoloDia()) + ")";
    return "";
}

std::string PorQueFechaIncorrecta(const std::string& texto) {
    const std::string t = Recortar(texto);
    if (t.empty()) return "No se escribió ninguna fecha.";
    if (const auto f = ReconocerFecha(t))
        return "La fecha debe estar entre el 01/01/1753 y el 30/12/9999: el comprobante de saldo inicial "
               "lleva el día siguiente y las bases de datos no guardan fechas fuera de ese rango.";
    int d = 0, m = 0, a = 0;
    char s1 = 0, s2 = 0, resto = 0;
    if (std::sscanf(t.c_str(), "%d%c%d%c%d%c", &d, &s1, &m, &s2, &a, &resto) == 5 && s1 == s2 &&
        (s1 == '/' || s1 == '-' || s1 == '.'))
        return "El día " + t + " no existe en el calendario.";
    return "Escriba la fecha como día/mes/año, por ejemplo 31/12/2021.";
}

Fecha Depuracion::Ahora() {
    return AhoraLocal();
}

std::string Depuracion::HoraActual() const {
    return TextoHora(reloj_ ? reloj_() : Ahora());
}

void Depuracion::Registrar(UnidadDiario u) const {
    if (diario_) diario_->Unidad(std::move(u));
}

void Depuracion::RegistrarPurga(Purga purga, const std::string& resultado, const std::string& motivo) const {
    if (diario_) diario_->Estado(purga, resultado, motivo);
}

void Depuracion::RegistrarPendiente(Purga purga, const std::string& que) const {
    if (diario_) diario_->Pendiente(purga, que);
}

Fecha Depuracion::AhoraDiario() const {
    return diario_ ? diario_->Ahora() : Ahora();
}

std::unique_ptr<CandadoCorrida> Depuracion::TomarCandado(const Purga* purgas, std::size_t n) {
    std::string ocupante, error;
    std::unique_ptr<CandadoCorrida> c;
    try {
        c = s_.datos.Conexion_().TomarCandadoCorrida(ocupante);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (c) return c;
    const std::string motivo =
        error.empty() ? "YA HAY UNA DEPURACIÓN EN CURSO EN ESTA BASE DE DATOS (" + ocupante +
                            "). ESPERE A QUE TERMINE: ESTA CORRIDA NO MODIFICÓ NADA."
                      : "NO SE PUDO ASEGURAR QUE NINGUNA OTRA DEPURACIÓN USE ESTA BASE DE DATOS (" + error +
                            "): ESTA CORRIDA NO MODIFICÓ NADA.";
    host_.FijarHayError(true);
    AnotarError("Depurar", motivo);
    s_.operador.Mensaje(motivo, vb::kSoloAceptar | vb::kCritico);
    const std::string registro = error.empty()
                                     ? "otra depuracion en curso en esta base de datos (" + ocupante + ")"
                                     : "no se pudo tomar el bloqueo de corridas: " + error;
    for (std::size_t i = 0; i < n; ++i) RegistrarPurga(purgas[i], resultado::kNoEjecutada, registro);
    return nullptr;
}

bool Depuracion::HacerCopia(const Purga* purgas, std::size_t n) {
    UnidadDiario u(Purga::Copia, TipoUnidad::Copia);
    u.inicio = AhoraDiario();
    bool cancelada = false;
    try {
        host_.PicMsg().Mostrar();
        // No share of it can be told while it runs: the footer says it, the bar fills at its end.
        host_.Pie("Haciendo la copia de seguridad de la base de datos... Espere");
        long long bytes = -1;
        host_.EsperarSinEntrada(
            [&] { u.unidad = s_.datos.Conexion_().CopiaDeSeguridad(*copia_, bytes, SeCancelaLaCorrida()); },
            "Copia de seguridad de la base de datos", true);
        u.filas = bytes;
        BarraProgreso(host_.PicMsg(), Value(100), 255, "Copia de seguridad terminada");
        u.resultado = resultado::kOk;
        // A cancel asked while the copy was finishing (its last steps, a server's BACKUP, look at
        // no cancel button) still stops the run before any purge: the copy made is kept.
        cancelada = SeCancelaLaCorrida()();
    } catch (const Falla& e) {
        cancelada = e.Numero() == err::kCancelado;
        u.resultado = cancelada ? resultado::kCancelada : resultado::kRechazada;
        u.error = e.what();
    } catch (const std::exception& e) {
        u.resultado = resultado::kRechazada;
        u.error = e.what();
    }
    host_.Pie("...");
    u.fin = AhoraDiario();
    Registrar(u);
    if (u.resultado == resultado::kOk && !cancelada) return true;
    if (cancelada) {
        // Cancelled before any purge: nothing was written, not even the date.
        host_.FijarCancelado(true);
        for (std::size_t i = 0; i < n; ++i)
            RegistrarPurga(purgas[i], resultado::kCancelada, "cancelada durante la copia de seguridad");
        s_.operador.Mensaje("Proceso Cancelado", vb::kSoloAceptar);
        return false;
    }
    // Without the copy the operator asked for, nothing is written.
    host_.FijarHayError(true);
    const std::string texto = u.error + ". NO SE DEPURÓ NADA.";
    AnotarError("Depurar", texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    for (std::size_t i = 0; i < n; ++i)
        RegistrarPurga(purgas[i], resultado::kNoEjecutada, "no se hizo la copia de seguridad pedida");
    return false;
}

SeCancela Depuracion::SeCancelaLaCorrida() {
    // Asked from inside the engine's own long step: it only reads the request, it runs nothing.
    return [this] { return host_.Cancelado() || host_.CancelacionPedida(); };
}

namespace {

// What the purges empty or delete from (the stock procedure's tables as the demo defines it): a
// server that is not compacted reports their space before and after instead.
std::vector<std::string> TablasDepuradas() {
    std::vector<std::string> t = {"MV_ASIENTOS",     "V_MV_STOCK", "V_MV_STOCK_ITEMS", "V_MV_CPTE",
                                  "V_MV_CPTE_ITEMS", "C_MV_CPTE",  "C_MV_CPTE_ITEMS"};
    for (const auto* lista : {&TablasHistorial(), &TablasTemporales()})
        t.insert(t.end(), lista->begin(), lista->end());
    return t;
}

}  // namespace

void Depuracion::Compactar() {
    UnidadDiario u(Purga::Compactacion, TipoUnidad::Compactacion);
    u.inicio = AhoraDiario();
    try {
        // On the footer line: the progress bar keeps the last purge's own caption.
        host_.Pie("Compactando la base de datos... Espere");
        Compactacion c;
        host_.EsperarSinEntrada([&] { c = s_.datos.Conexion_().Compactar(SeCancelaLaCorrida()); },
                                "Compactación de la base de datos", true);
        if (c.estado == EstadoCompactacion::kOmitida && !c.nota.empty() && espacioAntes_ >= 0) {
            c.antes = espacioAntes_;
            c.despues = s_.datos.Conexion_().EspacioTablas(TablasDepuradas());
        }
        const bool hecha = c.estado == EstadoCompactacion::kHecha;
        host_.Pie(hecha && c.antes >= 0 && c.despues >= 0 && c.despues < c.antes
                      ? "Base de datos compactada: " + std::to_string(c.antes >> 20) + " MB antes, " +
                            std::to_string(c.despues >> 20) + " MB después"
                      : "...");
        u.bytesAntes = c.antes;
        u.bytesDespues = c.despues;
        u.resultado = hecha                                        ? resultado::kOk
                      : c.estado == EstadoCompactacion::kCancelada ? resultado::kCancelada
                                                                   : resultado::kOmitida;
        u.error = c.nota;
        // A cancel asked during it ends the run as cancelled: the date is not stored.
        if (c.estado == EstadoCompactacion::kCancelada) host_.FijarCancelado(true);
    } catch (const std::exception& e) {
        // Nothing is lost: the engine changes nothing when it cannot compact. A notice in the
        // report; the purges that finished stay a finished run.
        u.resultado = resultado::kRechazada;
        u.error = e.what();
        AnotarError("Depurar", u.error);
    }
    u.fin = AhoraDiario();
    Registrar(u);
}

void Depuracion::CerrarTransaccionPendiente() {
    try {
        Conexion& cn = s_.datos.Conexion_();
        if (cn.NivelTransaccion() == 0) return;
        while (cn.NivelTransaccion() > 0) cn.RollbackTrans();
    } catch (const std::exception&) {
        // No connection, or the database already dropped it: nothing is left open either way.
    }
}

Trampa Depuracion::TrampaDialogo() {
    return Trampa([this](const Falla& e) {
        ultimaFalla_ = e.Descripcion();
        s_.formularios.EntrarTrampa(false);
        host_.FijarHayError(true);
        return s_.formularios.DialogoError(e);
    });
}

void Depuracion::Depurar() {
    // One run at a time per database: a second one writes nothing, not even the date.
    Purga marcadas[kCasillasPurga];
    std::size_t n = 0;
    for (CasillaPurga c : {kCasillaStock, kCasillaAsientos, kCasillaTemporales})
        if (host_.Casilla(c))
            marcadas[n++] = c == kCasillaStock      ? Purga::Stock
                            : c == kCasillaAsientos ? Purga::Asientos
                                                    : Purga::Temporales;
    const auto candado = TomarCandado(marcadas, n);
    if (!candado) return;
    // A cancel asked before the copy (a console's Ctrl-C meanwhile) stops the run before it.
    if (copia_) host_.ProcesarEventos();
    if (copia_ && !HacerCopia(marcadas, n)) return;
    ultimaFalla_.clear();

    // Every step is resume-next: the purges report their own failures. Before each purge the
    // host serves pending events (a console's Ctrl-C becomes Cancelado there) and whatever a
    // failure left open is rolled back, so no purge joins work that will never be committed.
    auto antes = [&] {
        host_.ProcesarEventos();
        CerrarTransaccionPendiente();
    };
    const Trampa t = Trampa::SeguirSiempre();
    t.Pasos({
        [&] { host_.Etiqueta(kRotuloInicio, HoraActual()); },
        [&] { host_.Etiqueta(kRotuloFinal, ""); },
        [&] { host_.IntervaloTemporizador(1); },
        [&] {
            if (compactar_) espacioAntes_ = s_.datos.Conexion_().EspacioTablas(TablasDepuradas());
        },
        [&] {
            if (!host_.Casilla(kCasillaStock)) return;
            antes();
            // The stock purge does not read the flag: run after a cancel, it is no "ok" either.
            const bool yaCancelado = host_.Cancelado();
            DepuraStock();
            if (yaCancelado)
                RegistrarPurga(Purga::Stock, resultado::kCancelada,
                               "el operador cancelo antes de que empezara y el procedimiento se ejecuto");
        },
        [&] {
            if (!host_.Casilla(kCasillaAsientos)) return;
            antes();
            DepuraAsientos();
        },
        [&] {
            if (!host_.Casilla(kCasillaTemporales)) return;
            antes();
            DepuraTemporales();
        },
        [&] { antes(); },
        [&] {
            if (compactar_ && !host_.Cancelado()) Compactar();
        },
        [&] {
            if (diario_) diario_->MarcarFinal();
            host_.Etiqueta(kRotuloFinal, "Final: " + HoraActual());
        },
        [&] {
            // A cancel asked until now (a console's Ctrl-C during the compaction) still counts.
            host_.ProcesarEventos();
            if (host_.Cancelado()) {
                s_.operador.Mensaje("Proceso Cancelado", vb::kSoloAceptar);
            } else if (GrabaDfg(s_, "FECHAULTIMADEPURACION", Value(host_.TextoFecha()), "", false, "DATOS",
                                true)) {
                if (diario_) diario_->FechaGrabada();
            }
        },
        [&] { host_.IntervaloTemporizador(0); },
        [&] { host_.TextoBotonCancelar("Cancelar Proceso"); },
    });
}

void Depuracion::CmdCancelar_Click() {
    host_.FijarCancelado(true);
    host_.TextoBotonCancelar("CANCELANDO Espere...");
}

namespace {
// Seconds since midnight of a "hh:mm:ss" text; -1 when it is not one.
int SegundosDeHora(const std::string& texto) {
    std::string t = Recortar(texto);
    int h = 0, m = 0, s = 0;
    char c1 = 0, c2 = 0;
    int leidos = std::sscanf(t.c_str(), "%d%c%d%c%d", &h, &c1, &m, &c2, &s);
    if (leidos < 3 || c1 != ':' || (leidos == 5 && c2 != ':')) return -1;
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return -1;
    return h * 3600 + m * 60 + s;
}
}  // namespace

void Depuracion::Timer1_Timer() {
    const Trampa t = Trampa::SeguirSiempre();
    t.Paso([&] {
        if (Recortar(host_.Etiqueta(kRotuloInicio)).empty()) return;
        const std::string actual = HoraActual();
        int inicio = SegundosDeHora(host_.Etiqueta(kRotuloInicio));
        // Once the run shows "Final:" its elapsed time stops there: a message box left open
        // afterwards ("Proceso Cancelado") is no part of the run.
        const std::string fin = host_.Etiqueta(kRotuloFinal);
        const bool terminada = fin.rfind("Final: ", 0) == 0;
        int ahora = SegundosDeHora(terminada ? fin.substr(7) : actual);
        if (inicio < 0 || ahora < 0) throw Falla(err::kTipoIncompatible, "Tipo de datos no coinciden");
        // Times of day only: a run across midnight counts on from 00:00:00.
        int transcurrido = (ahora - inicio + 86400) % 86400;
        host_.Etiqueta(kRotuloTranscurrido, "Actual: " + actual + " Transcurrido: " +
                                                TextoHora(Fecha::DesdeSerie(0, transcurrido)));
    });
}

}  // namespace dep
