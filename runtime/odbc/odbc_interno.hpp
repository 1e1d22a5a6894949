#pragma once
// Internal to the ODBC engine: diagnostics and the reading of result rows.
#include "runtime/plataforma/odbc.hpp"

#include <string>
#include <string_view>
#include <vector>

#include "runtime/conexion.hpp"

namespace dep::odbc::detalle {

// One diagnostic record as the driver gives it.
struct Diagnostico {
    std::string estado;  // SQLSTATE
    long nativo = 0;
    std::string mensaje;
};

std::vector<Diagnostico> LeerDiagnosticos(SQLSMALLINT tipo, SQLHANDLE h);

// The entry of the error collection for a record. SQLSTATE class "01" (PRINT, low-severity
// RAISERROR, other warnings) is informational; anything else is a refusal.
ErrorBD Entrada(const Diagnostico& d);

// Appends the entries of `ds` to `destino`; true when one of them is a refusal.
bool Anotar(const std::vector<Diagnostico>& ds, std::vector<ErrorBD>& destino);

// How a column is read, from its SQL type and its type name.
enum class Lectura { Entero, Doble, Decimal, Moneda, Logico, Fecha, Hora, Texto, Binario };
// money and smallmoney read as currency; decimal and numeric as double.
Lectura LecturaDe(SQLSMALLINT tipoSql, std::string_view nombreTipo);

// A decimal text read exactly into currency (rounded half away from zero at 4 decimals).
Moneda MonedaDeTexto(std::string_view s);
// A decimal text read as a double, locale-independent.
double DobleDeTexto(std::string_view s);

// Reads every row of the current result set of `h` into `r` (columns included). Driver
// diagnostics of the fetch are appended to `errores`; returns false when the fetch was refused.
bool LeerFilas(SQLHSTMT h, Resultado& r, std::vector<ErrorBD>& errores);

}  // namespace dep::odbc::detalle

namespace dep::odbc::detalle {

// The Spanish message of a failed connection: a hint from the SQLSTATE, the driver's texts and
// the connection string, with the password hidden everywhere (also if a driver echoes it).
std::string MensajeFalloConexion(const std::vector<Diagnostico>& ds, std::string_view cadena);

}  // namespace dep::odbc::detalle
