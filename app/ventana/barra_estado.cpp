#include "app/ventana/barra_estado.hpp"
#include "app/ventana/texto_qt.hpp"

#include <QDate>
#include <QLabel>

#include "common/trampa.hpp"
#include "runtime/conversions.hpp"

namespace dep {

BarraEstado::BarraEstado(QWidget* padre) : QStatusBar(padre) {
    setObjectName("sbStatusBar");
    for (std::size_t i = 0; i < kClaves.size(); ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QString("Panel_%1").arg(*kClaves[i] ? kClaves[i] : "FECHA"));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setContentsMargins(4, 0, 4, 0);
        paneles_[i] = l;
        if (i == kPanelFecha) l->setText(QDate::currentDate().toString("dd/MM/yyyy"));
        // MENSAJE takes the remaining width.
        if (i == kPanelMensaje)
            addWidget(l, 1);
        else
            addWidget(l);
    }
}

QLabel* BarraEstado::Panel(const std::string& clave) const {
    if (clave.empty()) return nullptr;
    for (std::size_t i = 0; i < kClaves.size(); ++i)
        if (IgualesSinCaso(clave, kClaves[i])) return paneles_[i];
    return nullptr;
}

QLabel* BarraEstado::PanelEn(int posicion) const {
    return posicion >= 1 && posicion <= 7 ? paneles_[posicion - 1] : nullptr;
}

std::string BarraEstado::Texto(const std::string& clave) const {
    QLabel* l = Panel(clave);
    return l ? l->text().toStdString() : std::string();
}

std::string BarraEstado::Ayuda(const std::string& clave) const {
    QLabel* l = Panel(clave);
    return l ? l->toolTip().toStdString() : std::string();
}

std::string& CajaActual() {
    static std::string caja;
    return caja;
}

namespace {

QLabel& Requerir(BarraEstado& sb, const char* clave) {
    QLabel* l = sb.Panel(clave);
    if (!l) throw Falla(35601, std::string("No se encontró el panel ") + clave);
    return *l;
}

}  // namespace

void CargaBarraEstado(BarraEstado& sb, const std::string& mensaje, Servicios& s) {
    const Trampa t = Trampa::SeguirSiempre();
    t.Paso([&] { Requerir(sb, "MENSAJE").setText(Q(mensaje)); });
    if (!sb.Texto("SERVER").empty()) return;  // filled before
    t.Paso([&] { Requerir(sb, "SERVER").setText(Q("Srv: " + s.datos.NombreServidor())); });
    t.Paso([&] { Requerir(sb, "USUARIO").setText(Q("Uid: " + s.datos.NombreUsuario())); });
    t.Paso([&] {
        QLabel& l = Requerir(sb, "BASEDEDATOS");
        l.setText(Q("Db: " + s.datos.NombreBaseDatos()));
        l.setToolTip(l.text());
    });
    t.Paso([&] {
        if (CajaActual().empty()) CajaActual() = '1';
    });
    t.Paso([&] {
        const Value d = s.datos.BuscarValor("@Admin_V_TA_Cajas", CajaActual(), "Descripcion", "IdCajas");
        if (Recortar(d.EsNulo() ? std::string() : d.ATexto()).empty()) {
            const std::string id = s.formularios.TextoSQL(Recortar(CajaActual()), 4);
            s.datos
                .Ejecutar("INSERT INTO @Admin_V_TA_Cajas (IDCAJAS,DESCRIPCION) VALUES('" + id + "','CAJA " +
                          DoblarComillas(CajaActual()) + "')")
                .Exigir();
        }
    });
    t.Paso([&] {
        QLabel& l = Requerir(sb, "CAJA");
        std::string desc;
        // A description that cannot be read leaves that part of the panel empty.
        t.Paso([&] {
            const Value d = s.datos.BuscarValor("V_TA_Cajas", CajaActual(), "Descripcion", "IdCajas");
            desc = d.EsNulo() ? std::string() : d.ATexto();
        });
        l.setText(Q(CajaActual() + " " + desc));
    });
    t.Paso([&] {
        Requerir(sb, "VERSION")
            .setText(Q("V." + TextoEntero(DEP_VERSION_MAJOR) + "." + TextoEntero(DEP_VERSION_MINOR) + "." +
                       TextoEntero(DEP_VERSION_PATCH)));
    });
    t.Paso([&] {
        for (const char* k : {"SERVER", "USUARIO", "BASEDEDATOS", "CAJA"}) {
            QLabel& l = Requerir(sb, k);
            l.setToolTip(l.text());
        }
    });
}

}  // namespace dep
