#include "demo/bd_sqlite.hpp"

#include <sqlite3.h>

#include "runtime/falla.hpp"

namespace dep::demo {

Bd::Bd(const std::string& ruta) {
    int rc = sqlite3_open_v2(ruta.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        std::string texto = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Falla(err::kConexion, "No se pudo crear la base de datos \"" + ruta + "\": " + texto,
                    "depuracion-demo");
    }
}

Bd::~Bd() {
    sqlite3_close(db_);
}

void Bd::Fallar(const std::string& que) const {
    throw Falla(err::kBaseDatos, que + ": " + sqlite3_errmsg(db_), "depuracion-demo");
}

void Bd::Ejecutar(const std::string& sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string texto = msg ? msg : sqlite3_errmsg(db_);
        sqlite3_free(msg);
        throw Falla(err::kBaseDatos, "La base de datos rechazó la sentencia: " + texto, "depuracion-demo");
    }
}

std::vector<std::vector<std::string>> Bd::Filas(const std::string& sql) {
    const sqlite::SentenciaPreparada st(db_, sql);
    if (!st) Fallar("No se pudo leer");
    std::vector<std::vector<std::string>> filas;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        std::vector<std::string> fila;
        for (int i = 0; i < sqlite3_column_count(st.get()); ++i) {
            const unsigned char* t = sqlite3_column_text(st.get(), i);
            fila.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        filas.push_back(std::move(fila));
    }
    if (rc != SQLITE_DONE) Fallar("No se pudo leer");
    return filas;
}

Sentencia::Sentencia(Bd& bd, const std::string& sql) : bd_(bd), st_(bd.Manejador(), sql) {
    if (!st_) bd.Fallar("No se pudo preparar \"" + sql + "\"");
}

Sentencia& Sentencia::Texto(int i, std::string_view s) {
    sqlite3_bind_text(st_.get(), i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
}

Sentencia& Sentencia::Entero(int i, std::int64_t n) {
    sqlite3_bind_int64(st_.get(), i, n);
    return *this;
}

Sentencia& Sentencia::Doble(int i, double d) {
    sqlite3_bind_double(st_.get(), i, d);
    return *this;
}

Sentencia& Sentencia::Nulo(int i) {
    sqlite3_bind_null(st_.get(), i);
    return *this;
}

void Sentencia::Paso() {
    int rc = sqlite3_step(st_.get());
    sqlite3_reset(st_.get());
    sqlite3_clear_bindings(st_.get());
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) bd_.Fallar("No se pudo grabar una fila");
}

}  // namespace dep::demo
