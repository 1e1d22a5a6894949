#pragma once
// The proof of a consolidation pass's books: the sums per group key of the family's ordinary
// entries up to the cut-off date, taken before the walk and again after the re-dating. A pass
// that deleted the detail and wrote its summary voucher leaves every key's sum as it was.
// Keys meet by the merge's own rule: text compared as the server compares it (letter case and
// trailing blanks ignored), a null text as the empty one, a null rate only with a null rate.
#include <map>
#include <string>
#include <vector>

#include "runtime/data_services.hpp"

namespace dep {

using SumasPorClave = std::map<std::vector<std::string>, long long>;  // cents

// The family's (`filtro`) ordinary entries up to `corte` (date text) per key, to the cent: one
// grouped query in which the database adds each row's whole cents as integers; raises Falla
// when the database refuses it.
SumasPorClave SumarLibros(DataServices& datos, const std::string& filtro, const std::string& corte);
std::string SqlSumasExactas(const std::string& filtro, const std::string& corte);
// The same grouping for the ordinary entries that meet `condicion` (appended after the ordinary
// test, starting " and "), and the sums it gives.
std::string SqlSumasExactasDonde(const std::string& condicion);
SumasPorClave SumarExacto(DataServices& datos, const std::string& sql);
// The ordinary entries that meet `donde`, with how many rows (of any kind) meet it.
struct Aporte {
    SumasPorClave sumas;
    long long filas = 0;
};
Aporte SumarDonde(DataServices& datos, const std::string& donde);
// `a` += `b` - `c`, key by key.
void AjustarSumas(SumasPorClave& a, const SumasPorClave& b, const SumasPorClave& c);

struct Comparacion {
    long grupos = 0;                 // keys compared
    long distintos = 0;              // keys whose sums differ
    long long diferencia = 0;        // sum of the absolute differences, cents
    std::vector<std::string> casos;  // the first differing keys with both sums, readable
};
Comparacion CompararLibros(const SumasPorClave& antes, const SumasPorClave& despues);

// Rows of the family dated up to the cut-off, the summary voucher `clave` of type `tipo` left
// out. Before the walk and after it, with the rows the walk deleted, they tell how many rows
// other programs wrote (or removed) meanwhile, whichever the walk then consumed. Raises Falla.
long long ContarFilas(DataServices& datos, const std::string& filtro, const std::string& corte,
                      const std::string& tipo, const std::string& clave);

// Cents as the operator reads an amount: "1234,56", "-0,05".
std::string TextoCentavos(long long c);

}  // namespace dep
