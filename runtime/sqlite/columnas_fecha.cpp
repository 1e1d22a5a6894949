#include "runtime/sqlite/columnas_fecha.hpp"

#include <algorithm>
#include <array>

#include "runtime/conversions.hpp"
#include "runtime/sqlite/traductor.hpp"

namespace dep::sqlite {

namespace {

constexpr std::array<ColumnaDeFecha, 18> kColumnas = {{
    {"MV_ASIENTOS", "FECHA"},
    {"MV_ASIENTOS_AUDITORIA", "FECHA_ASIENTO"},
    {"MV_ASIENTOSCCOSTO", "FECHA"},
    {"MV_EJERCICIOS", "FECHA DESDE"},
    {"MV_EJERCICIOS", "FECHA HASTA"},
    {"MV_APLICACION", "FECHA"},
    {"VE_CPTES_CREDITOS_PENDIENTES", "FECHA"},
    {"V_MV_CTROL_CPTE", "FECHA"},
    {"V_MV_STOCK", "FECHA"},
    {"V_MV_CPTE", "FECHA"},
    {"C_MV_CPTE", "FECHA"},
    {"MV_VIAJES", "FECHA"},
    {"MV_TRANSMISIONESLOG", "FECHA"},
    {"V_MV_PRECIOSHIS", "FECHA"},
    {"AUX_MAYORES", "FECHA"},
    {"Aux_MV_Cpte", "FECHA"},
    {"AUX_SUBDIARIOS", "FECHA"},
    {"AUX_ERR", "FECHA"},
}};

bool Iguales(std::string_view a, std::string_view b) {
    auto mayuscula = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return mayuscula(x) == mayuscula(y); });
}

}  // namespace

std::span<const ColumnaDeFecha> ColumnasDeFechaDeLaSuite() {
    return {kColumnas.data(), kColumnas.size()};
}

bool EsColumnaDeFechaDeLaSuite(std::string_view tabla, std::string_view columna) {
    return std::any_of(kColumnas.begin(), kColumnas.end(), [&](const ColumnaDeFecha& c) {
        return Iguales(c.tabla, tabla) && Iguales(c.columna, columna);
    });
}

bool ColumnaLeidaComoFecha(std::string_view tabla, std::string_view columna, std::string_view tipoDeclarado) {
    return EsColumnaDeFechaDeLaSuite(tabla, columna) || EsTipoFecha(tipoDeclarado);
}

bool EsFechaDelOperador(std::string_view literal) {
    const std::string s = Recortar(literal);
    const bool almacenada =
        s.size() >= 5 && std::all_of(s.begin(), s.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }) &&
        s[4] == '-';
    return !almacenada && ReconocerFecha(s).has_value();
}

std::string MotivoOrdenSinFecha(const std::string& columna, const std::string& literal) {
    return "la columna " + columna +
           " no es una columna de fechas y no se puede comparar por orden con la fecha '" + literal + "'";
}

}  // namespace dep::sqlite
