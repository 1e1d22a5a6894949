#pragma once
// The suite database for the embedded engine: its schema, and a generator of realistic demo data
// (about three fiscal years of balanced vouchers and everything the purges read or delete).
#include <cstdint>
#include <string>
#include <string_view>

namespace dep {

struct OpcionesDemo {
    long long asientos = 100000;  // rows of MV_ASIENTOS, exactly (at least kMinimoAsientosDemo)
    std::uint32_t semilla = 1;    // same seed, same database
    int anioInicial = 2021;       // first of the three fiscal years of entries
};

inline constexpr long long kMinimoAsientosDemo = 200;
inline constexpr long long kMaximoAsientosDemo = 50000000;

// The DDL of the schema (demo/esquema.sql), stored procedures included.
std::string_view EsquemaSQL();

// Creates a new database file holding the schema only. Raises Falla (Spanish message) when the
// file already exists or cannot be created; a failed creation leaves no file behind.
void CrearEsquema(const std::string& ruta);

// Creates a new database file with the schema and demo data, deterministic for a seed. Raises
// Falla when the file exists, the options are out of range or SQLite refuses; no file is left
// behind on failure.
void GenerarDemo(const std::string& ruta, const OpcionesDemo& o);

}  // namespace dep
