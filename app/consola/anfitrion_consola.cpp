#include "app/consola/anfitrion_consola.hpp"

#include "runtime/plataforma/consola.hpp"

namespace dep::consola {

std::atomic<bool> g_interrumpido{false};

void InstalarCtrlC() {
    g_interrumpido.store(false);
    plataforma::AtenderInterrupcion(g_interrumpido);
}

// ---------------------------------------------------------------------------- Avance

Avance::Avance(std::ostream& err, bool terminal, Reloj reloj)
    : err_(err),
      terminal_(terminal),
      reloj_(reloj ? std::move(reloj) : [] { return std::chrono::steady_clock::now(); }) {}

void Avance::Escribir(const std::string& texto) {
    if (terminal_) {
        err_ << '\r' << texto << "\x1b[K" << std::flush;
        abierta_ = true;
    } else {
        err_ << texto << '\n' << std::flush;
    }
    ultima_ = reloj_();
    pendiente_.clear();
}

void Avance::Leyenda(const std::string& texto) {
    const auto espera = terminal_ ? std::chrono::milliseconds(50) : std::chrono::milliseconds(250);
    if (forzar_ || reloj_() - ultima_ >= espera) {
        forzar_ = false;
        Escribir(texto);
    } else {
        pendiente_ = texto;
    }
}

void Avance::NuevaPurga() {
    if (!pendiente_.empty()) Escribir(pendiente_);
    forzar_ = true;
}

void Avance::Vaciar() {
    if (!pendiente_.empty()) Escribir(pendiente_);
    if (abierta_) {
        err_ << '\n' << std::flush;
        abierta_ = false;
    }
}

void Avance::Linea(const std::string& texto) {
    Vaciar();
    err_ << texto << '\n' << std::flush;
}

// ---------------------------------------------------------------------------- Operador

int OperadorConsola::Mensaje(const std::string& texto, int, const std::string&) {
    avance_.Vaciar();
    out_ << texto << std::endl;
    return vb::kAceptar;
}

int OperadorConsola::Responder(const Falla& e, const std::string& rutina) {
    ++dialogos_;
    int r = vb::kAbortar;
    if (ante_ == AnteError::Ignorar) {
        r = vb::kIgnorar;
    } else if (ante_ == AnteError::Reintentar) {
        const bool mismo = e.Numero() == ultimoNumero_ && e.Descripcion() == ultimaDescripcion_;
        if (!mismo) reintentos_ = 0;
        if (reintentos_ < 3) {
            ++reintentos_;
            r = vb::kReintentar;
        }
    }
    ultimoNumero_ = e.Numero();
    ultimaDescripcion_ = e.Descripcion();
    avance_.Vaciar();
    const char* respuesta = r == vb::kReintentar ? "Reintentar" : r == vb::kIgnorar ? "Ignorar" : "Abortar";
    out_ << "ERROR (" << e.Numero() << ") " << e.Descripcion();
    if (!e.Origen().empty() || !rutina.empty())
        out_ << " [" << e.Origen() << (rutina.empty() ? "" : " - " + rutina) << "]";
    out_ << " -> " << respuesta << std::endl;
    return r;
}

int OperadorConsola::DialogoError(const Falla& e) {
    return Responder(e, "");
}
int OperadorConsola::ErrorRutina(const Falla& e, const std::string& rutina) {
    return Responder(e, rutina);
}

// ---------------------------------------------------------------------------- Anfitrion

void AnfitrionConsola::ProcesarEventos() {
    op_.Progreso();
    if (alProcesar) alProcesar();
    if (g_interrumpido.load() && !cancelado_ && depuracion_ != nullptr) depuracion_->CmdCancelar_Click();
}

bool AnfitrionConsola::Casilla(CasillaPurga c) const {
    switch (c) {
        case kCasillaStock:
            return o_.stock;
        case kCasillaAsientos:
            return o_.asientos;
        case kCasillaTemporales:
            return o_.temporales;
        default:
            return false;
    }
}

void AnfitrionConsola::Etiqueta(RotuloHora r, const std::string& texto) {
    if (r >= 0 && r < kRotulosHora) etiquetas_[r] = texto;
}

std::string AnfitrionConsola::Etiqueta(RotuloHora r) const {
    return r >= 0 && r < kRotulosHora ? etiquetas_[r] : std::string();
}

void AnfitrionConsola::TextoBotonCancelar(const std::string& texto) {
    if (texto == "CANCELANDO Espere...") avance_.Linea(texto);
}

void AnfitrionConsola::Mostrar() {
    visible_ = true;
    avance_.NuevaPurga();
}

void AnfitrionConsola::Dibujar(const DibujoBarra& d) {
    op_.Progreso();
    avance_.Leyenda(d.leyenda);
}

}  // namespace dep::consola
