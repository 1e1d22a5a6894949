#include "app/ventana/animacion.hpp"

#include <QPainter>

namespace dep {

namespace {
constexpr int kRayos = 12;
}

Animacion::Animacion(QWidget* padre) : QWidget(padre) {
    setObjectName("AniGIF1");
    setFixedSize(40, 40);
    reloj_.setInterval(80);
    connect(&reloj_, &QTimer::timeout, this, [this] {
        paso_ = (paso_ + 1) % kRayos;
        update();
    });
}

void Animacion::Iniciar() {
    paso_ = 0;
    reloj_.start();
    update();
}

void Animacion::Detener() {
    reloj_.stop();
}

void Animacion::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    const double r = std::min(width(), height()) / 2.0 - 2;
    for (int i = 0; i < kRayos; ++i) {
        const int edad = (paso_ - i + kRayos) % kRayos;  // the newest ray is the darkest
        QColor c(0, 70, 160);
        c.setAlpha(255 - edad * 18);
        p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
        p.save();
        p.rotate(i * 360.0 / kRayos);
        p.drawLine(QPointF(0, -r * 0.45), QPointF(0, -r));
        p.restore();
    }
}

}  // namespace dep
