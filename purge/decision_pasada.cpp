// The decision of a consolidation pass and its words, for the run's dialogs, the journal and the
// preview alike.
#include "purge/decision_pasada.hpp"

#include <utility>

#include "purge/diario.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string UltimoNumero() {
    return TextoEntero(static_cast<long long>(kMayorNumeroResumen));
}

}  // namespace

DecisionPasada DecisionPasada::TrasUnaDetenida(std::string tipo) {
    DecisionPasada d(std::move(tipo));
    d.Impedir(Impedimento::PasadaAnterior);
    return d;
}

bool DecisionPasada::Impedir(Impedimento i) {
    impedimento_ = i;
    return false;
}

bool DecisionPasada::ConTipo(bool existe) {
    return existe || Impedir(Impedimento::FaltaTipo);
}

bool DecisionPasada::ConSucursal(const std::string& sucursal) {
    // Without a four-character branch the summary key would shift number and letter.
    sucursal_ = sucursal;
    return sucursal.size() == 4 || Impedir(Impedimento::Sucursal);
}

bool DecisionPasada::ConSiguienteNumero(double numero) {
    if (numero > kMayorNumeroResumen) return Impedir(Impedimento::SinNumero);
    clave_ = ClaveComprobanteResumen(sucursal_, numero);
    return true;
}

bool DecisionPasada::ConClaveOcupada(bool ocupada) {
    if (!ocupada) return true;
    ocupada_ = std::exchange(clave_, {});  // named in the words, taken by nobody
    return Impedir(Impedimento::ClaveOcupada);
}

bool DecisionPasada::ConRecuperacion(const Recuperacion& plan) {
    if (plan.accion != Recuperacion::Accion::Rehusar) return true;
    motivoRecuperacion_ = plan.motivo;
    return Impedir(Impedimento::Recuperacion);
}

bool DecisionPasada::ConPrimeraFecha(const std::optional<Fecha>& primera, const Fecha& corte) {
    if (!primera) return Impedir(Impedimento::SinAsientos);
    if (*primera > corte) return Impedir(Impedimento::SinAsientosHastaLaFecha);
    primera_ = *primera;
    ultima_ = UltimoPasoHasta(primera_, corte);
    return true;
}

std::string DecisionPasada::Motivo() const {
    switch (impedimento_) {
        case Impedimento::Ninguno:
            return {};
        case Impedimento::PasadaAnterior:
            return "la pasada anterior termina la consolidacion";
        case Impedimento::FaltaTipo:
            return "falta el codigo " + tipo_ + " en la tabla de comprobantes (V_TA_CPTE)";
        case Impedimento::Sucursal:
            return "no se pudo obtener la sucursal del comprobante " + tipo_ + " (se obtuvo '" + sucursal_ +
                   "')";
        case Impedimento::SinNumero:
            return "el comprobante " + tipo_ + " de la sucursal " + sucursal_ + " ya llego al numero " +
                   UltimoNumero();
        case Impedimento::ClaveOcupada:
            return "el comprobante " + tipo_ + " " + ocupada_ +
                   " que sigue al mayor numero de la sucursal ya tiene renglones en MV_ASIENTOS";
        case Impedimento::Recuperacion:
            return motivoRecuperacion_;
        case Impedimento::SinAsientos:
            return "no hay asientos";
        case Impedimento::SinAsientosHastaLaFecha:
            return "no hay asientos hasta la fecha";
    }
    return {};
}

std::string DecisionPasada::TextoDiario() const {
    switch (impedimento_) {
        case Impedimento::FaltaTipo:
        case Impedimento::Sucursal:
        case Impedimento::SinNumero:
        case Impedimento::ClaveOcupada:
            return "pasada " + tipo_ + ": " + Motivo();
        case Impedimento::SinAsientosHastaLaFecha:
            return Motivo() + " (No hay datos)";
        default:
            return Motivo();
    }
}

const char* DecisionPasada::ResultadoDiario() const {
    const bool nadaQueHacer =
        impedimento_ == Impedimento::SinAsientos || impedimento_ == Impedimento::SinAsientosHastaLaFecha;
    return nadaQueHacer ? resultado::kOmitida : resultado::kNoEjecutada;
}

bool DecisionPasada::Grave() const {
    return impedimento_ == Impedimento::Sucursal || impedimento_ == Impedimento::SinNumero ||
           impedimento_ == Impedimento::ClaveOcupada || impedimento_ == Impedimento::Recuperacion;
}

std::string DecisionPasada::MensajeOperador() const {
    switch (impedimento_) {
        case Impedimento::FaltaTipo:
            return "DEBE DAR DE ALTA EN TABLA DE COMPROBANTES EL CODIGO " + tipo_ + " PARA SALDO INICIAL...";
        case Impedimento::Sucursal:
            return "NO SE PUDO OBTENER LA SUCURSAL DEL COMPROBANTE " + tipo_ +
                   " PARA SALDO INICIAL (SE OBTUVO '" + sucursal_ + "'). REVISE EL TALONARIO DE " + tipo_ +
                   ": NO SE DEPURARON LOS ASIENTOS.";
        case Impedimento::SinNumero:
            return "EL COMPROBANTE " + tipo_ + " DE SALDO INICIAL DE LA SUCURSAL " + sucursal_ +
                   " YA LLEGO AL NUMERO " + UltimoNumero() +
                   ": NO QUEDA NUMERO PARA UN NUEVO COMPROBANTE. NO SE DEPURARON LOS ASIENTOS.";
        case Impedimento::ClaveOcupada:
            return "EL COMPROBANTE " + tipo_ + " " + ocupada_ +
                   " QUE LE TOCA AL SALDO INICIAL (EL SIGUIENTE AL MAYOR NUMERO DE LA SUCURSAL " + sucursal_ +
                   ") YA TIENE RENGLONES EN MV_ASIENTOS: LOS ASIENTOS SE SUMARIAN A LOS SUYOS. "
                   "REVISE LOS NUMEROS DE LOS COMPROBANTES " +
                   tipo_ + " (DEBEN TENER OCHO DIGITOS): NO SE DEPURARON LOS ASIENTOS.";
        case Impedimento::Recuperacion:
            return motivoRecuperacion_;
        default:
            return {};
    }
}

}  // namespace dep
