// FrmDepuracion: the preview button, and the journal and report of the run GRABAR starts.
#include <cmath>

#include <QCheckBox>
#include <QPushButton>

#include "app/ventana/confirmacion.hpp"
#include "app/ventana/dlg_texto.hpp"
#include "app/ventana/frm_depuracion.hpp"
#include "app/ventana/informe_html.hpp"
#include "common/configuracion.hpp"
#include "purge/diario.hpp"
#include "purge/informe.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep {

void FrmDepuracion::DepurarConDiario() {
    Diario diario(rutaDiario_);
    const double dialogosAlEmpezar = s_.operador.SegundosEnDialogos();
    dialogosAlFinal_ = dialogosAlEmpezar;
    {
        DiarioEnCorrida mirando(depuracion_, diario);
        diario.Iniciar(TextoFecha(), Casilla(kCasillaStock), Casilla(kCasillaAsientos),
                       Casilla(kCasillaTemporales));
        depuracion_.FijarCopia(chkCopia_->isChecked() ? std::optional<std::string>(carpetaCopia_)
                                                      : std::nullopt);
        try {
            depuracion_.Depurar();
        } catch (...) {
            diario.Terminar(cancelado_);
            throw;
        }
        // Before Inicializa clears the flag.
        diario.Terminar(cancelado_);
    }
    Informe informe = ArmarInforme(diario);
    informe.errorEnLaCorrida = hayError_;
    dlgResumen_->Mostrar("Resumen de la depuración",
                         HtmlResumen(informe, std::lround(dialogosAlFinal_ - dialogosAlEmpezar)));
}

bool FrmDepuracion::ConfirmarCorrida() {
    dep::VistaPrevia v;
    v.hasta = TextoFecha();
    v.stock = Casilla(kCasillaStock);
    v.asientos = Casilla(kCasillaAsientos);
    v.temporales = Casilla(kCasillaTemporales);
    std::string aviso;
    try {
        Calcular("Calculando lo que hará la depuración...",
                 [&] { v = CalcularVistaPrevia(s_, TextoFecha(), v.stock, v.asientos, v.temporales); });
    } catch (const std::exception& e) {
        aviso = e.what();  // still asked: the run reports its own refusals
    }
    if (cerrarTrasCalculo_) return false;  // closed meanwhile: nothing is asked, nothing runs
    const std::string ultima = Cfg(s_, "FECHAULTIMADEPURACION");
    const auto copia = chkCopia_->isChecked() ? std::optional<std::string>(carpetaCopia_) : std::nullopt;
    return s_.operador.Confirmar(TextoConfirmacion(v, ultima, copia, aviso), "Confirmar la depuración");
}

void FrmDepuracion::VistaPrevia() {
    // During a run the preview's transaction would be nested in the run's and undo it.
    if (enCorrida_) return;
    if (!ListoPara("calcular la vista previa")) return;
    std::string texto;
    try {
        Calcular("Calculando la vista previa...", [&] {
            texto =
                HtmlVistaPrevia(CalcularVistaPrevia(s_, TextoFecha(), Casilla(kCasillaStock),
                                                    Casilla(kCasillaAsientos), Casilla(kCasillaTemporales)));
        });
    } catch (const std::exception& e) {
        if (cerrarTrasCalculo_) return;
        s_.operador.Mensaje(std::string("No se pudo calcular la vista previa: ") + e.what(),
                            vb::kSoloAceptar | vb::kExclamacion, "Aviso al Operador");
        return;
    }
    if (!cerrarTrasCalculo_) dlgVistaPrevia_->Mostrar("Vista previa", texto);
}

}  // namespace dep
