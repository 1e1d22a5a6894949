// What the consolidation checks around its passes: the dates it deletes by, the proof of each
// pass's books, and the table's triggers, which must not stay off.
#include <cstdlib>
#include <string_view>

#include "common/trata_error.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/fechas_validas.hpp"
#include "purge/importes_validos.hpp"
#include "purge/pasada_en_curso.hpp"
#include "runtime/conversions.hpp"

namespace dep {

bool Consolidacion::FechasLegibles() {
    // The walk starts at min(fecha) and deletes by date: a value that is no date would be
    // compared as something else, and the wrong rows could go.
    FechasNoValidas f;
    if (!Paso([&] { f = BuscarFechasNoValidas(s_.datos, "MV_ASIENTOS"); })) return false;
    if (f.cantidad == 0) return true;
    const std::string texto = DescribirFechasNoValidas("MV_ASIENTOS", f) +
                              ": NO SE CONSOLIDARON LOS ASIENTOS. " +
                              "CORRIJA ESAS FILAS Y VUELVA A DEPURAR.";
    host_.FijarHayError(true);
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPurga(Purga::Asientos, resultado::kNoEjecutada, texto);
    return false;
}

bool Consolidacion::ImportesLegibles() {
    // The walk folds the amounts in the database's floating point and deletes what it folded: a
    // value whose cents it cannot keep would leave the books with the detail.
    std::string motivo;
    if (!Paso([&] {
            motivo =
                LoQueDetieneLaConsolidacion(s_.datos, TextoFecha(FechaDeValor(Value(host_.TextoFecha()))));
        }))
        return false;
    if (motivo.empty()) return true;
    const std::string texto =
        motivo + ": NO SE CONSOLIDARON LOS ASIENTOS. CORRIJA ESAS FILAS Y VUELVA A DEPURAR.";
    host_.FijarHayError(true);
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPurga(Purga::Asientos, resultado::kNoEjecutada, texto);
    return false;
}

void Consolidacion::TomarLibros() {
    // The proof is an addition to the run: a refused query leaves the pass unproved, not stopped.
    try {
        filasAntes_ = ContarFilas(s_.datos, filtro_, TextoFecha(corte_), ctx_.tipo, ctx_.clave);
        libros_ = SumarLibros(s_.datos, filtro_, TextoFecha(corte_));
    } catch (const std::exception& e) {
        sinLibros_ = std::string("no se pudieron sumar los asientos antes de consolidar: ") + e.what();
    }
}

std::optional<Aporte> Consolidacion::AporteAlCorte(const std::string& donde) {
    if (!libros_) return std::nullopt;
    try {
        return SumarDonde(s_.datos,
                          HastaFecha(DoblarComillas(TextoFecha(corte_))) + filtro_ + " AND (" + donde + ")");
    } catch (const std::exception& e) {
        libros_.reset();
        sinLibros_ = std::string("no se pudieron sumar los asientos recuperados: ") + e.what();
        return std::nullopt;
    }
}

void Consolidacion::Recuperados(const std::string& donde, const std::optional<Aporte>& antes) {
    if (!antes) return;
    const std::optional<Aporte> despues = AporteAlCorte(donde);
    if (!despues) return;
    AjustarSumas(*libros_, despues->sumas, antes->sumas);
    filasAntes_ += despues->filas - antes->filas;
}

void Consolidacion::Verificar() {
    UnidadDiario u(Purga::Asientos, TipoUnidad::Verificacion);
    u.pasada = ctx_.tipo;
    u.comprobante = ctx_.clave;
    u.inicio = d_.AhoraDiario();
    u.resultado = resultado::kNoVerificado;
    if (!libros_) {
        u.error = sinLibros_;
    } else if (!refechado_) {
        u.error = "el comprobante de saldo inicial no quedo en la fecha de corte";
    } else {
        try {
            const Comparacion c =
                CompararLibros(*libros_, SumarLibros(s_.datos, filtro_, TextoFecha(corte_)));
            u.filas = c.grupos;
            u.diferencia = c.diferencia;
            u.nuevas = borradasPasada_ +
                       ContarFilas(s_.datos, filtro_, TextoFecha(corte_), ctx_.tipo, ctx_.clave) -
                       filasAntes_;
            u.resultado = c.distintos ? resultado::kDiferencias : resultado::kOk;
            for (const auto& x : c.casos) u.error += (u.error.empty() ? "" : "; ") + x;
            if (c.distintos) {
                host_.FijarHayError(true);
                std::string texto = "ATENCION: LOS SALDOS DE LA PASADA " + ctx_.tipo +
                                    " NO CUADRAN DESPUES DE LA DEPURACION: " + std::to_string(c.distintos) +
                                    " GRUPO(S) CON DIFERENCIA, EN TOTAL " + TextoCentavos(c.diferencia) +
                                    ". PRIMEROS: " + u.error + ".";
                if (u.nuevas != 0)
                    texto += " OTRO PROGRAMA " + std::string(u.nuevas > 0 ? "AGREGO " : "BORRO ") +
                             std::to_string(std::llabs(u.nuevas)) +
                             " ASIENTO(S) HASTA LA FECHA DE CORTE DURANTE LA CORRIDA.";
                Anotar(texto);
                s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
            }
        } catch (const std::exception& e) {
            u.error = std::string("no se pudieron sumar los asientos despues de consolidar: ") + e.what();
        }
    }
    u.fin = d_.AhoraDiario();
    Registrar(u);
}

void Consolidacion::ApagarDisparadores() {
    Cn().Execute(kApagarDisparadores);
    apagadosTx_ = true;
    if (Cn().NivelTransaccion() == 0) apagados_ = true;
}

void Consolidacion::EncenderDisparadores(bool alCerrar) {
    Cn().Execute(alCerrar ? "ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL" : kEncenderDisparadores);
    apagadosTx_ = false;
    if (Cn().NivelTransaccion() == 0) apagados_ = false;
}

void Consolidacion::Confirmar() {
    Cn().CommitTrans();
    apagados_ = apagadosTx_;
}

void Consolidacion::Deshacer() {
    Cn().RollbackTrans();
    apagadosTx_ = apagados_;  // the switch is undone with the transaction
}

void Consolidacion::AvisarDisparadores() {
    if (!apagados_) return;
    apagados_ = apagadosTx_ = false;  // said once
    host_.FijarHayError(true);
    const std::string texto =
        "ATENCION: LA BASE DE DATOS RECHAZO VOLVER A ACTIVAR LOS DISPARADORES DE MV_ASIENTOS: QUEDARON "
        "DESACTIVADOS. ACTIVELOS CON \"" +
        std::string(kEncenderDisparadores) + "\" ANTES DE VOLVER A USAR EL SISTEMA.";
    Anotar(texto);
    s_.operador.Mensaje(texto, vb::kSoloAceptar | vb::kCritico);
    d_.RegistrarPendiente(Purga::Asientos, "los disparadores de MV_ASIENTOS quedaron desactivados");
}

}  // namespace dep
