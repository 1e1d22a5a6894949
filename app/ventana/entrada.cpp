#include "app/ventana/entrada.hpp"

#include <QLineEdit>
#include <QVariant>

namespace dep {

void MoverFoco(QWidget& desde, int codigoTecla, bool mayusculas) {
    const bool atras = codigoTecla == 38 || (codigoTecla == 9 && mayusculas);
    QWidget* w = &desde;
    for (;;) {
        w = atras ? w->previousInFocusChain() : w->nextInFocusChain();
        if (!w || w == &desde) return;
        if (w->window() == desde.window() && w->isVisibleTo(desde.window()) && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(atras ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return;
        }
    }
}

int FiltrarTecla(const QLineEdit& campo, int caracter) {
    if (caracter < 32 || caracter == 127) return caracter;
    if (campo.property("Tag").toString().trimmed().compare("fecha", Qt::CaseInsensitive) == 0) {
        const bool vale = (caracter >= '0' && caracter <= '9') || caracter == '/' || caracter == '-' ||
                          caracter == '.' || caracter == ':' || caracter == ' ';
        return vale ? caracter : 0;
    }
    return QChar(caracter).toUpper().unicode();
}

}  // namespace dep
