#pragma once
// The input services that act on controls: moving the focus after a key that leaves a field,
// and the key filter of text boxes.
class QLineEdit;
class QWidget;

namespace dep {

// Enter, Tab and down go to the next control; up and Shift+Tab to the previous one.
void MoverFoco(QWidget& desde, int codigoTecla, bool mayusculas);

// The character to insert for `caracter` typed in the field, or 0 to cancel it. Control
// characters pass; a date field (tag "fecha") takes digits and the separators / - . : and
// blank; other fields get their letters in upper case.
int FiltrarTecla(const QLineEdit& campo, int caracter);

}  // namespace dep
