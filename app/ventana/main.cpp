// The desktop program: opens the suite's database and shows FrmDepuracion.
//
// DEPURACION_CAPTURA=<file.png> (used by scripts/screenshot.sh) starts a run on the date of
// DEPURACION_CAPTURA_FECHA (default 31/12/2021) once the window shows, saves a picture of the
// window at the 40th yield of the run and ends the program.
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include "app/ventana/frm_depuracion.hpp"
#include "app/ventana/operador_qt.hpp"
#include "app/ventana/util_kit.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    dep::OperadorQt op;

    std::shared_ptr<dep::Conexion> cn;
    std::string fallo;
    try {
        cn = dep::AbrirConexion(dep::LeerAjustesConexion());
    } catch (const std::exception& e) {
        fallo = e.what();
    }
    dep::DataServices datos(cn, op);
    dep::FormServices formularios(op);
    dep::LookupServices consultas(op);
    dep::Servicios s{datos, formularios, consultas, op};
    op.FijarDatos(&datos);

    if (!fallo.empty())
        op.Mensaje("No se pudo abrir la base de datos:\n" + fallo +
                       "\n\nLa ventana se abre sin conexión: no se podrá depurar.",
                   dep::vb::kSoloAceptar | dep::vb::kExclamacion, "Aviso al Operador");

    dep::FrmDepuracion w(s);
    op.FijarPadre(&w);
    // Ending the program during a run cannot wait for the run to return: it ends at once (an
    // open transaction is rolled back by the database).
    w.FijarTerminar([&w] {
        if (w.EnCorrida()) std::_Exit(0);
        QCoreApplication::exit(0);
    });
    w.Form_Load();
    w.show();

    if (const char* captura = std::getenv("DEPURACION_CAPTURA"); captura && *captura) {
        const char* f = std::getenv("DEPURACION_CAPTURA_FECHA");
        const std::string fecha = f && *f ? f : "31/12/2021";
        const std::string png = captura;
        auto cedidas = std::make_shared<int>(0);
        w.alCeder = [&w, png, cedidas] {
            if (++*cedidas != 40) return;
            w.grab().save(QString::fromStdString(png));
            std::_Exit(0);
        };
        QTimer::singleShot(500, &w, [&w, fecha] {
            w.txtFields(0).setText(QString::fromStdString(fecha));
            w.UtilKit1().Pulsar("GRABAR");
            // A run too short to reach the picture: take it at the end.
            w.grab().save(QString::fromStdString(std::getenv("DEPURACION_CAPTURA")));
            std::_Exit(0);
        });
    }
    return app.exec();
}
