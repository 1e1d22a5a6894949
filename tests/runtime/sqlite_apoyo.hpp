#pragma once
// Temporary database files for the embedded engine's tests, built and read with the plain
// SQLite C API (a second connection, as another program of the suite would be).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ajustes.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "tests/apoyo/carpeta.hpp"

namespace dep::prueba {

class BaseTemporal {
  public:
    explicit BaseTemporal(const std::string& ddl = {}, const std::string& nombre = "prueba.db") {
        carpeta_ = CarpetaNueva("sqlite", std::filesystem::path(::testing::TempDir())).string();
        ruta_ = (std::filesystem::path(carpeta_) / nombre).string();
        sqlite3* db = nullptr;
        sqlite3_open_v2(ruta_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (!ddl.empty()) Exec(db, ddl);
        sqlite3_close(db);
    }
    ~BaseTemporal() {
        std::error_code ec;
        std::filesystem::permissions(ruta_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(carpeta_, ec);
    }
    BaseTemporal(const BaseTemporal&) = delete;
    BaseTemporal& operator=(const BaseTemporal&) = delete;

    const std::string& Ruta() const { return ruta_; }
    const std::string& Carpeta() const { return carpeta_; }

    std::shared_ptr<ConexionSqlite> Abrir(AjustesConexion a = {}) {
        a.base = ruta_;
        return ConexionSqlite::Abrir(a);
    }

    // Through a connection of its own, outside the engine.
    void Exec(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(ruta_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        Exec(db, sql);
        sqlite3_close(db);
    }
    std::vector<std::vector<std::string>> Filas(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(ruta_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        std::vector<std::vector<std::string>> r;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> fila;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* s = sqlite3_column_text(st, i);
                fila.emplace_back(s ? reinterpret_cast<const char*>(s) : "<null>");
            }
            r.push_back(std::move(fila));
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return r;
    }
    std::string Uno(const std::string& sql) {
        auto f = Filas(sql);
        return f.empty() || f[0].empty() ? "<sin filas>" : f[0][0];
    }

  private:
    static void Exec(sqlite3* db, const std::string& sql) {
        char* msg = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK)
            ADD_FAILURE() << (msg ? msg : "?") << " in " << sql;
        sqlite3_free(msg);
    }
    std::string carpeta_, ruta_;
};

// A small accounting table with a trigger that logs every insert, like the suite's.
inline const char* kEsquemaAsientos = R"(
CREATE TABLE MV_ASIENTOS (ID INTEGER PRIMARY KEY, CUENTA TEXT, TC TEXT, SUCURSAL TEXT, NUMERO TEXT,
  LETRA TEXT, IDCOMPROBANTE TEXT, SECUENCIA INTEGER, "DEBE-HABER" TEXT, IMPORTE MONEY, MONEDA TEXT, COTIZACION REAL,
  NroComprobanteBancario TEXT, TIPO_REG TEXT, IdCajas TEXT, UNEGOCIO TEXT, PERIODO INTEGER,
  FECHA DATETIME, MES_OPERATIVO INTEGER, "NUMERO ASIENTO" INTEGER, DETALLE TEXT,
  EsCierre INTEGER DEFAULT 0, ES_SALDO_APERTURA INTEGER DEFAULT 0);
CREATE TABLE LOG_ASIENTOS (ID INTEGER PRIMARY KEY, CUENTA TEXT);
CREATE TRIGGER TR_ALTA AFTER INSERT ON MV_ASIENTOS BEGIN
  INSERT INTO LOG_ASIENTOS (CUENTA) VALUES (NEW.CUENTA);
END;
CREATE TABLE TA_CONFIGURACION (CLAVE TEXT PRIMARY KEY, VALOR TEXT, VALORAUX TEXT, GRUPO TEXT);
)";

}  // namespace dep::prueba
