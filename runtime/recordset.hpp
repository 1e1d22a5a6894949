#pragma once
// A record set in the manner of ADO: BOF/EOF, a 1-based position, a row count, fields by
// case-insensitive name, and AddNew/Update for a set opened on a single-table "SELECT *".
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/conexion.hpp"

// <cstdio> defines EOF as a macro, which would swallow Recordset::EOF; take it in first and
// drop the macro (std::char_traits<char>::eof() gives the same value where it is needed).
#include <cstdio>
#undef EOF

namespace dep {

namespace ado {
inline constexpr int kCerrado = 0;                      // adStateClosed
inline constexpr int kAbierto = 1;                      // adStateOpen
inline constexpr int kSoloAvance = 0, kDinamico = 2;    // cursor types
inline constexpr int kSoloLectura = 1, kOptimista = 3;  // lock types
inline constexpr long kPosBOF = -2, kPosEOF = -3;       // AbsolutePosition off the rows
}  // namespace ado

class Recordset {
  public:
    int State() const { return estado_; }
    bool BOF() const;
    bool EOF() const;
    void MoveFirst();
    void MoveNext();
    long AbsolutePosition() const;  // 1-based; ado::kPosBOF/kPosEOF off the rows
    long RecordCount() const;
    int CursorType() const { return cursor_; }
    int LockType() const { return bloqueo_; }

    // Field of the current row by name, without regard to case. No such field: Falla(3265);
    // no current row: Falla(3021).
    const Value& Fields(std::string_view nombre) const;
    bool TieneCampo(std::string_view nombre) const;
    const std::vector<std::string>& Columnas() const { return datos_.columnas; }

    // Updatable sets only (opened with lock type 3 on "SELECT * FROM <table> ...").
    void AddNew();
    void Poner(std::string_view campo, Value v);  // Fields(campo).Value = v
    // Inserts the new row, or updates the current one finding it by the values it read
    // (optimistic); a row that changed meanwhile raises Falla.
    void Update();

    // Releases the rows and the connection; a closed set stays closed. Never raises, so it can
    // run on every way out.
    void Close() noexcept;

    // Used by DataServices when opening.
    void Abrir(Resultado r, int cursor, int bloqueo, Conexion* cn = nullptr, std::string tabla = {});

  private:
    int Indice(std::string_view nombre) const;  // -1 when absent
    int estado_ = ado::kCerrado;
    int cursor_ = ado::kSoloAvance;
    int bloqueo_ = ado::kSoloLectura;
    Resultado datos_;
    long pos_ = 0;  // 0-based index of the current row
    Conexion* cn_ = nullptr;
    std::string tabla_;
    bool nueva_ = false;
    std::vector<Value> editada_;  // values being written
    std::vector<bool> tocada_;    // which fields were set
};

// The SQL literal of a value: delimiter '\'' a quoted text or date (quotes doubled), '@' an
// unquoted number. A null gives the empty quoted text with '\'' and NULL with '@'.
std::string LiteralSQL(const Value& v, char delimitador);

}  // namespace dep
