// FrmDepuracion: load and unload, the toolbar command, the validation and the field events.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <vector>

#include "app/ventana/animacion.hpp"
#include "app/ventana/barra_estado.hpp"
#include "app/ventana/dlg_texto.hpp"
#include "app/ventana/entrada.hpp"
#include "app/ventana/frm_depuracion.hpp"
#include "app/ventana/pic_msg.hpp"
#include "app/ventana/texto_qt.hpp"
#include "app/ventana/util_kit.hpp"
#include "common/configuracion.hpp"
#include "lookup/consultar_campo.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

constexpr std::uint32_t kColorFoco = 0xFFFF00;  // 0x00BBGGRR: cyan
constexpr std::uint32_t kColorNormal = 0xFFFFFF;

std::string TagDe(const QLineEdit& c) {
    return c.property("Tag").toString().toStdString();
}

int Shift(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

// The field as the lookup sees it.
class CampoVentana : public CampoConsulta {
  public:
    CampoVentana(FrmDepuracion& f, int i) : f_(f), i_(i) {}
    std::string Etiqueta() const override { return TagDe(f_.txtFields(i_)); }
    std::string Texto() const override { return f_.txtFields(i_).text().toStdString(); }
    void Escribir(const std::string& t) override { f_.txtFields(i_).setText(QString::fromStdString(t)); }
    void PulsarEnter() override { f_.txtFields_KeyDown(i_, 13, 0); }

  private:
    FrmDepuracion& f_;
    int i_;
};

}  // namespace

void FrmDepuracion::Proteger(const std::function<void()>& f) {
    try {
        f();
    } catch (const Falla& e) {
        s_.operador.Mensaje(e.Descripcion(), vb::kSoloAceptar | vb::kExclamacion, "Aviso al Operador");
    } catch (const std::exception& e) {
        s_.operador.Mensaje(e.what(), vb::kSoloAceptar | vb::kExclamacion, "Aviso al Operador");
    }
}

void FrmDepuracion::Form_Load() {
    AplicaSkin(*this, skinFramework1_, s_.formularios);
    CargaBarraEstado(*sbStatusBar_, "", s_);
    s_.formularios.PrepararVentana(this, 0);
    Inicializa();
}

void FrmDepuracion::Inicializa() {
    cancelado_ = false;
    DetalleOn(false);
    txtFields_[0]->setText(QString::fromStdString(Cfg(s_, "FECHAULTIMADEPURACION")));
    aniGIF1_->Detener();
    aniGIF1_->hide();
}

void FrmDepuracion::DetalleOn(bool) {
    // The fifth state, the lookup, belongs to the field focus handlers.
    utilKit1_->FijarEstado(1, true);
    utilKit1_->FijarEstado(2, true);
    utilKit1_->FijarEstado(3, false);
    utilKit1_->FijarEstado(4, false);
    utilKit1_->FijarEstado(6, false);
    utilKit1_->FijarEstado(7, false);
    utilKit1_->FijarEstado(8, false);
}

void FrmDepuracion::UtilKit1_click(std::string& tecla) {
    const std::string t = Mayusculas(tecla);
    if (t == "GRABAR")
        Grabar();
    else if (t == "CONSULTAR")
        ConsultarCampo();
    else if (t == "CERRAR")
        Form_Unload();
    // NUEVO, BORRAR, PLANILLA, REPORTE and CANCELAR do nothing in this window.
}

bool FrmDepuracion::ListoPara(const std::string& que) {
    if (!s_.datos.EstaConectado()) {
        s_.operador.Mensaje("No se puede " + que + ": la base de datos no está abierta." +
                                (sinConexion_.empty() ? std::string() : "\n" + sinConexion_),
                            vb::kSoloAceptar | vb::kExclamacion, "Aviso al Operador");
        return false;
    }
    if (const std::string rechazo = RechazoFechaCorte(TextoFecha(), Depuracion::Ahora()); !rechazo.empty()) {
        // "Fecha incorrecta" first, as the operator knows it, then why.
        if (rechazo == kFechaIncorrecta)
            s_.operador.Mensaje(rechazo + std::string("\n\n") + PorQueFechaIncorrecta(TextoFecha()),
                                vb::kSoloAceptar | vb::kExclamacion, kFechaIncorrecta);
        else
            s_.operador.Mensaje(rechazo, vb::kSoloAceptar | vb::kExclamacion);
        return false;
    }
    // The statements and the stored last purge date carry the field's text: written back as the
    // check above read it.
    txtFields_[0]->setText(Q(TextoFechaCorte(TextoFecha())));
    return true;
}

// For the length of a run: the date and the boxes of GRABAR hold, so the field and the boxes
// take no input (a date retyped mid-run would give the two passes different dates), and the
// pass shown in the status bar is cleared at the end, however the run ends.
class FrmDepuracion::Corrida {
  public:
    explicit Corrida(FrmDepuracion& f) : f_(f) {
        // A cancel pressed while no run went on (or left by one that ended on an error) is not
        // this run's: it would stop it after its first date.
        f_.cancelado_ = false;
        f_.cmdCancelar_->setText("Cancelar Proceso");
        f_.fechaCorrida_ = f_.txtFields_[0]->text().toStdString();
        for (std::size_t i = 0; i < f_.chkStock_.size(); ++i)
            f_.casillasCorrida_[i] = f_.chkStock_[i]->isChecked();
        f_.enCorrida_ = true;
        // What takes no input during the run looks so; the cancel button is the run's own.
        f_.txtFields_[0]->setReadOnly(true);
        for (QWidget* w : Bloqueados()) w->setEnabled(false);
        if (QAction* g = f_.utilKit1_->Accion("GRABAR")) {
            grabar_ = g->isEnabled();
            g->setEnabled(false);
        }
        f_.cmdCancelar_->setEnabled(true);
        if (!f_.s_.datos.EstaConectado()) return;
        f_.s_.datos.Conexion_().FijarAlEsperarBloqueo([&f = f_] { f.AlEsperarBloqueo(); });
        f_.s_.datos.Conexion_().FijarAlProgresar([&f = f_] { f.AlProgresarEnCorrida(); });
    }
    ~Corrida() {
        f_.enCorrida_ = false;
        f_.txtFields_[0]->setReadOnly(false);
        for (QWidget* w : Bloqueados()) w->setEnabled(true);
        if (QAction* g = f_.utilKit1_->Accion("GRABAR")) g->setEnabled(grabar_);
        f_.cmdCancelar_->setEnabled(false);
        if (f_.s_.datos.EstaConectado()) {
            f_.s_.datos.Conexion_().FijarAlEsperarBloqueo({});
            f_.s_.datos.Conexion_().FijarAlProgresar({});
        }
        if (QLabel* m = f_.sbStatusBar_->Panel("MENSAJE")) {
            m->clear();
            m->setToolTip({});
        }
    }
    Corrida(const Corrida&) = delete;
    Corrida& operator=(const Corrida&) = delete;

  private:
    std::vector<QWidget*> Bloqueados() const {
        std::vector<QWidget*> v(f_.chkStock_.begin(), f_.chkStock_.end());
        v.insert(v.end(), {f_.txtFields_[0], f_.chkCopia_, f_.cmdCarpetaCopia_, f_.cmdVistaPrevia_});
        return v;
    }
    FrmDepuracion& f_;
    bool grabar_ = true;
};

void FrmDepuracion::Grabar() {
    // A GRABAR that arrives at a yield of the run in progress, or once a close was confirmed.
    if (enCorrida_ || cerrarAlTerminar_) return;
    if (!ListoPara("depurar")) return;
    bool valido = false;
    Datosvalidos(valido);
    if (!valido) return;
    if (!ConfirmarCorrida()) return;  // "No": nothing changes

    // A close the operator confirmed during the run happens once the run has ended, and once
    // the operator has read its summary.
    auto cerrarSiSePidio = [this] {
        if (!cerrarAlTerminar_) return;
        if (!dlgResumen_->isVisible()) {
            Form_Unload();
            return;
        }
        connect(
            dlgResumen_, &QDialog::finished, this, [this] { Form_Unload(); }, Qt::SingleShotConnection);
    };
    try {
        {
            Corrida corrida(*this);
            aniGIF1_->show();
            aniGIF1_->Iniciar();
            try {
                DepurarConDiario();
            } catch (...) {
                aniGIF1_->Detener();
                aniGIF1_->hide();
                throw;
            }
        }
        if (!hayError_) {
            Inicializa();
            txtFields_[0]->setFocus();
            txtFields_[0]->setSelection(0, static_cast<int>(txtFields_[0]->text().size()));
        }
        aniGIF1_->Detener();
        aniGIF1_->hide();
    } catch (...) {
        cerrarSiSePidio();
        throw;
    }
    cerrarSiSePidio();
}

void FrmDepuracion::Datosvalidos(bool& valido) {
    hayError_ = false;
    for (std::size_t i = 0; i < txtFields_.size(); ++i) {
        CampoValida(static_cast<int>(i), *txtFields_[i]);
        if (hayError_) break;
    }
    valido = !hayError_;
}

bool FrmDepuracion::CampoValida(int, QLineEdit& campo) {
    hayError_ = false;
    try {
        const std::string texto = Recortar(campo.text().toStdString());
        if (IgualesSinCaso(campo.property("DataField").toString().toStdString(), "Fecha") && texto.empty()) {
            s_.operador.Mensaje(" Debe informar el Campo Fecha", vb::kSoloAceptar | vb::kInformacion,
                                "Aviso al operador...");
            hayError_ = true;
            campo.setFocus();
            return hayError_;
        }
        if (!Recortar(TagDe(campo)).empty()) VerRelacion();
    } catch (const std::exception& e) {
        // Back to the field; the flag stays clear, as the routine always did.
        s_.operador.Mensaje(e.what(), vb::kSoloAceptar | vb::kInformacion, "Aviso al operador...");
        campo.setFocus();
    }
    return hayError_;
}

void FrmDepuracion::ConsultarCampo() {
    if (enCorrida_) return;  // the field holds the run's date until the run ends
    CampoVentana campo(*this, indiceCampo_);
    ::dep::ConsultarCampo(s_.formularios, s_.consultas, campo);
}

bool FrmDepuracion::Form_KeyDown(int codigoTecla, int) {
    return utilKit1_->TeclaAbajo(static_cast<short>(codigoTecla));
}

void FrmDepuracion::Form_Unload() {
    if (descargada_) return;
    if (enCorrida_) {
        PedirCierreEnCorrida();
        return;
    }
    descargada_ = true;
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (terminar_) terminar_();
}

void FrmDepuracion::PedirCierreEnCorrida(const std::string& aviso) {
    if (cerrarAlTerminar_) return;  // already asked, and the run is stopping
    const int r = s_.operador.Mensaje(
        "Hay una depuración en curso.\n\n¿Desea detenerla y cerrar el programa?\n\n"
        "Si responde «Sí», la depuración se cancela como con el botón de cancelar: termina lo que "
        "está haciendo, deja los datos en orden y el programa se cierra al terminar." +
            (aviso.empty() ? std::string() : "\n\n" + aviso),
        vb::kSiNo | vb::kPregunta);
    if (r != vb::kSi) return;
    cerrarAlTerminar_ = true;
    depuracion_.CmdCancelar_Click();
}

void FrmDepuracion::AtenderDuranteEspera(bool cerrar) {
    if (atendiendo_ || !enCorrida_) return;
    struct Marca {
        bool& b;
        explicit Marca(bool& x) : b(x) { b = true; }
        ~Marca() { b = false; }
    } marca(atendiendo_);
    // Said when the step cannot stop: the operator sees why nothing happens yet.
    const std::string aviso =
        esperando_ && !pasoInterrumpible_
            ? "Ahora la base de datos ejecuta «" + pasoLargo_ +
                  "», que no se puede interrumpir: la depuración se detiene en cuanto termine."
            : std::string();
    if (cerrar) {
        PedirCierreEnCorrida(aviso + (aviso.empty() ? "" : " Después, el programa se cierra."));
        return;
    }
    if (cancelado_) return;
    depuracion_.CmdCancelar_Click();
    if (!aviso.empty())
        s_.operador.Mensaje("Depuración cancelada por el operador.\n\n" + aviso +
                                " No seguirá con las otras purgas ni grabará la fecha de última depuración.",
                            vb::kSoloAceptar | vb::kInformacion, "Cancelar proceso");
}

void FrmDepuracion::AlEsperarBloqueo() {
    // The stock step's own thread waits too: the window's loop runs meanwhile anyway.
    if (QThread::currentThread() != thread()) return;
    if (!finEsperaBloqueo_.isActive()) {
        pieAntesDeEsperar_ = lblpie_->text();
        lblpie_->setText("Esperando a que otro programa termine de escribir en la base de datos...");
    }
    finEsperaBloqueo_.start(300);
    ProcesarEventos();
}

void FrmDepuracion::AlProgresarEnCorrida() {
    // The stock step's own thread leaves it to the window's loop, which runs meanwhile anyway.
    if (QThread::currentThread() == thread()) Pintar();
}

void FrmDepuracion::FijarEstadoConsulta(int indice) {
    utilKit1_->FijarEstado(5, !Recortar(TagDe(txtFields(indice))).empty());
}

void FrmDepuracion::txtFields_GotFocus(int indice) {
    indiceCampo_ = indice;
    FijarEstadoConsulta(indice);
    ColorearCampo(indice, kColorFoco);
}

void FrmDepuracion::txtFields_LostFocus(int indice) {
    ColorearCampo(indice, kColorNormal);
}

void FrmDepuracion::txtFields_KeyDown(int indice, int codigoTecla, int shift) {
    if (InputServices::TeclaSalida(codigoTecla)) {
        CampoValida(indice, txtFields(indice));
        if (!hayError_) MoverFoco(txtFields(indice), codigoTecla, (shift & 1) != 0);
    }
    FijarEstadoConsulta(indice);
}

int FrmDepuracion::txtFields_KeyPress(int indice, int caracter) {
    if (caracter == 27) return caracter;
    if (enCorrida_ && caracter >= 32) return 0;  // the field holds the run's date
    return FiltrarTecla(txtFields(indice), caracter);
}

void FrmDepuracion::txtFields_MouseDown(int indice, int boton, int, int, int) {
    indiceCampo_ = indice;
    if (boton == 2) ConsultarCampo();
}

bool FrmDepuracion::eventFilter(QObject* obj, QEvent* ev) {
    const int i = IndiceDe(obj);
    switch (ev->type()) {
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(ev);
            const int codigo = CodigoPlataforma(k->key());
            const int shift = Shift(k->modifiers());
            bool comando = false;
            Proteger([&] { comando = codigo != 0 && Form_KeyDown(codigo, shift); });
            if (comando || i < 0) return comando;
            Proteger([&] { txtFields_KeyDown(i, codigo, shift); });
            if (InputServices::TeclaSalida(codigo)) return true;  // the handler moved the focus
            const QString t = k->text();
            if (t.size() != 1 || codigo == 8) return false;
            const int c = t.at(0).unicode();
            int r = c;
            Proteger([&] { r = txtFields_KeyPress(i, c); });
            if (r == c) return false;
            if (r != 0) txtFields(i).insert(QString(QChar(r)));
            return true;
        }
        case QEvent::FocusIn:
            if (i >= 0) Proteger([&] { txtFields_GotFocus(i); });
            break;
        case QEvent::FocusOut:
            if (i >= 0) Proteger([&] { txtFields_LostFocus(i); });
            break;
        case QEvent::MouseButtonPress:
            if (i >= 0) {
                auto* m = static_cast<QMouseEvent*>(ev);
                const int boton = m->button() == Qt::RightButton    ? 2
                                  : m->button() == Qt::MiddleButton ? 4
                                                                    : 1;
                const QPoint p = m->position().toPoint();
                Proteger([&] { txtFields_MouseDown(i, boton, Shift(m->modifiers()), p.x(), p.y()); });
                return boton == 2;
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(obj, ev);
}

void FrmDepuracion::keyPressEvent(QKeyEvent* ev) {
    const int codigo = CodigoPlataforma(ev->key());
    bool comando = false;
    Proteger([&] { comando = codigo != 0 && Form_KeyDown(codigo, Shift(ev->modifiers())); });
    if (!comando) QMainWindow::keyPressEvent(ev);
}

void FrmDepuracion::closeEvent(QCloseEvent* ev) {
    Form_Unload();
    // During a run the window stays until the run has ended.
    if (descargada_)
        ev->accept();
    else
        ev->ignore();
}

}  // namespace dep
