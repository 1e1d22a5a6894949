#pragma once
// The variant of the suite's platform: empty, null, boolean, integer, double,
// currency (fixed point, 4 decimals), date, text (UTF-8).
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace dep {

// Fixed point with four decimals, as the platform's currency type.
struct Moneda {
    std::int64_t diezmilesimos = 0;
    static Moneda DesdeDoble(double d);  // rounds half away from zero to 4 decimals
    double ADoble() const { return static_cast<double>(diezmilesimos) / 10000.0; }
    auto operator<=>(const Moneda&) const = default;
};

// A date with an optional time of day; days counted from 30/12/1899 like the platform's dates.
class Fecha {
  public:
    Fecha() = default;
    static Fecha DesdeYMD(int anio, int mes, int dia, int hora = 0, int minuto = 0, int segundo = 0);
    static Fecha DesdeSerie(std::int32_t dias, std::int32_t segundos = 0);
    static bool EsValida(int anio, int mes, int dia);
    int Anio() const;
    int Mes() const;
    int Dia() const;
    int Hora() const { return segundos_ / 3600; }
    int Minuto() const { return segundos_ / 60 % 60; }
    int Segundo() const { return segundos_ % 60; }
    bool TieneHora() const { return segundos_ != 0; }
    std::int32_t Dias() const { return dias_; }
    std::int32_t SegundosDelDia() const { return segundos_; }
    Fecha SumarDias(int n) const { return DesdeSerie(dias_ + n, segundos_); }
    Fecha SoloDia() const { return DesdeSerie(dias_, 0); }
    double Serie() const { return dias_ + segundos_ / 86400.0; }
    auto operator<=>(const Fecha&) const = default;

  private:
    std::int32_t dias_ = 0;
    std::int32_t segundos_ = 0;
};

class Value {
  public:
    enum class Tipo { Vacio, Nulo, Logico, Entero, Doble, Moneda, Fecha, Texto };
    struct NuloT {
        bool operator==(const NuloT&) const = default;
    };

    Value() = default;  // empty
    static Value Nulo() { return Value(NuloT{}); }
    Value(NuloT) : v_(NuloT{}) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(double d) : v_(d) {}
    Value(Moneda m) : v_(m) {}
    Value(Fecha f) : v_(f) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}

    Tipo tipo() const { return static_cast<Tipo>(v_.index()); }
    bool EsVacio() const { return tipo() == Tipo::Vacio; }
    bool EsNulo() const { return tipo() == Tipo::Nulo; }
    bool EsNumero() const;  // integer, double or currency

    // The platform's default conversions. A null raises Falla(94) where a value is needed;
    // a text that is not a number raises Falla(13) in ANumero/AMoneda/AEntero.
    std::string ATexto() const;
    double ANumero() const;
    Moneda AMoneda() const;
    std::int64_t AEntero() const;  // rounds half to even, like the platform
    bool ALogico() const;
    Fecha AFecha() const;

    const std::string* SiTexto() const { return std::get_if<std::string>(&v_); }
    const Fecha* SiFecha() const { return std::get_if<Fecha>(&v_); }

    bool operator==(const Value& o) const = default;  // same kind and same content

  private:
    std::variant<std::monostate, NuloT, bool, std::int64_t, double, Moneda, Fecha, std::string> v_;
};

}  // namespace dep
