#include "purge/pasada_en_curso.hpp"

#include "purge/fusion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Clave(const std::string& tipo) {
    return "DEPURACION_EN_CURSO_" + tipo;
}

std::string Parte(const std::string& s, std::size_t desde, std::size_t largo) {
    return desde < s.size() ? s.substr(desde, largo) : std::string();
}

}  // namespace

std::string SqlGrabarPasadaEnCurso(const PasadaEnCurso& p) {
    return "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio) VALUES ('" +
           DoblarComillas(Clave(p.tipo)) + "', '" + DoblarComillas(p.clave) + "', '" +
           DoblarComillas(p.corte) + "', 'DATOS', 0)";
}

std::string SqlBorrarPasadaEnCurso(const std::string& tipo) {
    return "DELETE FROM TA_CONFIGURACION WHERE CLAVE = '" + DoblarComillas(Clave(tipo)) + "'";
}

std::optional<PasadaEnCurso> LeerPasadaEnCurso(DataServices& datos, const std::string& tipo) {
    Recordset rs;
    datos.AbrirRecordset(
        "SELECT VALOR, ValorAux FROM TA_CONFIGURACION WHERE CLAVE = '" + DoblarComillas(Clave(tipo)) + "'",
        rs);
    std::optional<PasadaEnCurso> r;
    if (!rs.EOF())
        r = PasadaEnCurso{tipo, Recortar(TextoPlano(rs.Fields("VALOR"))),
                          Recortar(TextoPlano(rs.Fields("ValorAux")))};
    datos.CerrarRecordset(rs);
    return r;
}

bool ExisteComprobanteResumen(DataServices& datos, const std::string& tipo, const std::string& id) {
    Recordset rs;
    datos.AbrirRecordset(
        "SELECT COUNT(*) AS N FROM MV_ASIENTOS with(nolock) WHERE " + CondicionComprobante(tipo, id), rs);
    const bool hay = !rs.EOF() && !rs.Fields("N").EsNulo() && rs.Fields("N").AEntero() > 0;
    datos.CerrarRecordset(rs);
    return hay;
}

std::string CondicionComprobante(const std::string& tipo, const std::string& clave) {
    return "TC = '" + DoblarComillas(tipo) + "' AND SUCURSAL = '" + DoblarComillas(Parte(clave, 0, 4)) +
           "' AND NUMERO = '" + DoblarComillas(Parte(clave, 4, 8)) + "' AND LETRA = '" +
           DoblarComillas(Parte(clave, 12, 1)) + "'";
}

}  // namespace dep
