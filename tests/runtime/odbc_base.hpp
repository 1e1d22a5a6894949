#pragma once
// Fixture of the ODBC engine's tests: a new demo database file (the suite's schema) opened
// through the SQLite ODBC driver, with the embedded engine's T-SQL translation in front.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "runtime/odbc/odbc_conexion.hpp"
#include "tests/apoyo/carpeta.hpp"

namespace dep::odbc::prueba {

// The drivers by their installed names (odbcinst.ini; the ODBC data sources of Windows).
inline constexpr const char* kDriverSqlite = "SQLite3";
inline constexpr const char* kDriverTds = "FreeTDS";

// Why the tests cannot use the driver `nombre`: not installed, or (on Windows) installed for
// another system; "" when they can.
std::string PorQueNoHayDriver(const std::string& nombre);

class BaseOdbc : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // A new connection on the fixture's file; `extra` is appended to the connection string.
    std::unique_ptr<ConexionOdbc> Abrir(const std::string& extra = {}, const std::string& traza = {});
    long Contar(const std::string& tabla);

    std::optional<dep::prueba::Carpeta> dir_;
    std::filesystem::path carpeta_;
    std::string ruta_;
    std::unique_ptr<ConexionOdbc> cn_;
};

}  // namespace dep::odbc::prueba
