#include "base_real.hpp"

#include <stdexcept>

#include "demo/demo.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/motores.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep::prueba {

BaseReal::BaseReal() : ruta((carpeta.Ruta() / "suite.db").string()) {
    CrearEsquema(ruta);
    AjustesConexion a;
    a.motor = "sqlite";
    a.base = ruta;
    cn = AbrirSqlite(a);
    e = std::make_unique<Entorno>(cn);
    if (sqlite3_open(ruta.c_str(), &crudo_) != SQLITE_OK) throw std::runtime_error("sqlite3_open");
    sqlite3_busy_timeout(crudo_, 5000);
}

BaseReal::~BaseReal() {
    e.reset();
    cn.reset();
    sqlite3_close(crudo_);
}

void BaseReal::Crudo(const std::string& sql) {
    char* msj = nullptr;
    if (sqlite3_exec(crudo_, sql.c_str(), nullptr, nullptr, &msj) != SQLITE_OK) {
        std::string t = msj ? msj : "?";
        sqlite3_free(msj);
        throw std::runtime_error(t + " en: " + sql);
    }
}

std::optional<std::string> BaseReal::Uno(const std::string& sql) {
    const sqlite::SentenciaPreparada st(crudo_, sql);
    if (!st) throw std::runtime_error(std::string(sqlite3_errmsg(crudo_)) + " en: " + sql);
    std::optional<std::string> r;
    if (sqlite3_step(st.get()) == SQLITE_ROW && sqlite3_column_type(st.get(), 0) != SQLITE_NULL)
        r = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    return r;
}

long long BaseReal::Cuenta(const std::string& sql) {
    return std::stoll(Uno(sql).value_or("0"));
}

}  // namespace dep::prueba
