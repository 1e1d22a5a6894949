#pragma once
// A prepared SQLite statement that finalizes itself on every way out.
#include <sqlite3.h>

#include <string>

namespace dep::sqlite {

class SentenciaPreparada {
  public:
    // Prepares `sql` on `db`; false (operator bool) when SQLite refused it.
    SentenciaPreparada(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st_);
            st_ = nullptr;
        }
    }
    ~SentenciaPreparada() { sqlite3_finalize(st_); }
    SentenciaPreparada(const SentenciaPreparada&) = delete;
    SentenciaPreparada& operator=(const SentenciaPreparada&) = delete;

    explicit operator bool() const { return st_ != nullptr; }
    sqlite3_stmt* get() const { return st_; }

  private:
    sqlite3_stmt* st_ = nullptr;
};

}  // namespace dep::sqlite
