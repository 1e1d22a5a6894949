#pragma once
// An operator that answers from a script and remembers every question: the tests' stand-in for
// the window and the console.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "runtime/operador.hpp"

namespace dep {

class OperadorGuionado : public Operador {
  public:
    enum class Tipo { Mensaje, Confirmar, DialogoError, ErrorRutina, ElegirFecha, AbrirLista };

    struct Llamada {
        Tipo tipo = Tipo::Mensaje;
        std::string texto;   // message or question text, the error's description, or the chooser's start date
        int botones = 0;     // Mensaje only
        std::string titulo;  // Mensaje only
        long numero = 0;     // DialogoError and ErrorRutina: the error's number
        std::string descripcion;  // DialogoError and ErrorRutina: the error's description
        std::string rutina;       // ErrorRutina only
        PedidoLista pedido;       // AbrirLista only
    };

    // Answers, taken in order per kind; when a queue is empty the default answers.
    std::deque<int> respuestasMensaje;
    std::deque<bool> respuestasConfirmar;
    std::deque<int> respuestasDialogo;
    std::deque<int> respuestasRutina;
    std::deque<std::string> respuestasFecha;
    std::deque<std::string> respuestasLista;

    int defectoMensaje = vb::kAceptar;
    bool defectoConfirmar = true;  // the scripted operator goes on unless told otherwise
    int defectoDialogo = vb::kAbortar;
    int defectoRutina = vb::kAbortar;

    std::vector<Llamada> llamadas;

    int Mensaje(const std::string& texto, int botones = vb::kSoloAceptar,
                const std::string& titulo = "") override;
    bool Confirmar(const std::string& texto, const std::string& titulo) override;
    int DialogoError(const Falla& e) override;
    int ErrorRutina(const Falla& e, const std::string& rutina) override;
    std::string ElegirFecha(const std::string& inicial = {}) override;
    std::string AbrirLista(const PedidoLista& p) override;

    // Helpers for the assertions.
    std::size_t Cuantas(Tipo t) const;
    std::vector<Llamada> DeTipo(Tipo t) const;
    std::vector<std::string> Mensajes() const;  // texts of the message boxes, in order
    void Olvidar() { llamadas.clear(); }
};

}  // namespace dep
