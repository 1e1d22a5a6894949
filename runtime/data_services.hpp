#pragma once
// DataServices: the one connection of the program and the operations every purge and module uses on it.
#include <memory>
#include <optional>
#include <string>

#include "runtime/conexion.hpp"
#include "runtime/falla.hpp"
#include "runtime/operador.hpp"
#include "runtime/recordset.hpp"

namespace dep {

// What one statement did: the rows it touched, or the database's first refusal.
struct [[nodiscard]] Ejecucion {
    long filas = 0;
    std::optional<ErrorBD> rechazo;
    long numero = 0;  // the error number the engine raised with it
    bool Hecha() const { return !rechazo.has_value(); }
    const std::string& Error() const;  // the refusal's text; empty when it ran
    void Exigir() const;               // raises the refusal as a Falla, as AbrirRecordset does
};

class DataServices {
  public:
    // `cn` may be null: the program then runs with a closed connection (EstaConectado false).
    DataServices(std::shared_ptr<Conexion> cn, Operador& op);

    bool EstaConectado() const;
    // The connection itself; raises Falla when there is none.
    Conexion& Conexion_();
    std::string NombreServidor() const;
    std::string NombreBaseDatos() const;
    std::string NombreUsuario() const;

    // True when a row of `tabla` has `valor` in `columna` (type 8: compared as text).
    bool ExisteRegistro(const std::string& tabla, const std::string& valor, const std::string& columna,
                        int tipo = 8);
    // The `columnaResultado` of the row whose `columnaClave` equals `clave`; empty when none.
    Value BuscarValor(const std::string& tabla, const std::string& clave, const std::string& columnaResultado,
                      const std::string& columnaClave, int tipo = 8);

    void CerrarRecordset(Recordset& rs) noexcept;
    // Runs the statement and says what came of it. A refusal raises nothing: it is in the
    // outcome and in the connection's collection, which is cleared first; a statement that
    // succeeds leaves the collection empty. A caller whose error trap should report the refusal
    // calls Exigir() on the outcome.
    Ejecucion Ejecutar(const std::string& sql, Recordset* rs = nullptr);
    // Opens `rs` on the statement: cursor 0 / lock 1 forward-only read-only, 2 / 3 updatable.
    // A refusal raises Falla.
    void AbrirRecordset(const std::string& sql, Recordset& rs, Conexion* cn = nullptr, int cursor = 0,
                        int bloqueo = 1, int opciones = -1, bool final = true);

    std::string ValorSQL(const Value& v, char delimitador) const { return LiteralSQL(v, delimitador); }
    std::string AdaptarSQL(const std::string& sql) const { return sql; }
    // Shows the error to the operator; 4 retry, 5 next step, anything else leave the routine.
    int ErrorRutina(const Falla& e, const std::string& rutina);

    Operador& operador() { return op_; }
    std::shared_ptr<Conexion> conexionCompartida() const { return cn_; }
    // Puts another connection in place (a wrapper of the same one, for the run journal).
    void FijarConexion(std::shared_ptr<Conexion> cn) { cn_ = std::move(cn); }

  private:
    std::shared_ptr<Conexion> cn_;
    Operador& op_;
};

}  // namespace dep
