// The run driver, its cancel button and its timer.
#include <cstdio>
#include <ctime>

#include "common/configuracion.hpp"
#include "purge/depuracion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

Fecha Depuracion::Ahora() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Fecha::DesdeYMD(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string Depuracion::HoraActual() const {
    return TextoHora(reloj_ ? reloj_() : Ahora());
}

Trampa Depuracion::TrampaDialogo() {
    return Trampa([this](const Falla& e) {
        s_.formularios.EntrarTrampa(false);
        host_.FijarHayError(true);
        return s_.formularios.DialogoError(e);
    });
}

void Depuracion::Depurar() {
    // Every step is resume-next: the purges report their own failures.
    const Trampa t = Trampa::SeguirSiempre();
    t.Pasos({
        [&] { host_.Etiqueta(0, HoraActual()); },
        [&] { host_.Etiqueta(2, ""); },
        [&] { host_.IntervaloTemporizador(1); },
        [&] {
            if (host_.Casilla(0)) DepuraStock();
        },
        [&] {
            if (host_.Casilla(1)) DepuraAsientos();
        },
        [&] {
            if (host_.Casilla(2)) DepuraTemporales();
        },
        [&] { host_.Etiqueta(2, "Final: " + HoraActual()); },
        [&] {
            if (host_.Cancelado())
                s_.operador.Mensaje("Proceso Cancelado", vb::kSoloAceptar);
            else
                GrabaDfg(s_, "FECHAULTIMADEPURACION", Value(host_.TextoFecha()), "", false, "DATOS", true);
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
        if (Recortar(host_.Etiqueta(0)).empty()) return;
        const std::string actual = HoraActual();
        int inicio = SegundosDeHora(host_.Etiqueta(0));
        int ahora = SegundosDeHora(actual);
        if (inicio < 0 || ahora < 0) throw Falla(err::kTipoIncompatible, "Tipo de datos no coinciden");
        // Times of day only: a run across midnight counts on from 00:00:00.
        int transcurrido = (ahora - inicio + 86400) % 86400;
        host_.Etiqueta(
            1, "Actual: " + actual + " Transcurrido: " + TextoHora(Fecha::DesdeSerie(0, transcurrido)));
    });
}

}  // namespace dep
