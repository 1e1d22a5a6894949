#pragma once
// A thin RAII layer over the SQLite C API for the fixture tools (not the program's engine).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep::demo {

class Bd {
  public:
    // Opens `ruta`, creating it; raises Falla when SQLite refuses.
    explicit Bd(const std::string& ruta);
    ~Bd();
    Bd(const Bd&) = delete;
    Bd& operator=(const Bd&) = delete;

    void Ejecutar(const std::string& sql);  // one or more statements
    // Every row of a query, each value as text (a null as the empty text).
    std::vector<std::vector<std::string>> Filas(const std::string& sql);
    sqlite3* Manejador() const { return db_; }
    [[noreturn]] void Fallar(const std::string& que) const;

  private:
    sqlite3* db_ = nullptr;
};

// A prepared statement reused for many rows: bind by position (1-based), Paso() runs and resets.
class Sentencia {
  public:
    Sentencia(Bd& bd, const std::string& sql);

    Sentencia& Texto(int i, std::string_view s);
    Sentencia& Entero(int i, std::int64_t n);
    Sentencia& Doble(int i, double d);
    Sentencia& Nulo(int i);
    // Cents as a two-decimal amount.
    Sentencia& Importe(int i, std::int64_t centavos) {
        return Doble(i, static_cast<double>(centavos) / 100.0);
    }
    void Paso();

  private:
    Bd& bd_;
    sqlite::SentenciaPreparada st_;
};

}  // namespace dep::demo
