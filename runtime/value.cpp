#include "runtime/value.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "runtime/conversions.hpp"
#include "runtime/decimal.hpp"
#include "runtime/falla.hpp"

namespace dep {

namespace {

constexpr std::int32_t kSegundosDia = 86400;

[[noreturn]] void FallaNulo() {
    throw Falla(err::kUsoInvalidoNulo, "Uso no válido de Null");
}
[[noreturn]] void FallaTipo() {
    throw Falla(err::kTipoIncompatible, "No coinciden los tipos");
}
[[noreturn]] void FallaDesborde() {
    throw Falla(err::kDesbordamiento, "Desbordamiento");
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DiasDesdeCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

struct Civil {
    int anio;
    int mes;
    int dia;
};

Civil CivilDesdeDias(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Serial 0 of the platform is 30/12/1899.
const long long kDiasBase = DiasDesdeCivil(1899, 12, 30);

// Strict number syntax of the platform's conversions: optional sign, digits with an optional
// point, optional exponent; blanks around it allowed.
bool LeerNumeroEstricto(std::string_view s, double& out) {
    std::string t = Recortar(s);
    std::string_view v = t;
    bool negativo = false;
    if (!v.empty() && (v[0] == '+' || v[0] == '-')) {
        negativo = v[0] == '-';
        v.remove_prefix(1);
    }
    if (v.empty() || v[0] == '+' || v[0] == '-') return false;
    // from_chars would also take "inf" and "nan": check the characters ourselves.
    size_t i = 0, digitos = 0;
    while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i]))) ++i, ++digitos;
    if (i < v.size() && v[i] == '.') {
        ++i;
        while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i]))) ++i, ++digitos;
    }
    if (digitos == 0) return false;
    if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
        ++i;
        if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
        size_t exp = 0;
        while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i]))) ++i, ++exp;
        if (exp == 0) return false;
    }
    if (i != v.size()) return false;
    const double d = detalle::ValorDecimal(v);
    out = negativo ? -d : d;
    return true;
}

// Half to even, with the range of a 64-bit integer.
std::int64_t RedondearPar(double d) {
    if (!std::isfinite(d)) FallaDesborde();
    double r = std::round(d);
    if (std::fabs(d - std::trunc(d)) == 0.5 && std::fmod(r, 2.0) != 0.0) r -= d > 0 ? 1.0 : -1.0;
    if (r >= 9223372036854775808.0 || r < -9223372036854775808.0) FallaDesborde();
    return static_cast<std::int64_t>(r);
}

}  // namespace

Moneda Moneda::DesdeDoble(double d) {
    if (!std::isfinite(d)) FallaDesborde();
    if (d == 0) return Moneda{};
    // Round the decimal text of 15 significant digits, not the binary value: 2.00005 is stored
    // as 2.0000499999... and must still round up like the number the operator typed.
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific, 14);
    std::string_view t(buf, static_cast<size_t>(r.ptr - buf));  // d.dddddddddddddde±XX
    std::string digitos;
    digitos += t[0];
    digitos.append(t.substr(2, 14));
    const int exponente = std::atoi(std::string(t.substr(t.find('e') + 1)).c_str());
    const int enteros = exponente + 1 + 4;  // digits left of the point once scaled by 10^4
    unsigned long long n = 0;
    if (enteros <= 0) {
        n = (enteros == 0 && digitos[0] >= '5') ? 1 : 0;
    } else if (enteros >= 15) {
        if (enteros > 19) FallaDesborde();
        for (char c : digitos) n = n * 10 + static_cast<unsigned>(c - '0');
        for (int i = 15; i < enteros; ++i) {
            if (n > std::numeric_limits<unsigned long long>::max() / 10) FallaDesborde();
            n *= 10;
        }
    } else {
        for (int i = 0; i < enteros; ++i) n = n * 10 + static_cast<unsigned>(digitos[i] - '0');
        if (digitos[static_cast<size_t>(enteros)] >= '5') ++n;
    }
    if (n > static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max())) FallaDesborde();
    const auto v = static_cast<std::int64_t>(n);
    return Moneda{d < 0 ? -v : v};
}

Fecha Fecha::DesdeYMD(int anio, int mes, int dia, int hora, int minuto, int segundo) {
    // Out-of-range months and days carry over, as the platform's DateSerial does.
    long long y = anio;
    long long m0 = static_cast<long long>(mes) - 1;
    y += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    m0 -= (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12)) * 12;
    const long long dias = DiasDesdeCivil(y, static_cast<unsigned>(m0 + 1), 1) + dia - 1 - kDiasBase;
    const long long segs =
        static_cast<long long>(hora) * 3600 + static_cast<long long>(minuto) * 60 + segundo;
    const long long total =
        dias + (segs >= 0 ? segs / kSegundosDia : -((kSegundosDia - 1 - segs) / kSegundosDia));
    return DesdeSerie(static_cast<std::int32_t>(total),
                      static_cast<std::int32_t>(((segs % kSegundosDia) + kSegundosDia) % kSegundosDia));
}

Fecha Fecha::DesdeSerie(std::int32_t dias, std::int32_t segundos) {
    Fecha f;
    long long d = dias, s = segundos;
    d += s >= 0 ? s / kSegundosDia : -((kSegundosDia - 1 - s) / kSegundosDia);
    s = ((s % kSegundosDia) + kSegundosDia) % kSegundosDia;
    f.dias_ = static_cast<std::int32_t>(d);
    f.segundos_ = static_cast<std::int32_t>(s);
    return f;
}

bool Fecha::EsValida(int anio, int mes, int dia) {
    if (anio < 100 || anio > 9999 || mes < 1 || mes > 12 || dia < 1) return false;
    static constexpr int kDiasMes[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
    const int maximo = mes == 2 && bisiesto ? 29 : kDiasMes[mes - 1];
    return dia <= maximo;
}

int Fecha::Anio() const {
    return CivilDesdeDias(dias_ + kDiasBase).anio;
}
int Fecha::Mes() const {
    return CivilDesdeDias(dias_ + kDiasBase).mes;
}
int Fecha::Dia() const {
    return CivilDesdeDias(dias_ + kDiasBase).dia;
}

bool Value::EsNumero() const {
    const Tipo t = tipo();
    return t == Tipo::Entero || t == Tipo::Doble || t == Tipo::Moneda;
}

std::string Value::ATexto() const {
    switch (tipo()) {
        case Tipo::Vacio:
            return {};
        case Tipo::Nulo:
            FallaNulo();
        case Tipo::Logico:
            return std::get<bool>(v_) ? "Verdadero" : "Falso";
        case Tipo::Entero:
            return TextoEntero(std::get<std::int64_t>(v_));
        case Tipo::Doble:
            return TextoNumero(std::get<double>(v_));
        case Tipo::Moneda:
            return TextoMoneda(std::get<dep::Moneda>(v_));
        case Tipo::Fecha:
            return TextoFecha(std::get<dep::Fecha>(v_));
        case Tipo::Texto:
            return std::get<std::string>(v_);
    }
    return {};
}

double Value::ANumero() const {
    switch (tipo()) {
        case Tipo::Vacio:
            return 0;
        case Tipo::Nulo:
            FallaNulo();
        case Tipo::Logico:
            return std::get<bool>(v_) ? -1 : 0;  // the platform's True is -1
        case Tipo::Entero:
            return static_cast<double>(std::get<std::int64_t>(v_));
        case Tipo::Doble:
            return std::get<double>(v_);
        case Tipo::Moneda:
            return std::get<dep::Moneda>(v_).ADoble();
        case Tipo::Fecha:
            return std::get<dep::Fecha>(v_).Serie();
        case Tipo::Texto: {
            double d = 0;
            if (!LeerNumeroEstricto(std::get<std::string>(v_), d)) FallaTipo();
            return d;
        }
    }
    return 0;
}

Moneda Value::AMoneda() const {
    switch (tipo()) {
        case Tipo::Moneda:
            return std::get<dep::Moneda>(v_);
        case Tipo::Entero: {
            const std::int64_t n = std::get<std::int64_t>(v_);
            if (n > std::numeric_limits<std::int64_t>::max() / 10000 ||
                n < std::numeric_limits<std::int64_t>::min() / 10000)
                FallaDesborde();
            return Moneda{n * 10000};
        }
        default:
            return Moneda::DesdeDoble(ANumero());
    }
}

std::int64_t Value::AEntero() const {
    switch (tipo()) {
        case Tipo::Entero:
            return std::get<std::int64_t>(v_);
        case Tipo::Moneda: {
            const std::int64_t n = std::get<dep::Moneda>(v_).diezmilesimos;
            std::int64_t q = n / 10000, r = n % 10000;
            if (r > 5000 || (r == 5000 && q % 2 != 0)) ++q;
            if (r < -5000 || (r == -5000 && q % 2 != 0)) --q;
            return q;
        }
        default:
            return RedondearPar(ANumero());
    }
}

bool Value::ALogico() const {
    switch (tipo()) {
        case Tipo::Vacio:
            return false;
        case Tipo::Nulo:
            FallaNulo();
        case Tipo::Logico:
            return std::get<bool>(v_);
        case Tipo::Texto: {
            const std::string& s = std::get<std::string>(v_);
            const std::string t = Recortar(s);
            if (IgualesSinCaso(t, "Verdadero") || IgualesSinCaso(t, "True")) return true;
            if (IgualesSinCaso(t, "Falso") || IgualesSinCaso(t, "False")) return false;
            double d = 0;
            if (!LeerNumeroEstricto(t, d)) FallaTipo();
            return d != 0;
        }
        default:
            return ANumero() != 0;
    }
}

Fecha Value::AFecha() const {
    switch (tipo()) {
        case Tipo::Fecha:
            return std::get<dep::Fecha>(v_);
        case Tipo::Vacio:
            return Fecha{};
        case Tipo::Nulo:
            FallaNulo();
        case Tipo::Logico:
            FallaTipo();
        case Tipo::Texto: {
            const std::string& s = std::get<std::string>(v_);
            if (auto f = ReconocerFecha(s)) return *f;
            if (auto f = LeerFechaIso(Recortar(s))) return *f;
            FallaTipo();
        }
        default: {
            const double d = ANumero();
            if (!std::isfinite(d) || std::fabs(d) > 3e6) FallaDesborde();
            const double dias = std::floor(d);
            const auto segs = static_cast<std::int32_t>(std::llround((d - dias) * kSegundosDia));
            return Fecha::DesdeSerie(static_cast<std::int32_t>(dias), segs);
        }
    }
}

}  // namespace dep
