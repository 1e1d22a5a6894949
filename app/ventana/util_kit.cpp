#include "app/ventana/util_kit.hpp"

#include <QAction>

#include "runtime/conversions.hpp"

namespace dep {
namespace {

// Which command each state enables (index into kComandos), -1 for the "changed" mark.
constexpr std::array<int, 8> kComandoDeEstado = {0, 2, 1, 3, 4, 5, 7, -1};

struct TeclaComando {
    short codigo;
    const char* comando;
};
constexpr std::array<TeclaComando, 8> kTeclas = {{{113, "NUEVO"},
                                                  {114, "CONSULTAR"},
                                                  {115, "BORRAR"},
                                                  {116, "PLANILLA"},
                                                  {117, "REPORTE"},
                                                  {119, "CANCELAR"},
                                                  {121, "CERRAR"},
                                                  {123, "GRABAR"}}};

}  // namespace

UtilKit::UtilKit(QWidget* padre) : QToolBar(padre) {
    setObjectName("UtilKit1");
    setMovable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (std::size_t i = 0; i < kComandos.size(); ++i) {
        const std::string tecla = kComandos[i];
        QAction* a = addAction(QString::fromStdString(tecla));
        for (const auto& t : kTeclas)
            if (tecla == t.comando) a->setToolTip(QString("%1 (F%2)").arg(a->text()).arg(t.codigo - 111));
        a->setObjectName(QString::fromStdString(tecla));
        a->setData(QString::fromStdString(tecla));
        connect(a, &QAction::triggered, this, [this, tecla] { Pulsar(tecla); });
        acciones_[i] = a;
        a->setEnabled(tecla == "CERRAR");
    }
}

void UtilKit::FijarEstado(int posicion, bool activo) {
    if (posicion < 1 || posicion > 8) return;
    estados_[posicion - 1] = activo;
    const int c = kComandoDeEstado[posicion - 1];
    if (c >= 0) acciones_[c]->setEnabled(activo);
}

bool UtilKit::Estado(int posicion) const {
    return posicion >= 1 && posicion <= 8 && estados_[posicion - 1];
}

QAction* UtilKit::Accion(const std::string& tecla) const {
    for (std::size_t i = 0; i < kComandos.size(); ++i)
        if (IgualesSinCaso(tecla, kComandos[i])) return acciones_[i];
    return nullptr;
}

void UtilKit::Pulsar(const std::string& tecla) {
    std::string t = tecla;
    if (alClic) alClic(t);
}

bool UtilKit::TeclaAbajo(short codigoTecla) {
    for (const auto& t : kTeclas) {
        if (t.codigo != codigoTecla) continue;
        QAction* a = Accion(t.comando);
        if (a && a->isEnabled()) Pulsar(t.comando);
        return true;
    }
    return false;
}

int CodigoPlataforma(int teclaQt) {
    if (teclaQt >= Qt::Key_F1 && teclaQt <= Qt::Key_F12) return 112 + (teclaQt - Qt::Key_F1);
    switch (teclaQt) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_End:
            return 35;
        default:
            break;
    }
    if (teclaQt >= Qt::Key_0 && teclaQt <= Qt::Key_9) return 48 + (teclaQt - Qt::Key_0);
    if (teclaQt >= Qt::Key_A && teclaQt <= Qt::Key_Z) return 65 + (teclaQt - Qt::Key_A);
    return 0;
}

}  // namespace dep
