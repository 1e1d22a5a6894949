// depuracion-captura: the window of the program, driven for pictures (scripts/screenshot.sh);
// a test aid, never installed. On the database the settings name (DEPURACION_BASE), it types
// the date, opens the preview, runs GRABAR and saves what was asked:
//   depuracion-captura --fecha 31/12/2022 --ventana v.png [--vista-previa p.png] [--resumen r.png]
//                      [--confirmacion c.png]
// --ventana: the window at the 40th yield of the run (at its end when the run is shorter);
// --vista-previa: the preview before the run; --resumen: the end-of-run summary;
// --confirmacion: GRABAR's question, which is answered "Sí". Other dialogs that wait for an
// answer are answered with their default button; each is echoed to stderr, and saved as
// dialogo-N.png in the folder --dialogos names.
#include <cstdio>
#include <map>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/ventana/dlg_texto.hpp"
#include "app/ventana/programa.hpp"
#include "app/ventana/util_kit.hpp"

namespace {

struct Pedido {
    std::string fecha = "31/12/2021", ventana, vistaPrevia, resumen, confirmacion, dialogos;
};

bool Leer(int argc, char** argv, Pedido& p) {
    const std::map<std::string, std::string*> opciones = {
        {"--fecha", &p.fecha},     {"--ventana", &p.ventana},           {"--vista-previa", &p.vistaPrevia},
        {"--resumen", &p.resumen}, {"--confirmacion", &p.confirmacion}, {"--dialogos", &p.dialogos}};
    for (int i = 1; i + 1 < argc; i += 2) {
        const auto o = opciones.find(argv[i]);
        if (o == opciones.end()) return false;
        *o->second = argv[i + 1];
    }
    return argc % 2 == 1 && !p.ventana.empty();
}

bool Guardar(QWidget& w, const std::string& png) {
    if (png.empty()) return true;
    const bool ok = w.grab().save(QString::fromStdString(png));
    std::fprintf(stderr, ok ? "guardada %s\n" : "no se pudo guardar %s\n", png.c_str());
    return ok;
}

void ResponderDialogos(const Pedido& p) {
    QWidget* m = QApplication::activeModalWidget();
    auto* caja = qobject_cast<QMessageBox*>(m);
    if (!caja) return;
    std::fprintf(stderr, "dialogo: %s\n", caja->text().toStdString().c_str());
    QAbstractButton* b = caja->defaultButton();
    if (caja->windowTitle() == QString::fromUtf8("Confirmar la depuración")) {
        Guardar(*caja, p.confirmacion);
        b = caja->button(QMessageBox::Yes);
    } else if (!p.dialogos.empty()) {
        static int n = 0;
        Guardar(*caja, p.dialogos + "/dialogo-" + std::to_string(++n) + ".png");
    }
    if (!b && !caja->buttons().isEmpty()) b = caja->buttons().first();
    if (b) b->click();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Pedido p;
    if (!Leer(argc, argv, p)) {
        std::fprintf(stderr,
                     "uso: depuracion-captura [--fecha F] --ventana V.png [--vista-previa P.png] [--resumen "
                     "R.png] [--confirmacion C.png] [--dialogos CARPETA]\n");
        return 2;
    }
    QTimer respuestas;
    QObject::connect(&respuestas, &QTimer::timeout, [&p] { ResponderDialogos(p); });
    respuestas.start(200);

    dep::Programa programa;
    dep::FrmDepuracion& w = programa.Ventana();
    w.show();
    int estado = 0;
    QTimer::singleShot(500, &w, [&] {
        w.txtFields(0).setText(QString::fromStdString(p.fecha));
        if (!p.vistaPrevia.empty()) {
            w.CmdVistaPrevia().click();
            if (!Guardar(w.DlgVistaPrevia(), p.vistaPrevia)) estado = 1;
            w.DlgVistaPrevia().hide();
        }
        int cedidas = 0;
        bool tomada = false;
        w.alCeder = [&] {
            if (++cedidas != 40) return;
            tomada = Guardar(w, p.ventana);
            if (!tomada) estado = 1;
        };
        w.UtilKit1().Pulsar("GRABAR");
        w.alCeder = nullptr;
        if (!tomada && cedidas < 40 && !Guardar(w, p.ventana)) estado = 1;
        if (!p.resumen.empty() && (!w.DlgResumen().isVisible() || !Guardar(w.DlgResumen(), p.resumen)))
            estado = 1;
        QCoreApplication::exit(estado);
    });
    return app.exec();
}
