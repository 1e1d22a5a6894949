#pragma once
// The check that runs before anything is deleted by date: the FECHA column of a table holds
// dates only. A value of another kind (a date written in another text form, a number, an empty
// text, a null) would be compared as something else than a date and the wrong rows could go.
// The run and the preview ask it through these functions only.
#include <string>
#include <vector>

#include "runtime/data_services.hpp"

namespace dep {

struct FechasNoValidas {
    long long cantidad = 0;
    std::vector<std::string> ejemplos;  // a few values as the operator reads them ('15/12/2023', 45000, NULL)
};

// Raises Falla when the database refuses the queries (a missing table, for one).
// How many of the rows a refusal names it shows as examples.
inline constexpr int kEjemplosNoValidos = 5;
// A value read for a refusal, as the operator reads it: NULL, a text between quotes, a number as
// the database gives it.
std::string MostrarLeido(const Value& v);

FechasNoValidas BuscarFechasNoValidas(DataServices& datos, const std::string& tabla);

// "LA COLUMNA FECHA DE <tabla> TIENE n VALOR(ES) QUE NO SON FECHAS (POR EJEMPLO: ...)".
std::string DescribirFechasNoValidas(const std::string& tabla, const FechasNoValidas& f);

}  // namespace dep
