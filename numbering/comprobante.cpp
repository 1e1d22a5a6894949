// The number of a new voucher: the talonario's proposal, moved past what is already recorded.
#include <string>
#include <vector>

#include "common/clave_comprobante.hpp"
#include "common/configuracion.hpp"
#include "numbering/apoyo.hpp"
#include "numbering/ast.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// Characters 5 to 12 of an IDCOMPROBANTE: its number part.
std::string ParteNumero(const std::string& id) {
    return ClaveComprobante::Leer(id).numero;
}

}  // namespace

std::string Obtener_TC_Numeracion(Servicios& s, const std::string& tc) {
    std::string aux;
    const std::string n = Recortar(Cfg(s, "NUM_" + Recortar(tc), aux));
    return n.empty() ? tc : n;
}

bool Existe_En_Asientos(Servicios& s, const std::string& tc, const std::string& sucursal,
                        const std::string& numero, const std::string& letra, std::string& salida,
                        const std::string& cuenta, bool sinBloqueo) {
    if (IgualesSinCaso(tc, "OC")) return false;
    const std::string extra = cuenta.empty() ? "" : " AND CUENTA = '" + DoblarComillas(cuenta) + "'";
    const std::string tcx = s.formularios.TextoSQL(tc, 4);
    const std::string cabeza = sinBloqueo ? "SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = '"
                                          : "SELECT * FROM MV_ASIENTOS WHERE TC = '";
    numeracion::ConjuntoLocal rs(s.datos);
    rs.Abrir(cabeza + tcx + "' AND SUCURSAL = '" + DoblarComillas(sucursal) + "' AND NUMERO = '" +
                 DoblarComillas(numero) + "' AND LETRA = '" + DoblarComillas(letra) + "'" + extra,
             nullptr);
    if (rs->EOF()) return false;
    salida = numeracion::FormatoValor(
                 s.formularios.ValorCampo(numeracion::Campo(rs.rs(), "Mes_Operativo", "MV_ASIENTOS")), 2) +
             " - " +
             numeracion::FormatoValor(
                 s.formularios.ValorCampo(numeracion::Campo(rs.rs(), "numero asiento", "MV_ASIENTOS")), 6);
    rs.Cerrar();
    return true;
}

void Obtener_Nro_Comprobante(Servicios& s, const std::string& tc, std::string& sucursal, std::string& numero,
                             std::string& letra, bool& modifica, bool controlar, const std::string& /*fecha*/,
                             const std::string& unegocio) {
    if (tc.empty()) return;
    const Trampa t = numeracion::TrampaRutina(s, "Obtener_Nro_Comprobante");
    auto paso = [&t](auto&& f) { return t.Paso(f) != Salida::Abandonar; };
    numeracion::ConjuntoLocal rs(s.datos);
    auto abrir = [&](const std::string& sql) { rs.Abrir(sql, nullptr); };
    auto ultimo = [&]() -> const Value& { return numeracion::Campo(rs.rs(), "Ultimo", "la consulta"); };
    auto q = [](const std::string& v) { return DoblarComillas(v); };

    std::string n;
    if (!paso([&] { n = Obtener_TC_Numeracion(s, tc); })) return;
    if (!paso([&] {
            std::string hasta = "99999999";
            Obtener_Nro_Comprobante_Contable(s, n, sucursal, numero, letra, modifica, "", unegocio, hasta);
        }))
        return;
    if (!controlar) return;

    // (A) Vouchers recorded by their IDCOMPROBANTE: move past the highest one of the branch and letter.
    auto existencia = [&](const std::string& tabla) {
        bool hay = false;
        if (!paso([&] {
                abrir("SELECT * From " + tabla + "  with(nolock)  WHERE TC = '" + q(tc) +
                      "' AND IDCOMPROBANTE = '" + q(sucursal + numero + letra) + "'");
            }))
            return;
        if (!paso([&] { hay = !rs->EOF(); })) return;
        if (hay) {
            if (!paso([&] {
                    abrir("SELECT MAX(idcomprobante) AS ULTIMO From " + tabla + " WHERE TC = '" + q(tc) +
                          "' AND SUBSTRING(IDCOMPROBANTE,1,4)= '" + q(sucursal) +
                          "' AND SUBSTRING(IDCOMPROBANTE,13,1) = '" + q(letra) + "'");
                }))
                return;
            if (!paso([&] {
                    if (rs->EOF() || ultimo().EsNulo()) return;
                    const std::string m = ParteNumero(ultimo().ATexto());
                    const Moneda vm = s.formularios.TextoANumero(m);
                    if (s.formularios.TextoANumero(numero) <= vm) numero = numeracion::SiguienteOcho(vm);
                }))
                return;
        }
        paso([&] { rs.Cerrar(); });
    };

    if (IgualesSinCaso(tc, "VJ")) {
        existencia("MV_VIAJES");
        return;
    }
    bool esStock = false;
    if (!paso([&] { esStock = s.formularios.EnLista(tc, {"AJP", "AJN", "VS", "IR"}); })) return;
    if (esStock) {
        existencia("V_MV_STOCK");
        return;
    }

    bool enAsientos = false;
    if (!paso([&] {
            std::string salida;
            enAsientos = Existe_En_Asientos(s, tc, sucursal, numero, letra, salida, "", true);
        }))
        return;

    if (enAsientos) {
        // (B) The voucher is already in the entries: the next number of its branch and letter.
        bool desdeVacio = false;
        if (!paso([&] {
                abrir("SELECT MAX(NUMERO) AS ULTIMO From MV_ASIENTOS with(nolock) WHERE TC = '" + q(tc) +
                      "' AND SUCURSAL= '" + q(sucursal) + "' AND LETRA = '" + q(letra) + "'");
            }))
            return;
        if (!paso([&] {
                if (rs->EOF() || ultimo().EsNulo()) {
                    numero = "00000001";
                    desdeVacio = true;
                } else {
                    numero = numeracion::SiguienteOcho(s.formularios.TextoANumero(ultimo().ATexto()));
                }
            }))
            return;
        if (IgualesSinCaso(tc, "CBFP") && !desdeVacio) {
            if (!paso([&] {
                    abrir("SELECT MAX(idcomprobante) AS ULTIMO From V_MV_CPTE WHERE TC = '" + q(tc) +
                          "' AND SUBSTRING(IDCOMPROBANTE,1,4)= '" + q(sucursal) +
                          "' AND SUBSTRING(IDCOMPROBANTE,13,1) = '" + q(letra) + "'");
                }))
                return;
            if (!paso([&] {
                    if (rs->EOF() || ultimo().EsNulo()) return;
                    const Moneda vm = s.formularios.TextoANumero(ParteNumero(ultimo().ATexto()));
                    if (s.formularios.TextoANumero(numero) < vm) numero = numeracion::SiguienteOcho(vm);
                }))
                return;
        }
        paso([&] { rs.Cerrar(); });
        return;
    }

    if (numeracion::EsUno(tc, {"OPG", "PG", "FC", "NC", "ND", "NP", "GF", "PR", "RM", "TK", "TKFC", "FP",
                               "VJ", "IR", "VS", "SI", "AJP", "AJN", "TRP"}))
        return;

    if (IgualesSinCaso(tc, "OC")) {
        // (C) A purchase voucher already recorded: the next number below the talonario's bound.
        bool hay = false;
        if (!paso([&] {
                abrir("SELECT * From C_MV_CPTE  with(nolock)  WHERE TC = '" + q(tc) +
                      "' AND IDCOMPROBANTE = '" + q(sucursal + numero + letra) + "'");
            }))
            return;
        if (!paso([&] { hay = !rs->EOF(); })) return;
        if (hay) {
            const std::string h = "99999999";
            if (!paso([&] {
                    if (s.formularios.TextoANumero(h) > Moneda{})
                        abrir("SELECT MAX(NUMERO) AS ULTIMO From C_MV_CPTE  with(nolock) WHERE TC = '" +
                              q(tc) + "' AND SUCURSAL = '" + q(sucursal) + "' AND NUMERO < '" + h +
                              "' AND LETRA = '" + q(letra) + "' ");
                    else
                        abrir("SELECT MAX(NUMERO) AS ULTIMO From C_MV_CPTE  with(nolock) WHERE TC = '" +
                              q(tc) + "' AND SUCURSAL = '" + q(sucursal) + "' AND LETRA = '" + q(letra) +
                              "'");
                }))
                return;
            if (!paso([&] {
                    if (rs->EOF() || ultimo().EsNulo())
                        numero = "00000001";
                    else
                        numero = numeracion::SiguienteOcho(s.formularios.TextoANumero(ultimo().ATexto()));
                }))
                return;
        }
        paso([&] { rs.Cerrar(); });
        return;
    }

    // (D) Any other type: the control row of the proposed voucher is released.
    paso([&] {
        numeracion::ConjuntoLocal vacio(s.datos);
        s.datos
            .Ejecutar("DELETE V_MV_CTROL_CPTE WHERE TC = '" + q(tc) + "' AND SUCURSAL = '" + q(sucursal) +
                          "' AND NUMERO = '" + q(numero) + "' AND LETRA = '" + q(letra) + "'",
                      &vacio.rs())
            .Exigir();
    });
}

}  // namespace dep
