#include "ayuda_bd.hpp"

#include <stdexcept>

#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep::prueba {

Lector::Lector(const std::string& ruta) {
    if (sqlite3_open_v2(ruta.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::string m = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error("no abre " + ruta + ": " + m);
    }
}

Lector::~Lector() {
    sqlite3_close(db_);
}

std::vector<std::vector<std::string>> Lector::Filas(const std::string& sql) const {
    const sqlite::SentenciaPreparada st(db_, sql);
    if (!st) throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    std::vector<std::vector<std::string>> filas;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        std::vector<std::string> fila;
        for (int i = 0; i < sqlite3_column_count(st.get()); ++i) {
            const unsigned char* t = sqlite3_column_text(st.get(), i);
            fila.emplace_back(t ? reinterpret_cast<const char*>(t) : "<NULL>");
        }
        filas.push_back(std::move(fila));
    }
    if (rc != SQLITE_DONE) throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    return filas;
}

std::string Lector::Valor(const std::string& sql) const {
    auto f = Filas(sql);
    if (f.empty() || f[0].empty()) throw std::runtime_error(sql + ": sin filas");
    return f[0][0];
}

void Lector::Ejecutar(const std::string& sql) const {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "";
        sqlite3_free(msg);
        throw std::runtime_error(sql + ": " + m);
    }
}

std::uint64_t Lector::HuellaContenido() const {
    std::uint64_t h = 1469598103934665603ULL;
    auto mezclar = [&h](const std::string& s) {
        for (unsigned char c : s) h = (h ^ c) * 1099511628211ULL;
        h = (h ^ 0xFF) * 1099511628211ULL;
    };
    for (const auto& t : Filas("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
        mezclar(t[0]);
        for (const auto& fila : Filas("SELECT * FROM \"" + t[0] + "\" ORDER BY rowid"))
            for (const auto& v : fila) mezclar(v);
    }
    return h;
}

}  // namespace dep::prueba
