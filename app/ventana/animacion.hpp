#pragma once
// AniGIF1: a small spinning wheel shown while a run is in progress. It turns whenever the
// window processes its events (the consolidation yields regularly).
#include <QTimer>
#include <QWidget>

namespace dep {

class Animacion : public QWidget {
    Q_OBJECT
  public:
    explicit Animacion(QWidget* padre = nullptr);
    void Iniciar();
    void Detener();
    bool Animando() const { return reloj_.isActive(); }
    QSize sizeHint() const override { return {40, 40}; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QTimer reloj_;
    int paso_ = 0;
};

}  // namespace dep
