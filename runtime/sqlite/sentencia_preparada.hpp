#pragma once
// Small owning types over the SQLite C API: a prepared statement that finalizes itself and a
// transaction that rolls back on every way out but its commit.
#include <sqlite3.h>

#include <memory>
#include <string>

namespace dep::sqlite {

// Owns a statement kept for reuse (the engine's cache of prepared statements).
struct Finalizar {
    void operator()(sqlite3_stmt* st) const noexcept { sqlite3_finalize(st); }
};
using SentenciaGuardada = std::unique_ptr<sqlite3_stmt, Finalizar>;

class SentenciaPreparada {
  public:
    // Prepares `sql` on `db`; false (operator bool) when SQLite refused it.
    SentenciaPreparada(sqlite3* db, const std::string& sql) {
        rc_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &st_, nullptr);
        if (rc_ != SQLITE_OK) {
            sqlite3_finalize(st_);
            st_ = nullptr;
        }
    }
    ~SentenciaPreparada() { sqlite3_finalize(st_); }
    SentenciaPreparada(const SentenciaPreparada&) = delete;
    SentenciaPreparada& operator=(const SentenciaPreparada&) = delete;

    explicit operator bool() const { return st_ != nullptr; }
    sqlite3_stmt* get() const { return st_; }

    void Texto(int i, const std::string& s) {
        if (st_) sqlite3_bind_text(st_, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    // One step: true while it gives a row. Codigo() then tells SQLITE_DONE from an error.
    bool Fila() {
        rc_ = st_ ? sqlite3_step(st_) : SQLITE_MISUSE;
        return rc_ == SQLITE_ROW;
    }
    int Codigo() const { return rc_; }
    std::string Columna(int i) const {
        const auto* s = st_ ? sqlite3_column_text(st_, i) : nullptr;
        return s ? reinterpret_cast<const char*>(s) : "";
    }

  private:
    sqlite3_stmt* st_ = nullptr;
    int rc_ = SQLITE_OK;
};

// BEGIN on construction; Confirmar() commits; leaving the scope otherwise rolls back. For code that
// speaks to SQLite directly (fixtures, tools); the engine's own transactions are the connection's.
class Transaccion {
  public:
    // `inicio`: "BEGIN", "BEGIN IMMEDIATE"... False (operator bool) when SQLite refused it.
    explicit Transaccion(sqlite3* db, const char* inicio = "BEGIN") : db_(db) {
        abierta_ = sqlite3_exec(db_, inicio, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~Transaccion() {
        if (abierta_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;

    explicit operator bool() const { return abierta_; }
    // The SQLite result of COMMIT; when it fails the transaction is rolled back on leaving.
    int Confirmar() {
        const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) abierta_ = false;
        return rc;
    }

  private:
    sqlite3* db_;
    bool abierta_ = false;
};

}  // namespace dep::sqlite
