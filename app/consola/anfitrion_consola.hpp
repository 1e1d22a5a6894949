#pragma once
// The console's side of a purge run: progress captions on standard error, message boxes on
// standard output, error dialogs answered from --ante-error, Ctrl-C as the cancel button.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "app/consola/opciones.hpp"
#include "purge/anfitrion.hpp"
#include "purge/depuracion.hpp"
#include "runtime/operador.hpp"

namespace dep::consola {

// Set by Ctrl-C (on Windows also by closing the console window), read by the host when the
// purges yield.
extern std::atomic<bool> g_interrumpido;
void InstalarCtrlC();

// The progress line: on a terminal one line rewritten with \r; otherwise plain lines, at most a
// few a second, but the first and the last caption of every purge always.
class Avance {
  public:
    using Reloj = std::function<std::chrono::steady_clock::time_point()>;
    Avance(std::ostream& err, bool terminal, Reloj reloj = {});
    void Leyenda(const std::string& texto);
    void NuevaPurga();                     // the next caption opens a purge: print it at once
    void Vaciar();                         // print what is pending and end an open terminal line
    void Linea(const std::string& texto);  // a line of its own

  private:
    void Escribir(const std::string& texto);
    std::ostream& err_;
    bool terminal_;
    Reloj reloj_;
    std::chrono::steady_clock::time_point ultima_{};
    bool forzar_ = true;
    bool abierta_ = false;   // terminal line without its line feed yet
    std::string pendiente_;  // caption not printed yet
};

class OperadorConsola : public Operador {
  public:
    OperadorConsola(std::ostream& out, Avance& avance, AnteError ante)
        : out_(out), avance_(avance), ante_(ante) {}
    int Mensaje(const std::string& texto, int botones, const std::string& titulo) override;
    int DialogoError(const Falla& e) override;
    int ErrorRutina(const Falla& e, const std::string& rutina) override;
    std::string ElegirFecha(const std::string&) override { return {}; }
    std::string AbrirLista(const PedidoLista&) override { return {}; }
    void Progreso() { reintentos_ = 0; }  // the run moved on: a new failure is a new step
    int Dialogos() const { return dialogos_; }

  private:
    int Responder(const Falla& e, const std::string& rutina);
    std::ostream& out_;
    Avance& avance_;
    AnteError ante_;
    int reintentos_ = 0;
    long ultimoNumero_ = 0;
    std::string ultimaDescripcion_;
    int dialogos_ = 0;
};

class AnfitrionConsola : public AnfitrionCorrida, public Imagen {
  public:
    AnfitrionConsola(const Opciones& o, Avance& avance, OperadorConsola& op)
        : o_(o), avance_(avance), op_(op) {}
    void Asociar(Depuracion* d) { depuracion_ = d; }
    // Called at every yield before the Ctrl-C flag is read (tests raise SIGINT from it).
    std::function<void()> alProcesar;

    std::string TextoFecha() const override { return o_.hasta; }
    bool Cancelado() const override { return cancelado_; }
    void FijarCancelado(bool b) override { cancelado_ = b; }
    bool HayError() const override { return hayError_; }
    void FijarHayError(bool b) override { hayError_ = b; }
    Imagen& PicMsg() override { return *this; }
    void Pie(const std::string& texto) override { pie_ = texto; }
    void ProcesarEventos() override;
    bool CancelacionPedida() const override { return g_interrumpido.load(); }
    bool Casilla(CasillaPurga c) const override;
    void Etiqueta(RotuloHora r, const std::string& texto) override;
    std::string Etiqueta(RotuloHora r) const override;
    void IntervaloTemporizador(int ms) override { intervalo_ = ms; }
    void TextoBotonCancelar(const std::string& texto) override;

    void Mostrar() override;
    void Dibujar(const DibujoBarra& d) override;
    bool Visible() const override { return visible_; }

    const std::string& PieActual() const { return pie_; }

  private:
    const Opciones& o_;
    Avance& avance_;
    OperadorConsola& op_;
    Depuracion* depuracion_ = nullptr;
    bool cancelado_ = false, hayError_ = false, visible_ = false;
    std::string etiquetas_[kRotulosHora] = {"", "Tiempo Transcurrido", "Final:", "Inicio:"};
    std::string pie_;
    int intervalo_ = 100;
};

// The whole console program: options, connection, the run, the exit status.
// `alProcesar` and `envolver` are for tests only (the test console puts a connection that
// refuses or holds statements in front of the real one); the shipped program passes neither.
using Envoltura = std::function<std::shared_ptr<Conexion>(std::shared_ptr<Conexion>)>;
int Correr(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal,
           const std::function<void()>& alProcesar = {}, const Envoltura& envolver = {});

}  // namespace dep::consola
