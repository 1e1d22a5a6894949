// The next free entry number of an operating month, register type and period.
#include <cstdint>
#include <limits>
#include <string>

#include "numbering/apoyo.hpp"
#include "numbering/ast.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// The stored number plus one, as the platform's 32-bit conversion gives it.
std::int32_t MasUno(const Value& v) {
    const std::int64_t n = Value(v.ANumero() + 1).AEntero();
    if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        throw Falla(err::kDesbordamiento,
                    "Desbordamiento: el número de asiento " + v.ATexto() + " + 1 no cabe.", "Numeracion");
    return static_cast<std::int32_t>(n);
}

}  // namespace

std::int32_t Obtener_Nro_Asiento(Servicios& s, const Value& mes, const Value& periodo,
                                 const std::optional<std::string>& tipoReg) {
    const Trampa t = numeracion::TrampaRutina(s, "ValidaTCRegistraciones");
    auto paso = [&t](auto&& f) { return t.Paso(f) != Salida::Abandonar; };
    numeracion::ConjuntoLocal rs(s.datos);   // the entries table
    numeracion::ConjuntoLocal rsc(s.datos);  // the cost-centre table
    auto abrir = [&](numeracion::ConjuntoLocal& c, const std::string& sql) {
        c.Abrir(sql, &s.datos.Conexion_());
    };
    auto nro = [](numeracion::ConjuntoLocal& c) -> const Value& {
        return numeracion::Campo(c.rs(), "Nro_Asiento", "la consulta de asientos");
    };

    std::string filtro;
    std::int32_t n = 0;
    bool libre = false;
    if (!paso([&] {
            const std::string m = mes.ATexto();
            const std::string p = TextoNumero(LeerNumero(periodo.ATexto()));
            const std::string tr = tipoReg ? Recortar(*tipoReg) : std::string();
            if (tr.empty())
                filtro = " WITH(NOLOCK) WHERE MES_OPERATIVO = " + m +
                         " AND (TIPO_REG = '\xC3\xBFRS' OR TIPO_REG = '') AND PERIODO = " + p;
            else
                filtro = " WITH(NOLOCK) WHERE MES_OPERATIVO = " + m + " AND TIPO_REG = '" +
                         DoblarComillas(tr) + "' AND PERIODO = " + p;
        }))
        return 0;
    if (!paso([&] {
            abrir(rs, "SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOS" + filtro);
        }))
        return 0;
    if (!paso([&] { n = (rs->BOF() || nro(rs).EsNulo()) ? 1 : MasUno(nro(rs)); })) return 0;
    if (!paso([&] { rs.Cerrar(); })) return 0;
    if (!paso([&] {
            abrir(rsc, "SELECT [NUMERO ASIENTO] AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO" + filtro +
                           " AND [NUMERO ASIENTO] = " + TextoEntero(n));
        }))
        return 0;
    if (!paso([&] { libre = rsc->EOF() || nro(rsc).EsNulo(); })) return 0;
    if (!libre) {
        // The number is taken by a cost-centre entry: go past the highest of them.
        if (!paso([&] {
                abrir(rsc,
                      "SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO" + filtro);
            }))
            return 0;
        if (!paso([&] {
                if (!rsc->EOF() && !nro(rsc).EsNulo()) n = MasUno(nro(rsc));
            }))
            return 0;
    }
    if (!paso([&] { rs.Cerrar(); }) || !paso([&] { rsc.Cerrar(); })) return 0;
    return n;
}

}  // namespace dep
