// The consolidation through the window's own host, FrmDepuracion, on the offscreen platform.
// Without the window built in, the measurement says why it was not taken.
#include <chrono>
#include <cstdlib>

#include "bench/medidas.hpp"
#include "runtime/falla.hpp"

#ifdef DEP_BENCH_VENTANA
#include <QApplication>
#include <QLineEdit>

#include "app/ventana/frm_depuracion.hpp"
#include "app/ventana/operador_qt.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#endif

namespace dep::bench {

#ifdef DEP_BENCH_VENTANA

bool VentanaDisponible(std::string&) {
    return true;
}

double RecorridoVentana(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char nombre[] = "depuracion-bench";
    char* argv[] = {nombre, nullptr};
    QApplication app(argc, argv);
    OperadorQt op;
    AjustesConexion a;
    a.motor = "sqlite";
    a.base = base;
    auto cn = AbrirConexion(a);
    DataServices datos(cn, op);
    FormServices formularios(op);
    LookupServices consultas(op);
    Servicios s{datos, formularios, consultas, op};
    op.FijarDatos(&datos);
    FrmDepuracion w(s);
    op.FijarPadre(&w);
    w.Form_Load();
    w.show();
    QApplication::processEvents();
    w.txtFields(0).setText(QString::fromStdString(hasta));
    long cedidas = 0;
    w.alCeder = [&cedidas] { ++cedidas; };
    const auto t0 = std::chrono::steady_clock::now();
    w.Purgas().DepuraAsientos();
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (w.HayError()) throw Falla(1, "la consolidación entró en su trampa de errores", "bench");
    v.push_back(static_cast<double>(cedidas));
    return t;
}

#else

bool VentanaDisponible(std::string& motivo) {
    motivo = "el programa se compiló sin la ventana (DEP_WITH_QT=OFF o sin Qt 6)";
    return false;
}

double RecorridoVentana(const std::string&, const std::string&, std::vector<double>&) {
    std::string motivo;
    VentanaDisponible(motivo);
    throw Falla(1, motivo, "bench");
}

#endif

}  // namespace dep::bench
