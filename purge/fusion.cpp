#include "purge/fusion.hpp"

#include "common/clave_comprobante.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

const char* const kFinLinea = "\r\n";

// A plain value that goes between the quotes of the surrounding pieces.
std::string Citado(const Value& v) {
    return DoblarComillas(TextoPlano(v));
}

}  // namespace

std::string TextoPlano(const Value& v) {
    if (v.EsNulo() || v.EsVacio()) return {};
    return v.ATexto();
}

std::string CondicionFusion(const Recordset& g, const ContextoFusion& c, const FormServices& fs) {
    std::string m;
    m += " CUENTA = '" + Citado(g.Fields("Cuenta"));
    m += "' AND " + ClaveComprobante::Leer(c.clave).Condicion(c.tipo);
    m += " AND IDCAJAS = '" + Citado(g.Fields("IdCajas"));
    m += "' AND UNEGOCIO = '" + Citado(g.Fields("UNegocio"));
    m += "' AND MONEDA = '" + Citado(g.Fields("Moneda"));
    // A null rate has no text to compare with: match the null row the insert writes.
    const Value& cot = g.Fields("Cotizacion");
    m += cot.EsNulo() ? std::string("' and cotizacion IS NULL") : "' and cotizacion = " + TextoPlano(cot);
    m += " and nrocomprobantebancario = '" + Citado(fs.ValorCampo(g.Fields("NROCOMPROBANTEBANCARIO")));
    m += "' and tipo_reg = '" + Citado(g.Fields("Tipo_Reg"));
    m += "' AND [DEBE-HABER] = '" + Citado(g.Fields("Debe-Haber"));
    m += "'";
    return m;
}

std::string LoteFusion(const Recordset& g, const ContextoFusion& c, const std::string& m,
                       const DataServices& ds, const FormServices& fs) {
    auto q = [&](const Value& v) { return ds.ValorSQL(v, '\''); };
    auto n = [&](const Value& v) { return ds.ValorSQL(v, '@'); };
    const ClaveComprobante clave = ClaveComprobante::Leer(c.clave);
    const std::string valores[] = {
        q(g.Fields("Cuenta")),
        q(Value(c.tipo)),
        q(Value(clave.sucursal)),
        q(Value(clave.numero)),
        q(Value(clave.letra)),
        TextoEntero(c.secuencia),
        q(g.Fields("Debe-Haber")),
        n(g.Fields("Importe")),
        q(g.Fields("Moneda")),
        n(g.Fields("Cotizacion")),
        q(fs.ValorCampo(g.Fields("NROCOMPROBANTEBANCARIO"))),
        q(g.Fields("Tipo_Reg")),
        q(g.Fields("IdCajas")),
        q(g.Fields("UNegocio")),
        q(Value(c.periodo)),
        q(Value(c.fechaResumen)),
        n(Value(c.mesResumen)),
        n(Value(c.nroAsiento)),
        "'Depuracion'",
    };
    std::string lista;
    for (const auto& v : valores) {
        if (!lista.empty()) lista += ",";
        lista += v;
    }

    std::string b;
    b += "IF NOT EXISTS(SELECT * FROM MV_ASIENTOS WHERE " + m + ")" + kFinLinea;
    b += std::string("BEGIN ") + kFinLinea;
    b += std::string("INSERT INTO MV_ASIENTOS ( ") +
         "CUENTA, tc, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], IMPORTE, MONEDA, COTIZACION, " +
         "NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, PERIODO,FECHA, MES_OPERATIVO, [NUMERO "
         "ASIENTO], "
         "detalle  " +
         ")" + kFinLinea;
    b += std::string("VALUES (") + kFinLinea;
    b += lista + ")" + kFinLinea;
    b += std::string("END") + kFinLinea;
    b += std::string("ELSE") + kFinLinea;
    b += std::string("BEGIN") + kFinLinea;
    b += "UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + " + TextoPlano(g.Fields("Importe")) + " WHERE " + m +
         kFinLinea;
    b += std::string("END") + kFinLinea;
    return b;
}

}  // namespace dep
