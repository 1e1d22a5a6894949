#pragma once
// The operator interface with real dialogs: message boxes with the platform's buttons and
// icons, the error dialogs, the date chooser and the lookup list.
#include <string>

#include "runtime/operador.hpp"

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

  private:
    int Abortar(const std::string& texto, const std::string& titulo);
    QWidget* padre_;
    DataServices* datos_ = nullptr;
};

// The statement a lookup list reads: the select handed over, else the built one, else the
// whole table with its filter.
std::string ConsultaDeLista(const PedidoLista& p);

}  // namespace dep
