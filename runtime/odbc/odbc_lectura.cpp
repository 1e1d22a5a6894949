// Diagnostics and result rows of the ODBC engine: SQL types become the platform's values.
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_interno.hpp"
#include "runtime/odbc/odbc_texto.hpp"

namespace dep::odbc::detalle {

std::vector<Diagnostico> LeerDiagnosticos(SQLSMALLINT tipo, SQLHANDLE h) {
    std::vector<Diagnostico> ds;
    if (h == SQL_NULL_HANDLE) return ds;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR estado[6] = {};
        SQLINTEGER nativo = 0;
        std::vector<SQLCHAR> texto(1024);
        SQLSMALLINT largo = 0;
        SQLRETURN rc = SQLGetDiagRec(tipo, h, i, estado, &nativo, texto.data(),
                                     static_cast<SQLSMALLINT>(texto.size()), &largo);
        if (rc == SQL_SUCCESS_WITH_INFO && largo >= static_cast<SQLSMALLINT>(texto.size())) {
            texto.resize(static_cast<size_t>(largo) + 1);
            rc = SQLGetDiagRec(tipo, h, i, estado, &nativo, texto.data(),
                               static_cast<SQLSMALLINT>(texto.size()), &largo);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        Diagnostico d;
        d.estado = reinterpret_cast<const char*>(estado);
        d.nativo = nativo;
        const size_t n = std::min(static_cast<size_t>(largo < 0 ? 0 : largo), texto.size() - 1);
        d.mensaje.assign(reinterpret_cast<const char*>(texto.data()), n);
        ds.push_back(std::move(d));
    }
    return ds;
}

ErrorBD Entrada(const Diagnostico& d) {
    ErrorBD e;
    const MensajeDriver m = PartirMensaje(d.mensaje);
    e.numero = d.nativo != 0 ? d.nativo : err::kBaseDatos;
    e.descripcion = m.texto.empty() ? d.mensaje : m.texto;
    e.fuente = m.fuente.empty() ? "ODBC" : m.fuente;
    e.estado = d.estado;
    e.informativo = d.estado.rfind("01", 0) == 0;
    return e;
}

bool Anotar(const std::vector<Diagnostico>& ds, std::vector<ErrorBD>& destino) {
    bool error = false;
    for (const Diagnostico& d : ds) {
        destino.push_back(Entrada(d));
        error = error || !destino.back().informativo;
    }
    return error;
}

Lectura LecturaDe(SQLSMALLINT tipoSql, std::string_view nombreTipo) {
    // The SQL Server driver reports money as a decimal of scale 4; only its name tells it apart.
    if (ContieneSinCaso(nombreTipo, "money")) return Lectura::Moneda;
    switch (tipoSql) {
        case SQL_BIT:
            return Lectura::Logico;
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return Lectura::Entero;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return Lectura::Doble;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return Lectura::Decimal;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIMESTAMP:
            return Lectura::Fecha;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return Lectura::Hora;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return Lectura::Binario;
        default:
            return Lectura::Texto;
    }
}

Moneda MonedaDeTexto(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    if (s.find_first_of("eE") != std::string_view::npos) return Moneda::DesdeDoble(DobleDeTexto(s));
    bool negativo = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negativo = s.front() == '-';
        s.remove_prefix(1);
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t entero = 0;
    size_t i = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (entero > (kMax - 9) / 10) throw Falla(err::kDesbordamiento, "Desbordamiento");
        entero = entero * 10 + (s[i] - '0');
    }
    std::int64_t fraccion = 0;
    int cifras = 0;
    bool redondearArriba = false;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
            if (cifras < 4) {
                fraccion = fraccion * 10 + (s[i] - '0');
                ++cifras;
            } else if (cifras == 4) {
                redondearArriba = s[i] >= '5';
                ++cifras;
            }
        }
    }
    if (i != s.size()) throw Falla(err::kTipoIncompatible, "No coinciden los tipos");
    for (int k = std::min(cifras, 4); k < 4; ++k) fraccion *= 10;
    std::int64_t total = 0;
    if (__builtin_mul_overflow(entero, std::int64_t{10000}, &total) ||
        __builtin_add_overflow(total, fraccion + (redondearArriba ? 1 : 0), &total))
        throw Falla(err::kDesbordamiento, "Desbordamiento");
    return Moneda{negativo ? -total : total};
}

double DobleDeTexto(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double d = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec == std::errc::result_out_of_range) throw Falla(err::kDesbordamiento, "Desbordamiento");
    if (ec != std::errc() || p != s.data() + s.size())
        throw Falla(err::kTipoIncompatible, "No coinciden los tipos");
    return d;
}

namespace {

struct Columna {
    Lectura lectura = Lectura::Texto;
};

// Reads a character or binary column whole, however long; false on NULL.
bool LeerLargo(SQLHSTMT h, SQLUSMALLINT col, SQLSMALLINT tipoC, std::string& v, SQLRETURN& rc) {
    v.clear();
    char buf[4096];
    const SQLLEN util = tipoC == SQL_C_CHAR ? SQLLEN{sizeof buf - 1} : SQLLEN{sizeof buf};
    for (;;) {
        SQLLEN ind = 0;
        rc = SQLGetData(h, col, tipoC, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA) {
            rc = SQL_SUCCESS;
            return true;
        }
        if (!SQL_SUCCEEDED(rc)) return true;
        if (ind == SQL_NULL_DATA) return false;
        const SQLLEN n = (ind == SQL_NO_TOTAL || ind > util) ? util : ind;
        v.append(buf, static_cast<size_t>(n));
        if (rc == SQL_SUCCESS || n < util) {
            rc = SQL_SUCCESS;
            return true;
        }
    }
}

Value LeerValor(SQLHSTMT h, SQLUSMALLINT col, Lectura l, SQLRETURN& rc) {
    SQLLEN ind = 0;
    switch (l) {
        case Lectura::Entero: {
            SQLBIGINT n = 0;
            rc = SQLGetData(h, col, SQL_C_SBIGINT, &n, 0, &ind);
            if (ind == SQL_NULL_DATA) return Value::Nulo();
            return Value(static_cast<long long>(n));
        }
        case Lectura::Doble: {
            double d = 0;
            rc = SQLGetData(h, col, SQL_C_DOUBLE, &d, 0, &ind);
            if (ind == SQL_NULL_DATA) return Value::Nulo();
            return Value(d);
        }
        case Lectura::Logico: {
            SQLCHAR b = 0;
            rc = SQLGetData(h, col, SQL_C_BIT, &b, 0, &ind);
            if (ind == SQL_NULL_DATA) return Value::Nulo();
            return Value(b != 0);
        }
        case Lectura::Fecha:
        case Lectura::Hora: {
            SQL_TIMESTAMP_STRUCT t{};
            if (l == Lectura::Fecha) {
                rc = SQLGetData(h, col, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &ind);
                if (ind == SQL_NULL_DATA || !SQL_SUCCEEDED(rc)) return Value::Nulo();
                // Fractions of a second are dropped: the platform's dates count whole seconds.
                return Value(Fecha::DesdeYMD(t.year, t.month, t.day, t.hour, t.minute, t.second));
            }
            SQL_TIME_STRUCT h2{};
            rc = SQLGetData(h, col, SQL_C_TYPE_TIME, &h2, sizeof h2, &ind);
            if (ind == SQL_NULL_DATA || !SQL_SUCCEEDED(rc)) return Value::Nulo();
            return Value(Fecha::DesdeSerie(0, h2.hour * 3600 + h2.minute * 60 + h2.second));
        }
        case Lectura::Moneda:
        case Lectura::Decimal: {
            std::string s;
            if (!LeerLargo(h, col, SQL_C_CHAR, s, rc)) return Value::Nulo();
            if (!SQL_SUCCEEDED(rc)) return Value::Nulo();
            if (l == Lectura::Moneda) return Value(MonedaDeTexto(s));
            return Value(DobleDeTexto(s));
        }
        case Lectura::Binario:
        case Lectura::Texto: {
            std::string s;
            if (!LeerLargo(h, col, l == Lectura::Texto ? SQL_C_CHAR : SQL_C_BINARY, s, rc))
                return Value::Nulo();
            return Value(std::move(s));
        }
    }
    return Value::Nulo();
}

}  // namespace

bool LeerFilas(SQLHSTMT h, Resultado& r, std::vector<ErrorBD>& errores) {
    SQLSMALLINT ncol = 0;
    SQLNumResultCols(h, &ncol);
    std::vector<Columna> cols(static_cast<size_t>(ncol));
    r.columnas.assign(static_cast<size_t>(ncol), {});
    for (SQLUSMALLINT c = 1; c <= ncol; ++c) {
        SQLCHAR nombre[512] = {};
        SQLSMALLINT largo = 0, tipo = 0, decimales = 0, nulos = 0;
        SQLULEN tam = 0;
        SQLDescribeCol(h, c, nombre, sizeof nombre, &largo, &tipo, &tam, &decimales, &nulos);
        SQLCHAR nombreTipo[256] = {};
        SQLSMALLINT largoTipo = 0;
        SQLColAttribute(h, c, SQL_DESC_TYPE_NAME, nombreTipo, sizeof nombreTipo, &largoTipo, nullptr);
        r.columnas[c - 1] = reinterpret_cast<const char*>(nombre);
        cols[c - 1].lectura = LecturaDe(tipo, reinterpret_cast<const char*>(nombreTipo));
    }
    for (;;) {
        SQLRETURN rc = SQLFetch(h);
        if (rc == SQL_NO_DATA) return true;
        if (rc == SQL_SUCCESS_WITH_INFO) Anotar(LeerDiagnosticos(SQL_HANDLE_STMT, h), errores);
        if (!SQL_SUCCEEDED(rc)) {
            Anotar(LeerDiagnosticos(SQL_HANDLE_STMT, h), errores);
            return false;
        }
        std::vector<Value> fila;
        fila.reserve(cols.size());
        for (SQLUSMALLINT c = 1; c <= ncol; ++c) {
            SQLRETURN rcDato = SQL_SUCCESS;
            fila.push_back(LeerValor(h, c, cols[c - 1].lectura, rcDato));
            if (rcDato == SQL_ERROR) {
                Anotar(LeerDiagnosticos(SQL_HANDLE_STMT, h), errores);
                return false;
            }
        }
        r.filas.push_back(std::move(fila));
    }
}

}  // namespace dep::odbc::detalle
