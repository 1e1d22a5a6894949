#pragma once
// A failure as the suite's platform reports it: number, description and source.
#include <stdexcept>
#include <string>

namespace dep {

class Falla : public std::runtime_error {
  public:
    Falla(long numero, std::string descripcion, std::string origen = "depuracion")
        : std::runtime_error(descripcion),
          numero_(numero),
          descripcion_(std::move(descripcion)),
          origen_(std::move(origen)) {}
    long Numero() const { return numero_; }
    const std::string& Descripcion() const { return descripcion_; }
    const std::string& Origen() const { return origen_; }

  private:
    long numero_;
    std::string descripcion_;
    std::string origen_;
};

// Error numbers the platform uses for its own failures.
namespace err {
inline constexpr long kLlamadaInvalida = 5;          // invalid procedure call (any other exception)
inline constexpr long kTipoIncompatible = 13;        // a value that does not convert
inline constexpr long kDesbordamiento = 6;           // overflow
inline constexpr long kCancelado = 18;               // the operator stopped it (user interrupt)
inline constexpr long kUsoInvalidoNulo = 94;         // a null where a value is needed
inline constexpr long kElementoNoEncontrado = 3265;  // no such field in the record set
inline constexpr long kOperacionNoPermitida = 3219;  // operation not allowed in this state
inline constexpr long kBofEof = 3021;                // no current record
inline constexpr long kBaseDatos = -2147217900;      // the database refused a statement
inline constexpr long kConexion = -2147467259;       // the connection could not be made
}  // namespace err

}  // namespace dep
