#pragma once
// The suite's date columns: every column the suite declares DATETIME in its own tables
// (demo/esquema.sql and demo/esquema_sqlserver.sql, kept equal to this list by a test). The
// embedded engine reads these as dates whatever type a file declares for them (another tool's copy
// may call them NUM, TEXT or nothing at all), and every other column by its declared type only:
// never by a look at the values it holds.
#include <span>
#include <string>
#include <string_view>

namespace dep::sqlite {

struct ColumnaDeFecha {
    std::string_view tabla;
    std::string_view columna;
};

// Table by table, in the order of the suite's schema.
std::span<const ColumnaDeFecha> ColumnasDeFechaDeLaSuite();

// Letter case ignored. The database the table lives in does not count: the attached
// administration database ("@ADMIN_") holds the suite's tables too.
bool EsColumnaDeFechaDeLaSuite(std::string_view tabla, std::string_view columna);

// What the engine reads as a date: a date column of the suite whatever its declared type, any
// other column only when its declared type is a date type (EsTipoFecha).
bool ColumnaLeidaComoFecha(std::string_view tabla, std::string_view columna, std::string_view tipoDeclarado);

// A literal in the operator's day/month/year form (with or without a time of day), as
// ReconocerFecha reads it; not the stored form 'YYYY-MM-DD ...'.
bool EsFechaDelOperador(std::string_view literal);

// Why a literal in that form cannot be ordered (<, >, BETWEEN ...) against `columna`, a column not
// read as a date ("'X' de la tabla 'T'"): as texts '30/06/2022' sorts after '2023-01-01'.
std::string MotivoOrdenSinFecha(const std::string& columna, const std::string& literal);

}  // namespace dep::sqlite
