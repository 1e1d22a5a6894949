#pragma once
// The suite's numbering of vouchers and accounting entries.
#include <cstdint>
#include <optional>
#include <string>

#include "runtime/servicios.hpp"

namespace dep {

// The name of the suite's current user, a module variable of the suite; this program never fills
// it, so the operator defaults of the talonario numbering look up the user with an empty name.
std::string& UsuarioSuite();

// The next number of a voucher of type `tc`: the talonario's proposal, checked by type against
// the tables where vouchers of that type are recorded when `controlar` is true.
void Obtener_Nro_Comprobante(Servicios& s, const std::string& tc, std::string& sucursal, std::string& numero,
                             std::string& letra, bool& modifica, bool controlar, const std::string& fecha,
                             const std::string& unegocio);

// The type whose talonario numbers `tc` (configuration key "NUM_" + tc), or `tc` itself.
std::string Obtener_TC_Numeracion(Servicios& s, const std::string& tc);

bool Existe_En_Asientos(Servicios& s, const std::string& tc, const std::string& sucursal,
                        const std::string& numero, const std::string& letra, std::string& salida,
                        const std::string& cuenta, bool sinBloqueo);

// The talonario of V_TA_CPTE from which the next voucher of `tc` is numbered.
void Obtener_Nro_Comprobante_Contable(Servicios& s, const std::string& tc, std::string& sucursal,
                                      std::string& numero, std::string& letra, bool& modifica,
                                      const std::string& fecha, const std::string& unegocio,
                                      std::string& hasta);

// The next free entry number for an operating month, period and register type; 0 when the
// error routine's answer ends it.
std::int32_t Obtener_Nro_Asiento(Servicios& s, const Value& mes, const Value& periodo,
                                 const std::optional<std::string>& tipoReg);

}  // namespace dep
