#pragma once
// Small types over the SQLite C API that clean up on every way out: a prepared statement that
// finalizes itself, one of the engine's cache that resets itself, and a transaction that rolls
// back unless committed.
#include <sqlite3.h>

#include <memory>
#include <string>

namespace dep::sqlite {

// Owns a statement kept for reuse (the engine's cache of prepared statements).
struct Finalizar {
    void operator()(sqlite3_stmt* st) const noexcept { sqlite3_finalize(st); }
};
using SentenciaGuardada = std::unique_ptr<sqlite3_stmt, Finalizar>;

// Binding and stepping one statement; the two kinds below differ in what leaving the scope does.
class Cursor {
  public:
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

  protected:
    Cursor() = default;
    ~Cursor() = default;
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    sqlite3_stmt* st_ = nullptr;
    int rc_ = SQLITE_OK;
};

// Prepared here and finalized on leaving the scope.
class SentenciaPreparada : public Cursor {
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
};

// The first column of the first row of `sql` (a pragma, a count) as an integer; -1 when none.
inline long long PrimerEntero(sqlite3* db, const std::string& sql) {
    SentenciaPreparada st(db, sql);
    return st.Fila() ? sqlite3_column_int64(st.get(), 0) : -1;
}

// A statement of the engine's cache (null: it could not be prepared), reset on leaving the scope
// so that the cache can hand it out again.
class SentenciaEnUso : public Cursor {
  public:
    explicit SentenciaEnUso(sqlite3_stmt* st) { st_ = st; }
    ~SentenciaEnUso() {
        if (!st_) return;
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
    }
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
