#pragma once
// Small helpers for the demo tests: a scratch folder and direct SQLite queries.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace dep::prueba {

// A folder of its own for one test, removed at the end.
class CarpetaTemporal {
  public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    std::string Ruta(const std::string& nombre) const { return (dir_ / nombre).string(); }

  private:
    std::filesystem::path dir_;
};

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
