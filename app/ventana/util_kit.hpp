#pragma once
// UtilKit1: the suite's record toolbar. It raises its click event with the key text of the
// pressed command and turns command keys (TeclaAbajo) into the same event.
//
// Command keys (platform key codes): F2 NUEVO, F3 CONSULTAR, F4 BORRAR, F5 PLANILLA, F6 REPORTE,
// F8 CANCELAR, F10 CERRAR, F12 GRABAR.
#include <array>
#include <functional>
#include <string>

#include <QToolBar>

class QAction;

namespace dep {

class UtilKit : public QToolBar {
    Q_OBJECT
  public:
    static constexpr std::array<const char*, 8> kComandos = {"NUEVO",     "BORRAR",  "GRABAR", "PLANILLA",
                                                             "CONSULTAR", "REPORTE", "CERRAR", "CANCELAR"};

    explicit UtilKit(QWidget* padre = nullptr);

    // The click event: receives the key text of the command, by reference.
    std::function<void(std::string&)> alClic;

    // The eight command states, in the toolbar's own order. Each enables its command, except the
    // last, which only marks the record as changed; CERRAR is always available.
    //   1 NUEVO  2 GRABAR  3 BORRAR  4 PLANILLA  5 CONSULTAR (lookup state)  6 REPORTE
    //   7 CANCELAR  8 record changed
    void FijarEstado(int posicion, bool activo);  // posicion 1..8
    bool Estado(int posicion) const;

    // A platform key code (112 = F1 ... 123 = F12). True when it was a command key; the
    // command's click event is raised when the command is enabled.
    bool TeclaAbajo(short codigoTecla);

    QAction* Accion(const std::string& tecla) const;  // by key text, any case; null when none
    // Raises the click event for the command, as a press of its button does.
    void Pulsar(const std::string& tecla);

  private:
    std::array<QAction*, 8> acciones_{};
    std::array<bool, 8> estados_{};
};

// The platform key code of a Qt key (0 when it has none).
int CodigoPlataforma(int teclaQt);

}  // namespace dep
