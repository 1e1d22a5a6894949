#include "runtime/recordset.hpp"

#include <charconv>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"

namespace dep {

namespace {

constexpr long kObjetoCerrado = 3704;        // operation on a closed record set
constexpr long kNoAdmitido = 3251;           // the set does not allow the operation
constexpr long kFilaCambiada = -2147217864;  // optimistic update found no row

[[noreturn]] void FallaCerrado() {
    throw Falla(kObjetoCerrado, "La operación no está permitida si el objeto está cerrado.",
                "ADODB.Recordset");
}

[[noreturn]] void FallaSinFila() {
    throw Falla(err::kBofEof,
                "BOF o EOF es True, o el registro actual se eliminó. La operación solicitada requiere un "
                "registro actual.",
                "ADODB.Recordset");
}

// A name as the statement must spell it: plain identifiers as they are, anything else in brackets.
std::string NombreSQL(const std::string& n) {
    bool simple = !n.empty() && !(n[0] >= '0' && n[0] <= '9');
    for (size_t i = 0; i < n.size() && simple; ++i) {
        const char c = n[i];
        simple = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                 (c == '@' && i == 0) || (c == '.' && i > 0);
    }
    if (simple) return n;
    std::string r = "[";
    for (char c : n) {
        r += c;
        if (c == ']') r += ']';
    }
    return r + "]";
}

// The literal written into the statements that save a row: texts and dates quoted, the rest bare.
std::string LiteralGuardar(const Value& v) {
    switch (v.tipo()) {
        case Value::Tipo::Vacio:
        case Value::Tipo::Nulo:
            return "NULL";
        case Value::Tipo::Texto:
        case Value::Tipo::Fecha:
            return LiteralSQL(v, '\'');
        default:
            return LiteralSQL(v, '@');
    }
}

// The condition that finds the row by a value it read. A double is written so that it reads
// back to the very same binary value; 15 digits would miss rows holding 0.1 + 0.2.
std::string CondicionLeida(const std::string& columna, const Value& v) {
    const std::string c = NombreSQL(columna);
    if (v.EsNulo() || v.EsVacio()) return c + " IS NULL";
    if (v.tipo() == Value::Tipo::Doble) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v.ANumero());
        return c + " = " + std::string(buf, r.ptr);
    }
    return c + " = " + LiteralGuardar(v);
}

}  // namespace

std::string LiteralSQL(const Value& v, char delimitador) {
    if (delimitador == '@') {
        switch (v.tipo()) {
            case Value::Tipo::Nulo:
                return "NULL";
            case Value::Tipo::Vacio:
                return "0";
            case Value::Tipo::Logico:
                return v.ALogico() ? "1" : "0";
            case Value::Tipo::Fecha:
                return LiteralSQL(v, '\'');  // a date has no bare form
            case Value::Tipo::Texto:
                return TextoNumero(v.ANumero());  // Falla(13) when not a number
            default:
                return v.ATexto();
        }
    }
    std::string texto;
    switch (v.tipo()) {
        case Value::Tipo::Vacio:
        case Value::Tipo::Nulo:
            break;
        case Value::Tipo::Logico:
            texto = v.ALogico() ? '1' : '0';
            break;
        default:
            texto = v.ATexto();
    }
    std::string r(1, delimitador);
    for (char c : texto) {
        r += c;
        if (c == delimitador) r += c;
    }
    return r + delimitador;
}

void Recordset::Abrir(Resultado r, int cursor, int bloqueo, Conexion* cn, std::string tabla) {
    datos_ = std::move(r);
    cursor_ = cursor;
    bloqueo_ = bloqueo;
    cn_ = cn;
    tabla_ = std::move(tabla);
    pos_ = 0;
    nueva_ = false;
    editada_.clear();
    tocada_.clear();
    estado_ = ado::kAbierto;
}

void Recordset::Close() noexcept {
    // Closing a closed set is harmless: CerrarRecordset runs on every way out of a routine.
    estado_ = ado::kCerrado;
    datos_ = Resultado{};
    pos_ = 0;
    cn_ = nullptr;
    tabla_.clear();
    nueva_ = false;
    editada_.clear();
    tocada_.clear();
}

bool Recordset::BOF() const {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (nueva_) return false;
    return datos_.filas.empty() || pos_ < 0;
}

bool Recordset::EOF() const {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (nueva_) return false;
    return datos_.filas.empty() || pos_ >= static_cast<long>(datos_.filas.size());
}

void Recordset::MoveFirst() {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (!editada_.empty()) Update();  // leaving an edited row saves it, as ADO does
    pos_ = 0;
}

void Recordset::MoveNext() {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (!editada_.empty()) Update();
    if (EOF()) FallaSinFila();
    ++pos_;
}

long Recordset::AbsolutePosition() const {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (nueva_) return -1;  // adPosUnknown while a new row is being written
    if (EOF()) return ado::kPosEOF;
    if (BOF()) return ado::kPosBOF;
    return pos_ + 1;
}

long Recordset::RecordCount() const {
    if (estado_ == ado::kCerrado) FallaCerrado();
    return static_cast<long>(datos_.filas.size());
}

int Recordset::Indice(std::string_view nombre) const {
    for (size_t i = 0; i < datos_.columnas.size(); ++i)
        if (IgualesSinCaso(datos_.columnas[i], nombre)) return static_cast<int>(i);
    return -1;
}

bool Recordset::TieneCampo(std::string_view nombre) const {
    return Indice(nombre) >= 0;
}

const Value& Recordset::Fields(std::string_view nombre) const {
    if (estado_ == ado::kCerrado) FallaCerrado();
    const int i = Indice(nombre);
    if (i < 0)
        throw Falla(err::kElementoNoEncontrado,
                    "No se encontró el elemento en la colección que corresponde al nombre o al ordinal "
                    "solicitado.",
                    "ADODB.Fields");
    if (!editada_.empty()) return editada_[static_cast<size_t>(i)];
    if (EOF() || BOF()) FallaSinFila();
    return datos_.filas[static_cast<size_t>(pos_)][static_cast<size_t>(i)];
}

void Recordset::AddNew() {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (cn_ == nullptr || tabla_.empty())
        throw Falla(kNoAdmitido,
                    "El conjunto de registros no admite agregar registros: se abrió de solo lectura.",
                    "ADODB.Recordset");
    if (!editada_.empty()) Update();
    nueva_ = true;
    editada_.assign(datos_.columnas.size(), Value::Nulo());
    tocada_.assign(datos_.columnas.size(), false);
}

void Recordset::Poner(std::string_view campo, Value v) {
    if (estado_ == ado::kCerrado) FallaCerrado();
    const int i = Indice(campo);
    if (i < 0) (void)Fields(campo);  // raises the platform's "no such item"
    if (cn_ == nullptr || tabla_.empty())
        throw Falla(kNoAdmitido,
                    "El conjunto de registros no admite modificaciones: se abrió de solo lectura.",
                    "ADODB.Recordset");
    if (editada_.empty()) {
        if (EOF() || BOF()) FallaSinFila();
        editada_ = datos_.filas[static_cast<size_t>(pos_)];
        tocada_.assign(datos_.columnas.size(), false);
    }
    editada_[static_cast<size_t>(i)] = std::move(v);
    tocada_[static_cast<size_t>(i)] = true;
}

void Recordset::Update() {
    if (estado_ == ado::kCerrado) FallaCerrado();
    if (editada_.empty()) return;  // nothing pending
    const auto& cols = datos_.columnas;
    std::string sql;
    if (nueva_) {
        std::string nombres, valores;
        for (size_t i = 0; i < cols.size(); ++i) {
            if (!tocada_[i]) continue;
            if (!nombres.empty()) nombres += ",", valores += ",";
            nombres += NombreSQL(cols[i]);
            valores += LiteralGuardar(editada_[i]);
        }
        sql = nombres.empty()
                  ? "INSERT INTO " + NombreSQL(tabla_) + " DEFAULT VALUES"
                  : "INSERT INTO " + NombreSQL(tabla_) + " (" + nombres + ") VALUES (" + valores + ")";
    } else {
        std::string asignaciones, condicion;
        const auto& leida = datos_.filas[static_cast<size_t>(pos_)];
        for (size_t i = 0; i < cols.size(); ++i) {
            if (tocada_[i]) {
                if (!asignaciones.empty()) asignaciones += ",";
                asignaciones += NombreSQL(cols[i]) + "=" + LiteralGuardar(editada_[i]);
            }
            if (!condicion.empty()) condicion += " AND ";
            condicion += CondicionLeida(cols[i], leida[i]);
        }
        if (asignaciones.empty()) {
            editada_.clear();
            tocada_.clear();
            return;
        }
        sql = "UPDATE " + NombreSQL(tabla_) + " SET " + asignaciones + " WHERE " + condicion;
    }

    // A failure leaves the edit pending, so that the caller may correct and save again.
    const long filas = cn_->Execute(sql);
    if (!nueva_ && filas == 0)
        throw Falla(kFilaCambiada,
                    "No se pudo guardar el registro de " + tabla_ +
                        ": otro usuario lo modificó o lo eliminó desde que se leyó.",
                    "ADODB.Recordset");

    if (nueva_) {
        datos_.filas.push_back(std::move(editada_));
        pos_ = static_cast<long>(datos_.filas.size()) - 1;
    } else {
        datos_.filas[static_cast<size_t>(pos_)] = std::move(editada_);
    }
    nueva_ = false;
    editada_.clear();
    tocada_.clear();
}

}  // namespace dep
