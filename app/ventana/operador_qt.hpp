#pragma once
// The operator interface with real dialogs: message boxes with the platform's buttons and
// icons, the error dialogs, the date chooser and the lookup list.
#include <string>

#include "runtime/operador.hpp"

class QMessageBox;
class QWidget;

namespace dep {

class DataServices;

class OperadorQt : public Operador {
  public:
    explicit OperadorQt(QWidget* padre = nullptr) : padre_(padre) {}
    void FijarPadre(QWidget* p) { padre_ = p; }
    // The lookup list reads its rows through these data services.
    void FijarDatos(DataServices* d) { datos_ = d; }

    int Mensaje(const std::string& texto, int botones = vb::kSoloAceptar,
                const std::string& titulo = "") override;
    int DialogoError(const Falla& e) override;
    int ErrorRutina(const Falla& e, const std::string& rutina) override;
    std::string ElegirFecha(const std::string& inicial = {}) override;
    std::string AbrirLista(const PedidoLista& p) override;

    // Seconds the operator spent with a dialog of this operator open, since the program began.
    double SegundosEnDialogos() const override { return segundosEnDialogos_; }

  private:
    int Abortar(const std::string& texto, const std::string& detalle);
    int Mostrar(QMessageBox& m, int botones);
    double segundosEnDialogos_ = 0;
    QWidget* padre_;
    DataServices* datos_ = nullptr;
};

// What a database refusal means, in the operator's words (the engine's text goes to the
// dialog's technical detail).
std::string FallaEnPalabras(const std::string& descripcion);

// The statement a lookup list reads: the select handed over, else the built one, else the
// whole table with its filter.
std::string ConsultaDeLista(const PedidoLista& p);

}  // namespace dep
