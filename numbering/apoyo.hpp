#pragma once
// Small pieces shared by the numbering routines: record sets released on every way out, fields
// read by name with a message that says which column is missing, and the trap of a routine.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/trampa.hpp"
#include "runtime/recordset.hpp"
#include "runtime/servicios.hpp"

namespace dep::numeracion {

// A record set of a routine: whatever way the routine leaves, the set is closed through the
// data services. Sets opened through it are counted while they are open.
class ConjuntoLocal {
  public:
    explicit ConjuntoLocal(DataServices& datos) : datos_(datos) {}
    ~ConjuntoLocal();
    ConjuntoLocal(const ConjuntoLocal&) = delete;
    ConjuntoLocal& operator=(const ConjuntoLocal&) = delete;

    Recordset& rs() { return rs_; }
    Recordset* operator->() { return &rs_; }
    // Closes what was open and opens the set on the statement (cursor 0, lock 1, options -1).
    void Abrir(const std::string& sql, Conexion* cn);
    // Counts the set when someone else (BuscarRegistro) left it open.
    void Registrar();
    void Cerrar() noexcept;

  private:
    DataServices& datos_;
    Recordset rs_;
    bool contado_ = false;
};

// How many record sets of the numbering routines are open right now.
int ConjuntosAbiertos();

// The field of the current row; a column the set lacks raises Falla(3265) naming it and the table.
const Value& Campo(const Recordset& rs, std::string_view nombre, std::string_view tabla);

// The trap of a numbering routine: failures go to DataServices::ErrorRutina with its name.
Trampa TrampaRutina(Servicios& s, std::string rutina);

// A whole number read from a value's text (a text that does not start with a number gives 0).
double NumeroDeTexto(const Value& v);
// "0000", "00000000", ...: the number rounded to a whole one and padded with zeros.
std::string Formato(double n, int digitos);
// The platform's Format of a field value with a zero pattern: an empty text stays empty.
std::string FormatoValor(const Value& v, int digitos);
// A currency value plus one, formatted with eight digits.
std::string SiguienteOcho(Moneda m);
// Whether the voucher type is one of those listed, capitals aside.
bool EsUno(const std::string& tc, std::initializer_list<const char*> lista);

}  // namespace dep::numeracion
