#include "purge/verificacion.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "purge/fusion.hpp"
#include "purge/pasada_en_curso.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"
#include "runtime/texto_servidor.hpp"

namespace dep {

namespace {

constexpr std::size_t kCasos = 5;

// A key text as the merge meets it: null as empty, compared under the server's rule.
std::string Texto(const Value& v) {
    return PlegarComoServidor(TextoPlano(v));
}

std::string Cotizacion(const Value& v) {
    if (v.EsNulo() || v.EsVacio()) return "NULL";
    // Locale-free: the same key whatever decimal separator the process's locale has.
    char b[400];
    const auto r = std::to_chars(b, b + sizeof b, v.ANumero(), std::chars_format::fixed, 6);
    return std::string(b, r.ptr);
}

// The merge's group key, as the walk's grouping writes it.
constexpr const char* kClaves =
    "CUENTA, [DEBE-HABER], MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO";

// Each row's amount in whole cents, summed by the database in 64-bit integers, and what lies
// below the cent, summed apart: the whole cents of rows far apart in size (1e15 and 0,01) add
// exactly, and the rest, a fraction of a cent per row, is too small to lose anything.
constexpr const char* kCentavos =
    "SUM(CAST(ROUND(CAST(IMPORTE AS FLOAT) * 100, 0) AS BIGINT)) AS CENTAVOS, "
    "SUM(CAST(IMPORTE AS FLOAT) * 100 - ROUND(CAST(IMPORTE AS FLOAT) * 100, 0)) AS RESTO";

std::string Clave(const std::vector<std::string>& k) {
    std::string r;
    for (const auto& x : k) r += (r.empty() ? "" : "|") + x;
    return r;
}

}  // namespace

std::string SqlSumasExactas(const std::string& filtro, const std::string& corte) {
    return SqlSumasExactasDonde(CondicionAgrupacion(HastaFecha(DoblarComillas(corte)), filtro));
}

std::string SqlSumasExactasDonde(const std::string& condicion) {
    return std::string("SELECT ") + kClaves + ", " + kCentavos + " From dbo.MV_ASIENTOS Where " +
           kOrdinarios + condicion + " GROUP BY " + kClaves;
}

SumasPorClave SumarLibros(DataServices& datos, const std::string& filtro, const std::string& corte) {
    return SumarExacto(datos, SqlSumasExactas(filtro, corte));
}

Aporte SumarDonde(DataServices& datos, const std::string& donde) {
    Aporte a;
    a.sumas = SumarExacto(datos, SqlSumasExactasDonde(" and (" + donde + ")"));
    a.filas = ContarAsientos(datos, donde);
    return a;
}

void AjustarSumas(SumasPorClave& a, const SumasPorClave& b, const SumasPorClave& c) {
    for (const auto& [k, v] : b) a[k] += v;
    for (const auto& [k, v] : c) a[k] -= v;
}

SumasPorClave SumarExacto(DataServices& datos, const std::string& sql) {
    std::map<std::vector<std::string>, std::pair<long long, double>> partes;  // whole cents, the rest
    Recordset rs;
    datos.AbrirRecordset(sql, rs);
    for (; !rs.EOF(); rs.MoveNext()) {
        const std::vector<std::string> k = {Texto(rs.Fields("CUENTA")),
                                            Texto(rs.Fields("DEBE-HABER")),
                                            Texto(rs.Fields("MONEDA")),
                                            Cotizacion(rs.Fields("COTIZACION")),
                                            Texto(rs.Fields("NroComprobanteBancario")),
                                            Texto(rs.Fields("TIPO_REG")),
                                            Texto(rs.Fields("IdCajas")),
                                            Texto(rs.Fields("UNEGOCIO"))};
        const Value centavos = rs.Fields("CENTAVOS");
        const Value resto = rs.Fields("RESTO");
        auto& p = partes[k];
        if (!centavos.EsNulo() && !centavos.EsVacio()) p.first += centavos.AEntero();
        if (!resto.EsNulo() && !resto.EsVacio()) p.second += resto.ANumero();
    }
    datos.CerrarRecordset(rs);
    SumasPorClave m;
    for (const auto& [k, p] : partes) m[k] = p.first + std::llround(p.second);
    return m;
}

Comparacion CompararLibros(const SumasPorClave& antes, const SumasPorClave& despues) {
    Comparacion c;
    auto anotar = [&](const std::vector<std::string>& k, long long a, long long d) {
        ++c.grupos;
        if (a == d) return;
        ++c.distintos;
        c.diferencia += std::llabs(a - d);
        if (c.casos.size() < kCasos)
            c.casos.push_back(Clave(k) + ": antes " + TextoCentavos(a) + ", despues " + TextoCentavos(d));
    };
    auto i = antes.begin();
    auto j = despues.begin();
    while (i != antes.end() || j != despues.end()) {
        if (j == despues.end() || (i != antes.end() && i->first < j->first)) {
            anotar(i->first, i->second, 0);
            ++i;
        } else if (i == antes.end() || j->first < i->first) {
            anotar(j->first, 0, j->second);
            ++j;
        } else {
            anotar(i->first, i->second, j->second);
            ++i;
            ++j;
        }
    }
    return c;
}

long long ContarFilas(DataServices& datos, const std::string& filtro, const std::string& corte,
                      const std::string& tipo, const std::string& clave) {
    Recordset rs;
    datos.AbrirRecordset("SELECT COUNT(*) AS N FROM MV_ASIENTOS with(nolock) WHERE Fecha <= '" +
                             DoblarComillas(corte) + "'" + filtro + " AND NOT (" +
                             CondicionComprobante(tipo, clave) + ")",
                         rs);
    const Value v = rs.EOF() ? Value::Nulo() : rs.Fields("N");
    datos.CerrarRecordset(rs);
    return v.EsNulo() || v.EsVacio() ? 0 : static_cast<long long>(v.AEntero());
}

std::string TextoCentavos(long long c) {
    const long long a = std::llabs(c);
    char b[48];
    std::snprintf(b, sizeof b, "%s%lld,%02lld", c < 0 ? "-" : "", a / 100, a % 100);
    return b;
}

}  // namespace dep
