#pragma once
// A long SQLite step that listens to the cancel button: the compaction's VACUUM, the backup's
// check of its copy.
#include <sqlite3.h>

#include "runtime/conexion.hpp"

namespace dep::sqlite {

inline constexpr int kInstruccionesPorConsulta = 10000;  // SQLite steps between two looks at the button

// Asks `cancelar` every so many SQLite steps while it is in scope; once it says yes, every
// statement running is interrupted (SQLITE_INTERRUPT) and rolled back.
class Interrupcion {
  public:
    Interrupcion(sqlite3* db, const SeCancela& cancelar) : db_(db), cancelar_(cancelar) {
        if (cancelar_) sqlite3_progress_handler(db_, kInstruccionesPorConsulta, &Consultar, this);
    }
    ~Interrupcion() {
        if (cancelar_) sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    }
    Interrupcion(const Interrupcion&) = delete;
    Interrupcion& operator=(const Interrupcion&) = delete;
    bool Disparada() const { return disparada_; }

  private:
    static int Consultar(void* yo) {
        auto* i = static_cast<Interrupcion*>(yo);
        if (!i->disparada_ && i->cancelar_()) i->disparada_ = true;
        return i->disparada_ ? 1 : 0;
    }
    sqlite3* db_;
    const SeCancela& cancelar_;
    bool disparada_ = false;
};

}  // namespace dep::sqlite
