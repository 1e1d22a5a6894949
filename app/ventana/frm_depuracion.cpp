// FrmDepuracion: the controls, their layout and the host side of a purge run.
#include "app/ventana/frm_depuracion.hpp"

#include <thread>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "app/ventana/animacion.hpp"
#include "app/ventana/barra_estado.hpp"
#include "app/ventana/dlg_texto.hpp"
#include "app/ventana/pic_msg.hpp"
#include "app/ventana/texto_qt.hpp"
#include "app/ventana/util_kit.hpp"

namespace dep {

namespace {

bool EsEntrada(QEvent::Type t) {
    switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

// While installed, the application drops the operator's input to `ventana` and its close
// requests: they are discarded, not kept for later, so nothing acts on a click made while a
// call could not yield. A click on `cancelar`, F10 and a close request are handed to `pedido`
// (true: a close) once the filter has returned; a message box opened meanwhile takes input.
class DescartarEntrada : public QObject {
  public:
    DescartarEntrada(QWidget* ventana, QWidget* cancelar, std::function<void(bool)> pedido)
        : ventana_(ventana), cancelar_(cancelar), pedido_(std::move(pedido)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~DescartarEntrada() override { QCoreApplication::instance()->removeEventFilter(this); }
    DescartarEntrada(const DescartarEntrada&) = delete;
    DescartarEntrada& operator=(const DescartarEntrada&) = delete;

  protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() == QEvent::Close) {
            if (obj != ventana_) return false;
            ev->ignore();  // an event left accepted would still close the window
            Pedir(true);
            return true;
        }
        if (!EsEntrada(ev->type()) || !DeLaVentana(obj)) return false;
        if (ev->type() == QEvent::MouseButtonRelease && obj == cancelar_ && cancelar_->isEnabled())
            Pedir(false);
        if (ev->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(ev)->key() == Qt::Key_F10) Pedir(true);
        return true;
    }

  private:
    bool DeLaVentana(QObject* obj) const {
        if (auto* w = qobject_cast<QWidget*>(obj)) return w->window() == ventana_;
        if (auto* v = qobject_cast<QWindow*>(obj)) return v == ventana_->windowHandle();
        return false;
    }
    void Pedir(bool cerrar) {
        QTimer::singleShot(0, ventana_, [f = pedido_, cerrar] { f(cerrar); });
    }
    QWidget* ventana_;
    QWidget* cancelar_;
    std::function<void(bool)> pedido_;
};

// For the length of a long step: `enCurso` is set and the status bar names the step; what the
// panel showed comes back after it.
class MarcaDePaso {
  public:
    MarcaDePaso(bool& enCurso, QLabel* panel, const std::string& paso) : b_(enCurso), panel_(panel) {
        b_ = true;
        if (!panel_) return;
        texto_ = panel_->text();
        ayuda_ = panel_->toolTip();
        panel_->setText(Q(paso));
        panel_->setToolTip(Q(paso));
    }
    ~MarcaDePaso() {
        b_ = false;
        if (!panel_) return;
        panel_->setText(texto_);
        panel_->setToolTip(ayuda_);
    }
    MarcaDePaso(const MarcaDePaso&) = delete;
    MarcaDePaso& operator=(const MarcaDePaso&) = delete;

  private:
    bool& b_;
    QLabel* panel_;
    QString texto_, ayuda_;
};

}  // namespace

FrmDepuracion::FrmDepuracion(Servicios& s, QWidget* padre)
    : QMainWindow(padre), s_(s), depuracion_(s, *this), terminar_([] { QCoreApplication::exit(0); }) {
    setObjectName("FrmDepuracion");
    setWindowTitle(kTituloAplicacion);

    utilKit1_ = new UtilKit(this);
    addToolBar(Qt::TopToolBarArea, utilKit1_);
    utilKit1_->alClic = [this](std::string& tecla) { Proteger([&] { UtilKit1_click(tecla); }); };

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);

    // The instruction with the date field to its right.
    auto* fila = new QHBoxLayout;
    label1_ = new QLabel("Ingrese hasta que fecha inclusive desea realizar la depuraración", central);
    label1_->setObjectName("Label1");
    auto* fecha = new QLineEdit("01/08/2005", central);
    fecha->setObjectName("txtFields_0");
    // "Inclusive" as the server compares dates: the cut-off day counts from 00:00 only.
    fecha->setToolTip(
        "Se depura hasta esta fecha inclusive, tal como compara el servidor: lo registrado ese día "
        "con una hora posterior a las 00:00 queda sin depurar.");
    fecha->setMaxLength(10);
    fecha->setProperty("Tag", "fecha");
    fecha->setProperty("DataField", "FhHasta");
    fecha->setFixedWidth(fecha->fontMetrics().horizontalAdvance("00/00/00000") + 16);
    fecha->setContextMenuPolicy(Qt::NoContextMenu);  // the right button opens the lookup
    txtFields_[0] = fecha;
    fila->addWidget(label1_);
    fila->addWidget(fecha);
    fila->addStretch(1);
    v->addLayout(fila);

    // The two warnings.
    lbltit_[0] = new QLabel(
        "Para comenzar la depuración pulse el Boton Grabar, es importante que no se utilice el sistema, "
        "hasta no "
        "finalizar el proceso.",
        central);
    lbltit_[1] = new QLabel(
        "Se recomienda mantener actualizado su Copia de seguridad antes de comenzar con la depuración.",
        central);
    for (int i = 0; i < 2; ++i) {
        lbltit_[i]->setObjectName(QString("LBLTIT_%1").arg(i));
        lbltit_[i]->setAlignment(Qt::AlignCenter);
        lbltit_[i]->setWordWrap(true);
        v->addWidget(lbltit_[i]);
    }
    lbltit_[1]->setStyleSheet("QLabel { color: white; background-color: red; padding: 3px; }");

    // The three boxes with the white frame of the animation and the times to their right.
    auto* medio = new QHBoxLayout;
    auto* casillas = new QVBoxLayout;
    const char* textos[kCasillasPurga] = {"Movimientos de Stock, ventas, compras", "Asientos",
                                          "Temporales e historial cambio de precios"};
    for (int i = 0; i < kCasillasPurga; ++i) {
        chkStock_[i] = new QCheckBox(textos[i], central);
        chkStock_[i]->setObjectName(QString("ChkStock_%1").arg(i));
        chkStock_[i]->setChecked(true);
        casillas->addWidget(chkStock_[i]);
    }
    cmdCancelar_ = new QPushButton("Cancelar proceso", central);
    cmdCancelar_->setObjectName("CmdCancelar");
    cmdCancelar_->setEnabled(false);  // only a run has something to cancel
    connect(cmdCancelar_, &QPushButton::clicked, this,
            [this] { Proteger([&] { depuracion_.CmdCancelar_Click(); }); });
    // The preview sits beside the cancel button: it is asked for before GRABAR.
    cmdVistaPrevia_ = new QPushButton("Vista previa", central);
    cmdVistaPrevia_->setObjectName("CmdVistaPrevia");
    connect(cmdVistaPrevia_, &QPushButton::clicked, this, [this] { Proteger([&] { VistaPrevia(); }); });
    // The backup before the run: asked for here, beside the run's other extras, and kept while
    // the window is open (the program writes no settings file).
    chkCopia_ = new QCheckBox("Copia de seguridad antes de depurar", central);
    chkCopia_->setObjectName("ChkCopia");
    chkCopia_->setToolTip(
        "Antes de modificar nada se hace una copia de la base de datos (junto a ella, con la "
        "fecha y la hora en el nombre) y se comprueba; si no se puede hacer, no se depura.");
    cmdCarpetaCopia_ = new QPushButton("Carpeta...", central);
    cmdCarpetaCopia_->setObjectName("CmdCarpetaCopia");
    cmdCarpetaCopia_->setToolTip("Carpeta de la copia de seguridad (por omisión, la de la base de datos)");
    connect(cmdCarpetaCopia_, &QPushButton::clicked, this, [this] {
        Proteger([&] {
            const QString elegida = QFileDialog::getExistingDirectory(
                this, "Carpeta de la copia de seguridad", QString::fromStdString(carpetaCopia_));
            if (elegida.isEmpty()) return;  // cancelled: the folder stays as it was
            FijarCarpetaCopia(elegida.toStdString());
            chkCopia_->setChecked(true);
        });
    });
    auto* botones = new QHBoxLayout;
    botones->addWidget(cmdCancelar_);
    botones->addWidget(cmdVistaPrevia_);
    botones->addStretch(1);
    casillas->addLayout(botones);
    auto* copia = new QHBoxLayout;
    copia->addWidget(chkCopia_);
    copia->addWidget(cmdCarpetaCopia_);
    copia->addStretch(1);
    casillas->addLayout(copia);
    lblCarpetaCopia_ = new QLabel(central);
    lblCarpetaCopia_->setObjectName("LblCarpetaCopia");
    lblCarpetaCopia_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    casillas->addWidget(lblCarpetaCopia_);
    casillas->addStretch(1);
    medio->addLayout(casillas, 1);

    frame1_ = new QFrame(central);
    frame1_->setObjectName("Frame1");
    frame1_->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame1_->setAutoFillBackground(true);
    QPalette pal = frame1_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    frame1_->setPalette(pal);
    frame1_->setStyleSheet("QFrame#Frame1 { background-color: white; } QLabel { background: transparent; }");
    auto* g = new QGridLayout(frame1_);
    aniGIF1_ = new Animacion(frame1_);
    aniGIF1_->hide();
    const char* rotulos[kRotulosHora] = {"", "Tiempo Transcurrido", "Final:", "Inicio:"};
    for (int i = 0; i < kRotulosHora; ++i) {
        label2_[i] = new QLabel(rotulos[i], frame1_);
        label2_[i]->setObjectName(QString("Label2_%1").arg(i));
    }
    g->addWidget(aniGIF1_, 0, 0, 3, 1, Qt::AlignCenter);
    g->addWidget(label2_[kRotuloTituloInicio], 0, 1);
    g->addWidget(label2_[kRotuloInicio], 0, 2);
    g->addWidget(label2_[kRotuloTranscurrido], 1, 1, 1, 2);
    g->addWidget(label2_[kRotuloFinal], 2, 1, 1, 2);
    g->setColumnStretch(2, 1);
    frame1_->setMinimumWidth(300);
    medio->addWidget(frame1_, 1);
    v->addLayout(medio);

    // The progress picture and the footer line, full width.
    picMsg_ = new dep::PicMsg(central);
    picMsg_->setFixedHeight(24);
    picMsg_->hide();
    v->addWidget(picMsg_);
    lblpie_ = new QLabel("...", central);
    lblpie_->setObjectName("LBLPIE");
    v->addWidget(lblpie_);

    setCentralWidget(central);
    sbStatusBar_ = new BarraEstado(this);
    setStatusBar(sbStatusBar_);

    timer1_.setObjectName("Timer1");
    connect(&timer1_, &QTimer::timeout, this, [this] { Proteger([&] { depuracion_.Timer1_Timer(); }); });
    timer1_.start(100);
    finEsperaBloqueo_.setSingleShot(true);
    connect(&finEsperaBloqueo_, &QTimer::timeout, this, [this] {
        if (lblpie_->text().startsWith("Esperando a que otro programa")) lblpie_->setText(pieAntesDeEsperar_);
    });

    // The window sees every key first (it forwards command keys to the toolbar).
    for (QWidget* w : std::initializer_list<QWidget*>{
             fecha, chkStock_[kCasillaStock], chkStock_[kCasillaAsientos], chkStock_[kCasillaTemporales],
             cmdCancelar_, cmdVistaPrevia_, chkCopia_})
        w->installEventFilter(this);
    FijarCarpetaCopia({});
    dlgVistaPrevia_ = new DlgTexto("DlgVistaPrevia", this);
    dlgResumen_ = new DlgTexto("DlgResumen", this);
    resize(960, 420);
}

FrmDepuracion::~FrmDepuracion() {
    for (QLineEdit* f : txtFields_) f->removeEventFilter(this);
}

std::string FrmDepuracion::TextoFecha() const {
    return enCorrida_ ? fechaCorrida_ : txtFields_[0]->text().toStdString();
}

Imagen& FrmDepuracion::PicMsg() {
    return *picMsg_;
}

void FrmDepuracion::Pie(const std::string& texto) {
    lblpie_->setText(Q(texto));
}

void FrmDepuracion::ProcesarEventos() {
    picMsg_->VaciarPendiente();
    if (alCeder) alCeder();
    Pintar();
}

void FrmDepuracion::Pintar() {
    picMsg_->VaciarPendiente();
    // The walk yields at every merge batch; the event loop (and so the repaint of the labels) at
    // about 60 times a second is as responsive to CANCELAR and costs a fraction of thousands.
    const auto ahora = std::chrono::steady_clock::now();
    if (ahora - ultimoCeder_ < std::chrono::milliseconds(16)) return;
    ultimoCeder_ = ahora;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void FrmDepuracion::AvisarPasada(const std::string& tipo) {
    QLabel* m = sbStatusBar_->Panel("MENSAJE");
    if (!m) return;
    // Short enough for the panel at the window's usual width; the tooltip says it in full.
    if (tipo == "CC") {
        m->setText("Pasada 1 de 2: CC (todos menos proveedores)");
        m->setToolTip(
            "Pasada 1 de 2: se consolidan en el comprobante CC todos los comprobantes menos los de "
            "proveedores");
    } else if (tipo == "FP") {
        m->setText("Pasada 2 de 2: FP (proveedores: FP, CBFP, FPC, PGFP)");
        m->setToolTip(
            "Pasada 2 de 2: se consolidan en el comprobante FP los comprobantes de proveedores (FP, "
            "CBFP, FPC y PGFP)");
    } else {
        m->setText(Q("Pasada del comprobante " + tipo));
        m->setToolTip(m->text());
    }
}

void FrmDepuracion::EsperarSinEntrada(const std::function<void()>& trabajo, const std::string& paso,
                                      bool interrumpible) {
    std::exception_ptr error;
    QEventLoop bucle;
    pasoLargo_ = paso;
    pasoInterrumpible_ = interrumpible;
    DescartarEntrada descartar(this, cmdCancelar_, [this](bool cerrar) { AtenderDuranteEspera(cerrar); });
    const MarcaDePaso marca(esperando_, sbStatusBar_->Panel("MENSAJE"), paso);
    {
        // The connection is the worker's alone until it ends: nothing on this thread can reach
        // it, since every command comes from the input that is being dropped.
        std::jthread hilo([&] {
            try {
                trabajo();
            } catch (...) {
                error = std::current_exception();
            }
            QMetaObject::invokeMethod(&bucle, &QEventLoop::quit, Qt::QueuedConnection);
        });
        bucle.exec();
    }
    if (error) std::rethrow_exception(error);
}

void FrmDepuracion::Calcular(const std::string& que, const std::function<void()>& trabajo) {
    if (!s_.datos.EstaConectado()) return trabajo();
    cerrarTrasCalculo_ = false;
    // Declared first, so that it acts last: a close asked during the count is carried out then.
    struct AlTerminar {
        FrmDepuracion& f;
        ~AlTerminar() {
            if (f.cerrarTrasCalculo_) QMetaObject::invokeMethod(&f, &QWidget::close, Qt::QueuedConnection);
        }
    } alTerminar{*this};
    // Clicks and keys are dropped (one now would start a second count inside this one); a close
    // request is kept for the end, and said.
    const DescartarEntrada descartar(this, nullptr, [this](bool cerrar) {
        if (!cerrar) return;
        cerrarTrasCalculo_ = true;
        if (QLabel* m = sbStatusBar_->Panel("MENSAJE"))
            m->setText("El programa se cerrará al terminar el cálculo...");
    });
    const MarcaDePaso marca(calculando_, sbStatusBar_->Panel("MENSAJE"), que);
    struct Cursor {
        Cursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~Cursor() { QApplication::restoreOverrideCursor(); }
    } const cursor;
    // The window paints and runs its timers during a long statement and during a wait for another
    // program's write lock (the count's numbering writes).
    Conexion& cn = s_.datos.Conexion_();
    struct Avisos {
        Conexion& cn;
        ~Avisos() {
            cn.FijarAlProgresar({});
            cn.FijarAlEsperarBloqueo({});
        }
    } const avisos{cn};
    const auto pintar = [] { QCoreApplication::processEvents(); };
    cn.FijarAlProgresar(pintar);
    cn.FijarAlEsperarBloqueo(pintar);
    pintar();
    trabajo();
    // A close asked in the count's last moments waits in the queue: taken now, while input is
    // still dropped (the filter hands it on through one more turn of the loop).
    pintar();
    pintar();
}

bool FrmDepuracion::Casilla(CasillaPurga c) const {
    if (c < 0 || c >= kCasillasPurga) return false;
    const auto i = static_cast<std::size_t>(c);
    return enCorrida_ ? casillasCorrida_[i] : chkStock_[i]->isChecked();
}

void FrmDepuracion::Etiqueta(RotuloHora r, const std::string& texto) {
    Label2(r).setText(Q(texto));
    // The run's duration ends here; a dialog answered later is no part of it.
    if (r == kRotuloFinal && !texto.empty()) dialogosAlFinal_ = s_.operador.SegundosEnDialogos();
}

std::string FrmDepuracion::Etiqueta(RotuloHora r) const {
    return label2_.at(static_cast<std::size_t>(r))->text().toStdString();
}

void FrmDepuracion::IntervaloTemporizador(int ms) {
    if (ms <= 0) {
        timer1_.stop();
        return;
    }
    timer1_.start(ms);
}

void FrmDepuracion::TextoBotonCancelar(const std::string& texto) {
    cmdCancelar_->setText(Q(texto));
}

std::uint32_t FrmDepuracion::ColorCampo(int indice) const {
    return colorCampo_.at(static_cast<std::size_t>(indice));
}

void FrmDepuracion::ColorearCampo(int indice, std::uint32_t bgr) {
    colorCampo_.at(static_cast<std::size_t>(indice)) = bgr;
    const QColor c(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    // Its own sheet, so that no skin hides the focus colour.
    txtFields(indice).setStyleSheet(QString("QLineEdit { background-color: %1; }").arg(c.name()));
}

int FrmDepuracion::IndiceDe(QObject* obj) const {
    for (std::size_t i = 0; i < txtFields_.size(); ++i)
        if (obj == txtFields_[i]) return static_cast<int>(i);
    return -1;
}

void FrmDepuracion::FijarCarpetaCopia(std::string carpeta) {
    carpetaCopia_ = std::move(carpeta);
    const QString donde =
        QString::fromStdString(carpetaCopia_.empty() ? "La copia se hará junto a la base de datos"
                                                     : "La copia se hará en " + carpetaCopia_);
    chkCopia_->setToolTip(donde);
    lblCarpetaCopia_->setText(donde);
    lblCarpetaCopia_->setToolTip(donde);
}

void FrmDepuracion::FijarMotivoSinConexion(std::string motivo) {
    sinConexion_ = std::move(motivo);
    lblpie_->setText("Sin conexión con la base de datos: no se puede depurar ni calcular la vista previa.");
    lblpie_->setStyleSheet("QLabel { color: #a12a1a; font-weight: bold; }");
}

}  // namespace dep
