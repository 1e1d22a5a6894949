#pragma once
// A real embedded database file with the suite's schema, opened through the embedded engine, and
// a second, raw SQLite handle for preparing rows and checking what was written.
#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>

#include "apoyo.hpp"

namespace dep::prueba {

class BaseReal {
  public:
    BaseReal();
    ~BaseReal();
    BaseReal(const BaseReal&) = delete;
    BaseReal& operator=(const BaseReal&) = delete;

    // Runs SQLite text directly on the file (setting up rows behind the program's back).
    void Crudo(const std::string& sql);
    // The first column of the first row, or nullopt when there is no row or it is null.
    std::optional<std::string> Uno(const std::string& sql);
    long long Cuenta(const std::string& sql);

    Carpeta carpeta;
    std::string ruta;
    std::shared_ptr<Conexion> cn;
    std::unique_ptr<Entorno> e;

  private:
    sqlite3* crudo_ = nullptr;
};

}  // namespace dep::prueba
