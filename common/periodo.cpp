#include "common/periodo.hpp"

#include <cmath>

#include "runtime/conversions.hpp"

namespace dep {

namespace {

// "DD/MM/YYYY" of a date text; a text that is no date is refused rather than sent to the database.
std::string FormatoDia(const std::string& fecha) {
    const auto f = ReconocerFecha(fecha);
    if (!f) throw Falla(err::kTipoIncompatible, "No coinciden los tipos: \"" + fecha + "\" no es una fecha");
    return FormatoCeros(f->Dia(), 2) + "/" + FormatoCeros(f->Mes(), 2) + "/" + FormatoCeros(f->Anio(), 4);
}

// The platform's 16-bit conversion: halves to the even neighbour, overflow outside the range.
std::int16_t AEntero16(double d) {
    const double r = std::nearbyint(d);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0) throw Falla(err::kDesbordamiento, "Desbordamiento");
    return static_cast<std::int16_t>(r);
}

// Closes the set on every way out, so that nothing is held after a failure either.
struct CierreSeguro {
    Recordset& rs;
    ~CierreSeguro() { rs.Close(); }
};

}  // namespace

std::int16_t Obtener_Periodo(Servicios& s, const std::string& fecha) {
    const std::string d = FormatoDia(fecha);
    const std::string sql = "Select * from MV_EJERCICIOS  with(nolock)  where [FECHA DESDE] <= '" + d +
                            "' and [FECHA HASTA] >= '" + d + "'";
    Recordset rs;
    CierreSeguro cierre{rs};
    s.datos.AbrirRecordset(sql, rs, nullptr, ado::kSoloAvance, ado::kSoloLectura, -1, true);
    std::int16_t periodo = 0;
    if (!rs.EOF()) periodo = AEntero16(LeerNumero(rs.Fields("Periodo").ATexto()));
    s.datos.CerrarRecordset(rs);
    return periodo;
}

}  // namespace dep
