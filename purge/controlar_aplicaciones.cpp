// Repairs payment applications whose vouchers were consolidated away, then applies the pending
// credits of the replacement voucher to themselves.
#include "common/barra_progreso.hpp"
#include "purge/consolidacion.hpp"
#include "purge/depuracion.hpp"
#include "purge/fusion.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// The key of a voucher found in MV_ASIENTOS.
struct ClaveComprobante {
    std::string tc, sucursal, numero, letra;
};

// Dated after the cut-off, or without a date.
bool Tardio(const Value& d, const Fecha& hasta) {
    if (Recortar(TextoPlano(d)).empty()) return true;
    return FechaDeValor(d) > hasta;
}

}  // namespace

void Depuracion::ControlarAplicaciones(const std::string& idNuevo, bool soloFP, const Fecha& fechaHasta) {
    FormServices& fs = s_.formularios;
    DataServices& ds = s_.datos;
    // The value of a field as text that goes between single quotes.
    auto v = [&](const Recordset& rs, const char* campo) {
        return DoblarComillas(TextoPlano(fs.ValorCampo(rs.Fields(campo))));
    };

    const std::string tipo = soloFP ? "FP" : "CC";
    const std::string id = DoblarComillas(idNuevo);
    const std::string sucursal = DoblarComillas(idNuevo.substr(0, 4));
    const std::string numero = DoblarComillas(idNuevo.size() > 4 ? idNuevo.substr(4, 8) : std::string());
    const std::string letra =
        DoblarComillas(idNuevo.empty() ? std::string() : idNuevo.substr(idNuevo.size() - 1));

    long borrados = 0, modificados = 0, ignorados = 0;
    Recordset apl;
    ds.AbrirRecordset(
        std::string("SELECT  * From MV_Aplicacion WHERE (NOT TC IN ('VJ','RM','TR','OC','OPG')) ") +
            (soloFP ? kPasadas[1].filtro : kPasadas[0].filtro),
        apl);
    host_.ProcesarEventos();
    host_.PicMsg().Mostrar();
    int noHallados = 0;
    if (apl.EOF()) return;

    // Runs a write; on a refusal shows the first error. True when it succeeded.
    auto escribir = [&](const std::string& sql) {
        ds.Ejecutar(sql);
        const auto& errores = ds.Conexion_().Errors();
        if (errores.empty()) return true;
        s_.operador.Mensaje(errores[0].descripcion, vb::kSoloAceptar);
        return false;
    };

    Recordset busca;
    ClaveComprobante hallado;
    while (!apl.EOF()) {
        const long p = apl.AbsolutePosition();
        const long n = apl.RecordCount();
        BarraProgreso(host_.PicMsg(), Value(static_cast<std::int32_t>(p * 100) / static_cast<double>(n)), 255,
                      " Controlando Aplicaciones: " + TextoEntero(p) + " DE " + TextoEntero(n) +
                          " | Borrados: " + TextoEntero(borrados) + " - Modificados:" +
                          TextoEntero(modificados) + " - Ignorados:" + TextoEntero(ignorados));
        host_.ProcesarEventos();
        bool faltaAlguno = false, origenHallado = false, aplicadoTardio = false, origenTardio = false;

        const std::string origen = TextoPlano(fs.ValorCampo(apl.Fields("Tco_Origen")));
        if (!fs.EnLista(origen, {"OC", "RM", "VJ", "OPG", "TR"})) {
            auto buscar = [&](const std::string& tc, const std::string& suc, const std::string& num,
                              const std::string& let) {
                ds.AbrirRecordset(
                    "SELECT CUENTA,TC,SUCURSAL,NUMERO,LETRA,FECHA FROM MV_ASIENTOS WHERE CUENTA = '" +
                        v(apl, "Cuenta") + "' AND TC = '" + tc + "' AND SUCURSAL = '" + suc +
                        "' AND NUMERO = '" + num + "' AND LETRA = '" + let + "'",
                    busca);
                if (busca.BOF()) return false;
                hallado = {TextoPlano(fs.ValorCampo(busca.Fields("tc"))),
                           TextoPlano(fs.ValorCampo(busca.Fields("Sucursal"))),
                           TextoPlano(fs.ValorCampo(busca.Fields("Numero"))),
                           TextoPlano(fs.ValorCampo(busca.Fields("letra")))};
                return true;
            };
            if (!buscar(v(apl, "tc"), v(apl, "Sucursal"), v(apl, "Numero"), v(apl, "letra"))) {
                ++noHallados;
                faltaAlguno = true;
            } else {
                aplicadoTardio = Tardio(fs.ValorCampo(busca.Fields("fecha")), fechaHasta);
                origenHallado = false;
            }
            if (!buscar(v(apl, "Tco_Origen"), v(apl, "SUCURSAL_ORIGEN"), v(apl, "numero_Origen"),
                        v(apl, "LETRA_ORIGEN"))) {
                ++noHallados;
                faltaAlguno = true;
            } else {
                origenTardio = Tardio(fs.ValorCampo(busca.Fields("fecha")), fechaHasta);
                origenHallado = true;
            }
            ds.CerrarRecordset(busca);

            if (host_.Cancelado()) return;

            bool escribio = true;
            if (aplicadoTardio && origenTardio) {
                ++ignorados;
                escribio = false;
            } else if (faltaAlguno && noHallados == 2) {
                if (escribir("DELETE MV_APLICACION WHERE ID = " +
                             TextoPlano(fs.ValorCampo(apl.Fields("Id")))))
                    ++borrados;
            } else if (faltaAlguno && noHallados == 1 && origenHallado) {
                if (escribir("UPDATE MV_APLICACION SET IDCOmprobante='" + id + "', TC='" + tipo +
                             "',SUCURSAL='" + sucursal + "',NUMERO='" + numero + "',LETRA='" + letra +
                             "' WHERE TCO_ORIGEN='" + DoblarComillas(hallado.tc) +
                             "' AND SUCURSAL_ORIGEN ='" + DoblarComillas(hallado.sucursal) +
                             "' AND NUMERO_ORIGEN='" + DoblarComillas(hallado.numero) +
                             "' AND LETRA_ORIGEN='" + DoblarComillas(hallado.letra) + "'"))
                    ++modificados;
            } else if (faltaAlguno && noHallados == 1) {
                if (escribir("UPDATE MV_APLICACION SET IdComprobante_origen='" + id + "', TCO_ORIGEN='" +
                             tipo + "',SUCURSAL_ORIGEN='" + sucursal + "',NUMERO_ORIGEN='" + numero +
                             "',LETRA_ORIGEN='" + letra + "' WHERE TC='" + DoblarComillas(hallado.tc) +
                             "' AND SUCURSAL='" + DoblarComillas(hallado.sucursal) + "' AND NUMERO='" +
                             DoblarComillas(hallado.numero) + "' AND LETRA='" +
                             DoblarComillas(hallado.letra) + "'"))
                    ++modificados;
            } else {
                escribio = false;
            }
            if (escribio) {
                hallado = {};
                noHallados = 0;
            }
        }
        host_.ProcesarEventos();
        apl.MoveNext();
    }
    ds.CerrarRecordset(apl);

    Recordset pend;
    ds.AbrirRecordset(std::string("SELECT *  FROM VE_CPTES_CREDITOS_PENDIENTES WHERE ") + " TC='" + tipo +
                          "' AND SUCURSAL='" + sucursal + "' AND NUMERO='" + numero + "' AND LETRA='" +
                          letra + "'",
                      pend);
    if (pend.BOF()) return;
    std::string lote;
    while (!pend.EOF()) {
        const double a = fs.ValorCampo(Value(fs.TextoANumero(pend.Fields("Importe").ATexto()))).ANumero();
        const std::string cuenta = v(pend, "Cuenta"), tc = v(pend, "tc"), suc = v(pend, "Sucursal"),
                          num = v(pend, "Numero"), let = v(pend, "letra");
        lote += "\r\n";
        lote +=
            "INSERT INTO MV_APLICACION "
            "(CUENTA,TC,SUCURSAL,NUMERO,LETRA,TCO_ORIGEN,SUCURSAL_ORIGEN,NUMERO_ORIGEN,"
            "LETRA_ORIGEN,IMPORTE,IDCOMPROBANTE,IDCOMPROBANTE_ORIGEN)";
        lote += " VALUES ('" + cuenta + "','" + tc + "','" + suc + "','" + num + "','" + let + "','" + tc +
                "','" + suc + "','" + num + "','" + let + "'," + TextoNumero(a) + ",'" + id + "','" + id +
                "')";
        pend.MoveNext();
    }
    ds.CerrarRecordset(pend);
    escribir(lote);
}

}  // namespace dep
