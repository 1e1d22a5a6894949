#pragma once
// Direct SQLite queries for the demo tests (their folders: tests/apoyo/carpeta.hpp).
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/apoyo/carpeta.hpp"

namespace dep::prueba {

// A read-only connection to a database file made by the tests.
class Lector {
  public:
    explicit Lector(const std::string& ruta);
    ~Lector();
    Lector(const Lector&) = delete;
    Lector& operator=(const Lector&) = delete;

    // Every row of the query, each value as text ("<NULL>" for a null).
    std::vector<std::vector<std::string>> Filas(const std::string& sql) const;
    std::string Valor(const std::string& sql) const;  // first column of the first row
    long long Numero(const std::string& sql) const { return std::stoll(Valor(sql)); }
    void Ejecutar(const std::string& sql) const;
    // A 64-bit hash of the content of every table, rows in rowid order.
    std::uint64_t HuellaContenido() const;

  private:
    sqlite3* db_ = nullptr;
};

}  // namespace dep::prueba
