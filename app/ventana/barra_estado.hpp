#pragma once
// sbStatusBar: seven panels, by key — VERSION, SERVER, BASEDEDATOS, USUARIO, CAJA, the date
// panel (no key) and MENSAJE, the widest — and the routine that fills them.
#include <array>
#include <string>

#include <QStatusBar>

#include "runtime/servicios.hpp"

class QLabel;

namespace dep {

class BarraEstado : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr std::array<const char*, 7> kClaves = {"VERSION", "SERVER", "BASEDEDATOS", "USUARIO",
                                                           "CAJA",    "",       "MENSAJE"};
    static constexpr std::size_t kPanelFecha = 5, kPanelMensaje = 6;  // indices in kClaves
    explicit BarraEstado(QWidget* padre = nullptr);

    // The panel of a key (any case); the date panel is Panel(6) by position. Null when none.
    QLabel* Panel(const std::string& clave) const;
    QLabel* PanelEn(int posicion) const;  // 1..7
    std::string Texto(const std::string& clave) const;
    std::string Ayuda(const std::string& clave) const;  // tooltip

  private:
    std::array<QLabel*, 7> paneles_{};
};

// The current cash box id (module setting CajaActual): empty at start, "1" once the bar is filled.
std::string& CajaActual();

// Fills the panels (only MENSAJE once they were filled), creating the current cash box in
// "@Admin_V_TA_Cajas" when it has no description. A failing step is skipped.
void CargaBarraEstado(BarraEstado& sb, const std::string& mensaje, Servicios& s);

}  // namespace dep
