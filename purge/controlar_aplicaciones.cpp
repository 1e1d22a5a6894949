// Repairs payment applications whose vouchers were consolidated away, then applies the pending
// credits of the replacement voucher to themselves.
#include "common/barra_progreso.hpp"
#include "common/clave_comprobante.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/fusion.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// The type and key of a voucher found in MV_ASIENTOS.
struct Hallado {
    std::string tc, sucursal, numero, letra;
};

// Dated after the cut-off, or without a date.
bool Tardio(const Value& d, const Fecha& hasta) {
    if (Recortar(TextoPlano(d)).empty()) return true;
    return FechaDeValor(d) > hasta;
}

// One control of the applications against the summary voucher `idNuevo` of a pass: first every
// application whose vouchers the pass consolidated away is deleted or re-pointed, then the
// voucher's pending credits are applied to itself.
class ControlAplicaciones {
  public:
    ControlAplicaciones(Servicios& s, Anfitrion& host, const std::string& idNuevo, bool soloFP,
                        const Fecha& hasta)
        : fs_(s.formularios),
          ds_(s.datos),
          op_(s.operador),
          host_(host),
          hasta_(hasta),
          soloFP_(soloFP),
          tipo_(soloFP ? "FP" : "CC"),
          id_(DoblarComillas(idNuevo)),
          clave_(ClaveComprobante::Leer(idNuevo)),
          sucursal_(DoblarComillas(clave_.sucursal)),
          numero_(DoblarComillas(clave_.numero)),
          letra_(DoblarComillas(clave_.letra)) {}

    // Every application of the pass's vouchers; false when there was none or the operator
    // cancelled, and then nothing more is done.
    bool RepararAplicaciones() {
        Recordset apl;
        ds_.AbrirRecordset(
            std::string("SELECT  * From MV_Aplicacion WHERE (NOT TC IN ('VJ','RM','TR','OC','OPG')) ") +
                (soloFP_ ? kPasadas[1].filtro : kPasadas[0].filtro),
            apl);
        host_.ProcesarEventos();
        host_.PicMsg().Mostrar();
        if (apl.EOF()) return false;
        while (!apl.EOF()) {
            MostrarAvance(apl);
            host_.ProcesarEventos();
            if (!Revisar(apl)) return false;
            host_.ProcesarEventos();
            apl.MoveNext();
        }
        ds_.CerrarRecordset(apl);
        return true;
    }

    // The pending credits of the new voucher, applied to itself in one batch.
    void AplicarCreditosPendientes() {
        Recordset pend;
        ds_.AbrirRecordset(std::string("SELECT *  FROM VE_CPTES_CREDITOS_PENDIENTES WHERE ") + " TC='" +
                               tipo_ + "' AND SUCURSAL='" + sucursal_ + "' AND NUMERO='" + numero_ +
                               "' AND LETRA='" + letra_ + "'",
                           pend);
        if (pend.BOF()) return;
        std::string lote;
        while (!pend.EOF()) {
            const double a =
                fs_.ValorCampo(Value(fs_.TextoANumero(pend.Fields("Importe").ATexto()))).ANumero();
            const std::string cuenta = V(pend, "Cuenta"), tc = V(pend, "tc"), suc = V(pend, "Sucursal"),
                              num = V(pend, "Numero"), let = V(pend, "letra");
            lote += "\r\n";
            lote +=
                "INSERT INTO MV_APLICACION "
                "(CUENTA,TC,SUCURSAL,NUMERO,LETRA,TCO_ORIGEN,SUCURSAL_ORIGEN,NUMERO_ORIGEN,"
                "LETRA_ORIGEN,IMPORTE,IDCOMPROBANTE,IDCOMPROBANTE_ORIGEN)";
            lote += " VALUES ('" + cuenta + "','" + tc + "','" + suc + "','" + num + "','" + let + "','" +
                    tc + "','" + suc + "','" + num + "','" + let + "'," + TextoNumero(a) + ",'" + id_ +
                    "','" + id_ + "')";
            pend.MoveNext();
        }
        ds_.CerrarRecordset(pend);
        Escribir(lote);
    }

  private:
    // The value of a field as text that goes between single quotes.
    std::string V(const Recordset& rs, const char* campo) const {
        return DoblarComillas(TextoPlano(fs_.ValorCampo(rs.Fields(campo))));
    }

    void MostrarAvance(const Recordset& apl) {
        const long p = apl.AbsolutePosition();
        const long n = apl.RecordCount();
        BarraProgreso(host_.PicMsg(), Value(static_cast<std::int32_t>(p * 100) / static_cast<double>(n)), 255,
                      " Controlando Aplicaciones: " + TextoEntero(p) + " DE " + TextoEntero(n) +
                          " | Borrados: " + TextoEntero(borrados_) + " - Modificados:" +
                          TextoEntero(modificados_) + " - Ignorados:" + TextoEntero(ignorados_));
    }

    // Finds the voucher of the application's account in MV_ASIENTOS into `busca_` and `hallado_`.
    bool Buscar(const Recordset& apl, const std::string& tc, const std::string& suc, const std::string& num,
                const std::string& let) {
        ds_.AbrirRecordset("SELECT CUENTA,TC,SUCURSAL,NUMERO,LETRA,FECHA FROM MV_ASIENTOS WHERE CUENTA = '" +
                               V(apl, "Cuenta") + "' AND TC = '" + tc + "' AND SUCURSAL = '" + suc +
                               "' AND NUMERO = '" + num + "' AND LETRA = '" + let + "'",
                           busca_);
        if (busca_.BOF()) return false;
        hallado_ = {TextoPlano(fs_.ValorCampo(busca_.Fields("tc"))),
                    TextoPlano(fs_.ValorCampo(busca_.Fields("Sucursal"))),
                    TextoPlano(fs_.ValorCampo(busca_.Fields("Numero"))),
                    TextoPlano(fs_.ValorCampo(busca_.Fields("letra")))};
        return true;
    }

    // One application: looks for its applied and its origin vouchers and repairs it when one of
    // them is gone. False when the operator cancelled.
    bool Revisar(const Recordset& apl) {
        const std::string origen = TextoPlano(fs_.ValorCampo(apl.Fields("Tco_Origen")));
        if (fs_.EnLista(origen, {"OC", "RM", "VJ", "OPG", "TR"})) return true;
        bool faltaAlguno = false, origenHallado = false, aplicadoTardio = false, origenTardio = false;
        if (!Buscar(apl, V(apl, "tc"), V(apl, "Sucursal"), V(apl, "Numero"), V(apl, "letra"))) {
            ++noHallados_;
            faltaAlguno = true;
        } else {
            aplicadoTardio = Tardio(fs_.ValorCampo(busca_.Fields("fecha")), hasta_);
            origenHallado = false;
        }
        if (!Buscar(apl, V(apl, "Tco_Origen"), V(apl, "SUCURSAL_ORIGEN"), V(apl, "numero_Origen"),
                    V(apl, "LETRA_ORIGEN"))) {
            ++noHallados_;
            faltaAlguno = true;
        } else {
            origenTardio = Tardio(fs_.ValorCampo(busca_.Fields("fecha")), hasta_);
            origenHallado = true;
        }
        ds_.CerrarRecordset(busca_);

        if (host_.Cancelado()) return false;
        // What was not found, and when no write followed, stays counted into the next application.
        if (Corregir(apl, faltaAlguno, origenHallado, aplicadoTardio && origenTardio)) {
            hallado_ = {};
            noHallados_ = 0;
        }
        return true;
    }

    // Deletes an application whose two vouchers are gone, or points the side that is gone at the
    // new voucher; leaves one whose two vouchers are dated after the cut-off. True when a write
    // was tried.
    bool Corregir(const Recordset& apl, bool faltaAlguno, bool origenHallado, bool ambosTardios) {
        if (ambosTardios) {
            ++ignorados_;
            return false;
        }
        if (faltaAlguno && noHallados_ == 2) {
            if (Escribir("DELETE MV_APLICACION WHERE ID = " + TextoPlano(fs_.ValorCampo(apl.Fields("Id")))))
                ++borrados_;
            return true;
        }
        if (faltaAlguno && noHallados_ == 1 && origenHallado) {
            if (Escribir("UPDATE MV_APLICACION SET IDCOmprobante='" + id_ + "', TC='" + tipo_ +
                         "',SUCURSAL='" + sucursal_ + "',NUMERO='" + numero_ + "',LETRA='" + letra_ +
                         "' WHERE TCO_ORIGEN='" + DoblarComillas(hallado_.tc) + "' AND SUCURSAL_ORIGEN ='" +
                         DoblarComillas(hallado_.sucursal) + "' AND NUMERO_ORIGEN='" +
                         DoblarComillas(hallado_.numero) + "' AND LETRA_ORIGEN='" +
                         DoblarComillas(hallado_.letra) + "'"))
                ++modificados_;
            return true;
        }
        if (faltaAlguno && noHallados_ == 1) {
            if (Escribir("UPDATE MV_APLICACION SET IdComprobante_origen='" + id_ + "', TCO_ORIGEN='" + tipo_ +
                         "',SUCURSAL_ORIGEN='" + sucursal_ + "',NUMERO_ORIGEN='" + numero_ +
                         "',LETRA_ORIGEN='" + letra_ + "' WHERE TC='" + DoblarComillas(hallado_.tc) +
                         "' AND SUCURSAL='" + DoblarComillas(hallado_.sucursal) + "' AND NUMERO='" +
                         DoblarComillas(hallado_.numero) + "' AND LETRA='" + DoblarComillas(hallado_.letra) +
                         "'"))
                ++modificados_;
            return true;
        }
        return false;
    }

    // Runs a write; on a refusal shows the first error. True when it succeeded.
    bool Escribir(const std::string& sql) {
        const Ejecucion e = ds_.Ejecutar(sql);
        if (e.Hecha()) return true;
        op_.Mensaje(e.Error(), vb::kSoloAceptar);
        return false;
    }

    FormServices& fs_;
    DataServices& ds_;
    Operador& op_;
    Anfitrion& host_;
    const Fecha hasta_;
    const bool soloFP_;
    // The new voucher's type and key, each ready to go between single quotes.
    const std::string tipo_, id_;
    const ClaveComprobante clave_;  // the summary voucher's key; its parts quoted below
    const std::string sucursal_, numero_, letra_;
    long borrados_ = 0, modificados_ = 0, ignorados_ = 0;
    int noHallados_ = 0;
    Recordset busca_;
    Hallado hallado_;
};

}  // namespace

void Depuracion::ControlarAplicaciones(const std::string& idNuevo, bool soloFP, const Fecha& fechaHasta) {
    ControlAplicaciones control(s_, host_, idNuevo, soloFP, fechaHasta);
    if (control.RepararAplicaciones()) control.AplicarCreditosPendientes();
}

}  // namespace dep
