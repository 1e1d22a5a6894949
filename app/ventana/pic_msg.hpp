#pragma once
// PicMsg: the picture box of the progress bar. The picture (a QImage) is exact whenever it is
// read or painted (it is composed then, not at every draw: a walk draws once per merge batch);
// what reaches the screen is limited to one repaint per frame while the caller yields,
// and a draw that follows a quiet frame is painted at once, so that a caption shown just
// before a long statement is on screen while the statement runs.
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include "common/barra_progreso.hpp"

namespace dep {

class PicMsg : public QWidget, public Imagen {
    Q_OBJECT
  public:
    static constexpr int kMarcoMs = 16;

    explicit PicMsg(QWidget* padre = nullptr);

    void Mostrar() override;
    void Dibujar(const DibujoBarra& d) override;
    bool Visible() const override { return !isHidden(); }

    // Paints a draw still waiting for its frame, when the frame has passed.
    void VaciarPendiente();
    bool Pendiente() const { return pendiente_; }
    const QImage& Imagen_() const {
        if (sucia_) Componer();
        return imagen_;
    }
    const DibujoBarra& Ultimo() const { return ultimo_; }  // the last draw
    int Repintados() const { return repintados_; }         // repaints that reached the screen

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    void Componer() const;
    void RepintarYa();

    mutable QImage imagen_;
    mutable bool sucia_ = false;  // a draw came since the picture was composed
    DibujoBarra ultimo_;
    bool dibujado_ = false;
    bool pendiente_ = false;
    int repintados_ = 0;
    QElapsedTimer desdeRepintado_;
    QTimer marco_;
};

// Draws the bar into an image: white background, caption centred in black, then the box filled
// with NOT (pen XOR pixel), so the covered part of the caption shows inverted.
void PintarBarra(QImage& imagen, const DibujoBarra& d, const QFont& fuente);

}  // namespace dep
