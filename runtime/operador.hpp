#pragma once
// What the program asks of the operator: message boxes, error dialogs, the date chooser and
// the lookup list. The window, the console and the tests each implement it.
#include <string>

#include "runtime/falla.hpp"

namespace dep {

// Message-box buttons, icons and answers, with the platform's numbers.
namespace vb {
inline constexpr int kSoloAceptar = 0, kAceptarCancelar = 1, kAbortarReintentarIgnorar = 2, kSiNoCancelar = 3,
                     kSiNo = 4, kReintentarCancelar = 5;
inline constexpr int kCritico = 16, kPregunta = 32, kExclamacion = 48, kInformacion = 64;
inline constexpr int kBotonDefecto2 = 256;  // the second button is the default (and Esc's answer)
// What the operator answered; an int where a message box's answer is handed on. The error
// dialogs answer kAbortar, kReintentar or kIgnorar.
enum Respuesta : int {
    kAceptar = 1,
    kCancelar = 2,
    kAbortar = 3,
    kReintentar = 4,
    kIgnorar = 5,
    kSi = 6,
    kNo = 7
};
}  // namespace vb

inline constexpr const char* kTituloAplicacion = "DEPURACION DE DATOS";

// A lookup list as LookupServices opens it.
struct PedidoLista {
    std::string origen;  // table name or select statement
    std::string filtro;
    std::string seleccion;    // built select statement (may be empty)
    std::string campoCodigo;  // column whose value a choice hands back
    std::string archivoDefiniciones;
};

class Operador {
  public:
    virtual ~Operador() = default;
    // A message box; `titulo` empty means the application's default title. Returns the answer.
    virtual int Mensaje(const std::string& texto, int botones = vb::kSoloAceptar,
                        const std::string& titulo = "") = 0;
    // A yes/no question before something that cannot be undone, "No" the default: true for "Sí".
    virtual bool Confirmar(const std::string& texto, const std::string& titulo) {
        return Mensaje(texto, vb::kSiNo | vb::kPregunta | vb::kBotonDefecto2, titulo) == vb::kSi;
    }
    // The runtime component's error dialog (purge traps): kAbortar, kReintentar or kIgnorar.
    virtual int DialogoError(const Falla& e) = 0;
    // The data services' ErrorRutina dialog (numbering traps): same answers.
    virtual int ErrorRutina(const Falla& e, const std::string& rutina) = 0;
    // The date chooser, opened on `inicial` (a typed date; today when it holds none): the chosen
    // date as text, empty when cancelled.
    virtual std::string ElegirFecha(const std::string& inicial = {}) = 0;
    // Seconds the operator spent in the dialogs asked so far (0 when it cannot tell): a run's
    // duration leaves them out.
    virtual double SegundosEnDialogos() const { return 0; }
    // The lookup list: the code of the chosen row, empty when cancelled.
    virtual std::string AbrirLista(const PedidoLista& p) = 0;
};

}  // namespace dep
