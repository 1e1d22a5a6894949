#pragma once
// FrmDepuracion: the program's only window. It holds the controls, the form fields Cancelado,
// HayError and IndiceCampo, the toolbar and field handlers, and hosts the purge run.
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QTimer>

#include "app/ventana/skin.hpp"
#include "purge/anfitrion.hpp"
#include "purge/depuracion.hpp"
#include "runtime/servicios.hpp"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dep {

class Animacion;
class BarraEstado;
class DlgTexto;
class PicMsg;
class UtilKit;

class FrmDepuracion : public QMainWindow, public AnfitrionCorrida {
    Q_OBJECT
  public:
    explicit FrmDepuracion(Servicios& s, QWidget* padre = nullptr);
    ~FrmDepuracion() override;

    // Window load: skin, status bar, form services, Inicializa.
    void Form_Load();
    void Inicializa();
    void DetalleOn(bool detalle);
    void VerRelacion() {}
    void UtilKit1_click(std::string& tecla);
    void Datosvalidos(bool& valido);
    bool CampoValida(int indice, QLineEdit& campo);
    void ConsultarCampo();
    // Window key-down: hands the key to the toolbar; true when it was a command key.
    bool Form_KeyDown(int codigoTecla, int shift);
    // Unload: the mouse pointer back to normal, then the program ends. During a run it asks
    // whether to stop it; yes cancels the run and the program ends once the run has ended.
    void Form_Unload();

    // Field events of txtFields(indice).
    void txtFields_GotFocus(int indice);
    void txtFields_LostFocus(int indice);
    void txtFields_KeyDown(int indice, int codigoTecla, int shift);
    int txtFields_KeyPress(int indice, int caracter);  // the character to insert, 0 to cancel
    void txtFields_MouseDown(int indice, int boton, int shift, int x, int y);

    // Why the database could not be opened at start-up; GRABAR then refuses to run.
    // The footer says so for as long as the window is open.
    void FijarMotivoSinConexion(std::string motivo);
    // The run journal's file; empty (the default): beside KSERR.LOG.
    void FijarDiario(std::string ruta) { rutaDiario_ = std::move(ruta); }
    // What ending the program does (the program exits; tests only record it).
    void FijarTerminar(std::function<void()> f) { terminar_ = std::move(f); }
    // Called at every yield of a run, before the events are processed (screenshot, tests).
    std::function<void()> alCeder;

    // AnfitrionCorrida.
    std::string TextoFecha() const override;
    bool Cancelado() const override { return cancelado_; }
    void FijarCancelado(bool b) override { cancelado_ = b; }
    bool HayError() const override { return hayError_; }
    void FijarHayError(bool b) override { hayError_ = b; }
    Imagen& PicMsg() override;
    void Pie(const std::string& texto) override;
    void ProcesarEventos() override;
    bool Casilla(CasillaPurga c) const override;
    void Etiqueta(RotuloHora r, const std::string& texto) override;
    std::string Etiqueta(RotuloHora r) const override;
    void IntervaloTemporizador(int ms) override;
    void TextoBotonCancelar(const std::string& texto) override;
    void AvisarPasada(const std::string& tipo) override;
    // `trabajo` on a thread of its own; meanwhile the window repaints (animation, clock), names
    // `paso` in the status bar and drops every click and key, except that the cancel button,
    // F10 and a close request are answered at once (a step that cannot be interrupted says so)
    // and acted on when `trabajo` returns. What `trabajo` throws is thrown here.
    void EsperarSinEntrada(const std::function<void()>& trabajo, const std::string& paso,
                           bool interrumpible) override;

    // The controls, for the start-up code and the tests.
    UtilKit& UtilKit1() { return *utilKit1_; }
    QLabel& LBLTIT(int i) { return *lbltit_.at(static_cast<std::size_t>(i)); }
    QLabel& Label1() { return *label1_; }
    QLineEdit& txtFields(int i) { return *txtFields_.at(static_cast<std::size_t>(i)); }
    QCheckBox& ChkStock(int i) { return *chkStock_.at(static_cast<std::size_t>(i)); }
    QFrame& Frame1() { return *frame1_; }
    Animacion& AniGIF1() { return *aniGIF1_; }
    QLabel& Label2(int i) { return *label2_.at(static_cast<std::size_t>(i)); }
    QPushButton& CmdCancelar() { return *cmdCancelar_; }
    QPushButton& CmdVistaPrevia() { return *cmdVistaPrevia_; }
    QCheckBox& ChkCopia() { return *chkCopia_; }
    QLabel& LblCarpetaCopia() { return *lblCarpetaCopia_; }
    // Where the backup goes when ChkCopia is ticked; empty (the default): beside the database.
    void FijarCarpetaCopia(std::string carpeta);
    DlgTexto& DlgVistaPrevia() { return *dlgVistaPrevia_; }
    DlgTexto& DlgResumen() { return *dlgResumen_; }
    dep::PicMsg& PicMsg_() { return *picMsg_; }
    QLabel& LBLPIE() { return *lblpie_; }
    BarraEstado& SbStatusBar() { return *sbStatusBar_; }
    SkinFramework& SkinFramework1() { return skinFramework1_; }
    QTimer& Timer1() { return timer1_; }
    Depuracion& Purgas() { return depuracion_; }
    int IndiceCampo() const { return indiceCampo_; }
    bool EnCorrida() const { return enCorrida_; }
    bool Esperando() const { return esperando_; }    // inside EsperarSinEntrada
    bool Calculando() const { return calculando_; }  // inside Calcular
    // The background of txtFields(indice) as 0x00BBGGRR.
    std::uint32_t ColorCampo(int indice) const;

  protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;
    void keyPressEvent(QKeyEvent* ev) override;
    void closeEvent(QCloseEvent* ev) override;

  private:
    class Corrida;
    void Grabar();
    // During a run: the question whether to stop it, and the cancel when the answer is yes.
    // `aviso`: added to the question (a step that cannot be interrupted is running).
    void PedirCierreEnCorrida(const std::string& aviso = {});
    // A cancel (or, `cerrar`, a close) asked while a long step runs on its thread.
    void AtenderDuranteEspera(bool cerrar);
    // Between the short waits for another program's lock: the window repaints and says so.
    void AlEsperarBloqueo();
    // While one statement of the run takes long (a check over every entry, a date on a server):
    // the window repaints and the cancel button is answered.
    void AlProgresarEnCorrida();
    // The event loop, at most about 60 times a second.
    void Pintar();
    // The run with the journal watching it; the report is shown when it ends.
    void DepurarConDiario();
    void VistaPrevia();
    // A count that may take seconds on years of entries (the preview): the window stays painted,
    // names `que` in the status bar and shows the wait cursor; clicks and keys are dropped, and a
    // close asked meanwhile is carried out once the count returns.
    void Calcular(const std::string& que, const std::function<void()>& trabajo);
    // The question before GRABAR deletes anything, with the preview's figures: true for "Sí".
    bool ConfirmarCorrida();
    // Database open and a valid date, or the operator is told why not: `que` "depurar", ...
    bool ListoPara(const std::string& que);
    void ColorearCampo(int indice, std::uint32_t bgr);
    void FijarEstadoConsulta(int indice);
    // Runs an event handler; a failure is shown to the operator instead of escaping the event loop.
    void Proteger(const std::function<void()>& f);
    int IndiceDe(QObject* obj) const;

    Servicios& s_;
    Depuracion depuracion_;
    std::atomic<bool> cancelado_{false};  // also read by the stock step's thread
    bool hayError_ = false;
    int indiceCampo_ = 0;
    bool enCorrida_ = false;
    bool esperando_ = false;
    bool calculando_ = false;
    bool cerrarTrasCalculo_ = false;
    bool atendiendo_ = false;  // a question asked during a long step is open
    std::string pasoLargo_;
    bool pasoInterrumpible_ = true;
    bool cerrarAlTerminar_ = false;
    // What GRABAR validated: the run's cut-off date and purges, whatever the controls show.
    std::string fechaCorrida_;
    std::array<bool, kCasillasPurga> casillasCorrida_{};
    std::chrono::steady_clock::time_point ultimoCeder_{};
    bool descargada_ = false;
    std::string sinConexion_;
    std::function<void()> terminar_;
    std::string rutaDiario_;
    std::string carpetaCopia_;

    UtilKit* utilKit1_ = nullptr;
    std::array<QLabel*, 2> lbltit_{};
    QLabel* label1_ = nullptr;
    std::array<QLineEdit*, 1> txtFields_{};
    std::array<std::uint32_t, 1> colorCampo_{0xFFFFFF};
    std::array<QCheckBox*, kCasillasPurga> chkStock_{};
    QFrame* frame1_ = nullptr;
    Animacion* aniGIF1_ = nullptr;
    std::array<QLabel*, kRotulosHora> label2_{};
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdVistaPrevia_ = nullptr;
    QCheckBox* chkCopia_ = nullptr;
    QPushButton* cmdCarpetaCopia_ = nullptr;
    QLabel* lblCarpetaCopia_ = nullptr;
    DlgTexto* dlgVistaPrevia_ = nullptr;
    DlgTexto* dlgResumen_ = nullptr;
    dep::PicMsg* picMsg_ = nullptr;
    QLabel* lblpie_ = nullptr;
    BarraEstado* sbStatusBar_ = nullptr;
    SkinFramework skinFramework1_;
    QTimer timer1_;
    QTimer finEsperaBloqueo_;  // brings the footer back once the waits have stopped
    QString pieAntesDeEsperar_;
    double dialogosAlFinal_ = 0;  // the operator's dialog seconds when the run showed "Final:"
};

}  // namespace dep
