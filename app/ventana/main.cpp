// The desktop program: opens the suite's database and shows FrmDepuracion.
#include <QApplication>
#include <QIcon>

#include <iostream>
#include <string>

#include "app/ventana/programa.hpp"
#include "runtime/version.hpp"

int main(int argc, char** argv) {
    // Answered before Qt starts: neither needs a display.
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--version") {
            std::cout << dep::TextoVersion("depuracion");
            return 0;
        }
        if (a == "--help" || a == "-h" || a == "--ayuda") {
            std::cout
                << "Uso: depuracion [--help | --version]\n\n"
                   "Abre la ventana «DEPURACION DE DATOS» sobre la base de datos que indican cn000pr.ini,\n"
                   "DEPURACION_BASE o DEPURACION_ODBC. Sin ventana: depuracion-consola --help.\n";
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(":/depuracion.png"));
    QGuiApplication::setDesktopFileName("depuracion");  // the desktop entry's icon and name
    dep::Programa programa;
    programa.Ventana().show();
    return app.exec();
}
