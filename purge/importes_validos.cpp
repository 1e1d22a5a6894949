#include "purge/importes_validos.hpp"

#include <algorithm>

#include "purge/fechas_validas.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// What the consolidation sums: the ordinary entries of every voucher type up to the cut-off.
std::string Donde(const std::string& corte) {
    return std::string(" WHERE ") + kOrdinarios + " and " + HastaFecha(DoblarComillas(corte)) + " AND " +
           CondicionImporteNoValido();
}

// As the operator reads it: a text between quotes, a number with a decimal comma.
std::string MostrarImporte(const Value& v) {
    std::string n = MostrarLeido(v);
    if (v.SiTexto() == nullptr) std::replace(n.begin(), n.end(), '.', ',');
    return n;
}

}  // namespace

std::string CondicionImporteNoValido() {
    // CAST(... AS FLOAT) is the server's double and has SQLite's REAL affinity: SQLite reads a text
    // beside it as a number when the whole text is one, so only other texts and blobs differ.
    // The magnitude is tested on the double, so that no integer overflows in ABS.
    return std::string(
               "(IMPORTE IS NULL OR NOT (CAST(IMPORTE AS FLOAT) = IMPORTE) OR ABS(CAST(IMPORTE AS "
               "FLOAT)) >= ") +
           kLimiteImporte + ")";
}

ImportesNoValidos BuscarImportesNoValidos(DataServices& datos, const std::string& corte) {
    ImportesNoValidos f;
    Recordset rs;
    datos.AbrirRecordset("SELECT COUNT(*) AS N FROM MV_ASIENTOS with(nolock)" + Donde(corte), rs);
    if (!rs.EOF() && !rs.Fields("N").EsNulo()) f.cantidad = rs.Fields("N").AEntero();
    datos.CerrarRecordset(rs);
    if (f.cantidad == 0) return f;
    Recordset ej;
    datos.AbrirRecordset("SELECT TOP " + std::to_string(kEjemplosNoValidos) +
                             " IMPORTE FROM MV_ASIENTOS with(nolock)" + Donde(corte),
                         ej);
    for (; !ej.EOF(); ej.MoveNext()) f.ejemplos.push_back(MostrarImporte(ej.Fields("IMPORTE")));
    datos.CerrarRecordset(ej);
    return f;
}

std::string DescribirImportesNoValidos(const ImportesNoValidos& f) {
    std::string lista;
    for (const auto& e : f.ejemplos) lista += (lista.empty() ? "" : ", ") + e;
    return "LA COLUMNA IMPORTE DE MV_ASIENTOS TIENE " + std::to_string(f.cantidad) +
           " VALOR(ES) QUE NO SON IMPORTES VÁLIDOS (POR EJEMPLO: " + lista +
           "); UN IMPORTE VÁLIDO ES UN NÚMERO DE MENOS DE " + kLimiteImporteTexto + " EN VALOR ABSOLUTO";
}

long long ContarMarcasNoValidas(DataServices& datos, const std::string& corte) {
    Recordset rs;
    datos.AbrirRecordset(
        "SELECT COUNT(*) AS N FROM MV_ASIENTOS with(nolock) WHERE Fecha <= '" + DoblarComillas(corte) +
            "' AND (EsCierre IS NULL OR ES_SALDO_APERTURA IS NULL OR EsCierre NOT IN (0, 1) OR "
            "ES_SALDO_APERTURA NOT IN (0, 1))",
        rs);
    const long long n = rs.EOF() || rs.Fields("N").EsNulo() ? 0 : rs.Fields("N").AEntero();
    datos.CerrarRecordset(rs);
    return n;
}

std::string LoQueDetieneLaConsolidacion(DataServices& datos, const std::string& corte) {
    if (const ImportesNoValidos f = BuscarImportesNoValidos(datos, corte); f.cantidad > 0)
        return DescribirImportesNoValidos(f);
    if (const long long n = ContarMarcasNoValidas(datos, corte); n > 0)
        return "LAS COLUMNAS EsCierre Y ES_SALDO_APERTURA DE MV_ASIENTOS TIENEN " + std::to_string(n) +
               " FILA(S) HASTA EL " + corte +
               " QUE NO ESTAN MARCADAS NI COMO ASIENTO COMUN (0 Y 0) NI COMO CIERRE O APERTURA (1): LA "
               "CONSOLIDACION LAS BORRARIA SIN SUMARLAS";
    return {};
}

}  // namespace dep
