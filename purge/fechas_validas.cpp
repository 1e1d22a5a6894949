#include "purge/fechas_validas.hpp"

#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Condicion() {
    return " WHERE FECHA IS NULL OR ISDATE(FECHA) = 0";
}

}  // namespace

std::string MostrarLeido(const Value& v) {
    if (v.EsNulo() || v.EsVacio()) return "NULL";
    if (const std::string* t = v.SiTexto()) return "'" + *t + "'";
    return v.ATexto();
}

FechasNoValidas BuscarFechasNoValidas(DataServices& datos, const std::string& tabla) {
    FechasNoValidas f;
    Recordset rs;
    datos.AbrirRecordset("SELECT COUNT(*) AS N FROM " + tabla + " with(nolock)" + Condicion(), rs);
    if (!rs.EOF() && !rs.Fields("N").EsNulo()) f.cantidad = rs.Fields("N").AEntero();
    datos.CerrarRecordset(rs);
    if (f.cantidad == 0) return f;
    Recordset ej;
    datos.AbrirRecordset("SELECT TOP " + std::to_string(kEjemplosNoValidos) + " FECHA FROM " + tabla +
                             " with(nolock)" + Condicion(),
                         ej);
    for (; !ej.EOF(); ej.MoveNext()) f.ejemplos.push_back(MostrarLeido(ej.Fields("FECHA")));
    datos.CerrarRecordset(ej);
    return f;
}

std::string DescribirFechasNoValidas(const std::string& tabla, const FechasNoValidas& f) {
    std::string lista;
    for (const auto& e : f.ejemplos) lista += (lista.empty() ? "" : ", ") + e;
    return "LA COLUMNA FECHA DE " + tabla + " TIENE " + std::to_string(f.cantidad) +
           " VALOR(ES) QUE NO SON FECHAS (POR EJEMPLO: " + lista + ")";
}

}  // namespace dep
