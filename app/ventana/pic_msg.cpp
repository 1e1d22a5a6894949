#include "app/ventana/pic_msg.hpp"

#include <algorithm>
#include <cmath>

#include <QPainter>

namespace dep {

void PintarBarra(QImage& imagen, const DibujoBarra& d, const QFont& fuente) {
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    QFont f = fuente;
    f.setStyleStrategy(QFont::NoAntialias);  // exact pixels: the inversion stays two-coloured
    p.setFont(f);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    const QString leyenda = QString::fromStdString(d.leyenda);
    const QFontMetrics fm(f);
    const int w = imagen.width(), h = imagen.height();
    const int x = (w - fm.horizontalAdvance(leyenda)) / 2;
    const int y = (h - fm.height()) / 2;
    p.setPen(Qt::black);
    p.drawText(x, y + fm.ascent(), leyenda);

    // Horizontal scale 0..100: the percent is the right edge; the excess is clipped.
    const double borde = std::clamp(d.porcentaje, 0.0, 100.0) * w / 100.0;
    const int ancho = static_cast<int>(std::lround(borde));
    if (ancho > 0) {
        const QColor color(d.color & 0xFF, (d.color >> 8) & 0xFF, (d.color >> 16) & 0xFF);
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.fillRect(QRect(0, 0, ancho, h), color);
    }
}

PicMsg::PicMsg(QWidget* padre) : QWidget(padre) {
    setObjectName("PicMsg");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(22);
    imagen_ = QImage(1, 1, QImage::Format_RGB32);
    imagen_.fill(Qt::white);
    marco_.setSingleShot(true);
    connect(&marco_, &QTimer::timeout, this, [this] {
        if (pendiente_) RepintarYa();
    });
}

void PicMsg::Mostrar() {
    setVisible(true);
}

void PicMsg::Componer() const {
    sucia_ = false;
    const QSize s = size().expandedTo(QSize(1, 1));
    if (imagen_.size() != s) imagen_ = QImage(s, QImage::Format_RGB32);
    if (dibujado_)
        PintarBarra(imagen_, ultimo_, font());
    else
        imagen_.fill(Qt::white);
}

void PicMsg::RepintarYa() {
    if (sucia_) Componer();
    pendiente_ = false;
    marco_.stop();
    repaint();
    desdeRepintado_.restart();
    ++repintados_;
}

void PicMsg::Dibujar(const DibujoBarra& d) {
    ultimo_ = d;
    dibujado_ = true;
    sucia_ = true;
    if (!desdeRepintado_.isValid() || desdeRepintado_.elapsed() >= kMarcoMs) {
        RepintarYa();
    } else {
        pendiente_ = true;
        if (!marco_.isActive())
            marco_.start(static_cast<int>(std::max<qint64>(1, kMarcoMs - desdeRepintado_.elapsed())));
    }
}

void PicMsg::VaciarPendiente() {
    if (pendiente_ && (!desdeRepintado_.isValid() || desdeRepintado_.elapsed() >= kMarcoMs)) RepintarYa();
}

void PicMsg::paintEvent(QPaintEvent*) {
    if (sucia_) Componer();
    QPainter p(this);
    p.drawImage(0, 0, imagen_);
}

void PicMsg::resizeEvent(QResizeEvent*) {
    Componer();
}

}  // namespace dep
