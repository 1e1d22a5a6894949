// The desktop program: opens the suite's database and shows FrmDepuracion.
#include <QApplication>

#include "app/ventana/programa.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    dep::Programa programa;
    programa.Ventana().show();
    return app.exec();
}
