#pragma once
// The database connection the runtime component holds, as the purges see it (ADO-like).
// Two engines implement it: the embedded SQLite engine and ODBC.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/value.hpp"

namespace dep {

// Said by an engine that could not open the database because another program holds it for
// writing (the file itself is sound): the window then advises waiting, not checking the file.
inline constexpr const char* kBloqueadaPorOtro = "bloqueada por otro proceso";

// One entry of the connection's error collection.
struct ErrorBD {
    long numero = 0;
    std::string descripcion;
    std::string fuente;        // the engine or driver that raised it
    std::string estado;        // SQLSTATE where the engine has one
    bool informativo = false;  // PRINT and low-severity messages: not a refusal
};

// All rows of one statement, materialised so that position and row count are known.
struct Resultado {
    std::vector<std::string> columnas;
    std::vector<std::vector<Value>> filas;
};

// The run lock while a purge run holds it: one runner per database. The engine drops it when the
// process (embedded file) or the session (server) ends, so a crash leaves nothing to clean up.
class CandadoCorrida {
  public:
    virtual ~CandadoCorrida() = default;
};

enum class EstadoCompactacion {
    kHecha,      // done, or nothing to give back
    kOmitida,    // not attempted: the engine decided it must not or cannot (nota says why)
    kCancelada,  // the cancel callback stopped it; the file is as it was
};

// What a compaction did: the database's size before and after, in bytes (-1: not told).
struct Compactacion {
    long long antes = -1, despues = -1;
    // When it was not done: why, in Spanish (the server: what it does instead).
    std::string nota;
    EstadoCompactacion estado = EstadoCompactacion::kHecha;
};

// Asked now and then during a long step of the engine's own (backup, compaction): true stops it.
using SeCancela = std::function<bool()>;

class Conexion {
  public:
    virtual ~Conexion() = default;

    virtual bool EstaAbierta() const = 0;
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    virtual int NivelTransaccion() const = 0;  // 0 outside a transaction

    // The connection's own execute (the stock purge uses it): clears Errors(), runs the text
    // (one statement or a batch); informational messages stay in Errors() as entries. A refusal
    // leaves its errors in Errors() and raises Falla with the first one. Returns the rows
    // affected, or -1 when the engine cannot tell.
    virtual long Execute(const std::string& sql) = 0;

    // Runs a query and hands back every row. Clears Errors() first; a refusal fills it and raises.
    virtual Resultado Consultar(const std::string& sql) = 0;

    // Takes the run lock. Null when another run holds it; `ocupante` then says, in Spanish, since
    // when and by whom where the engine can tell. Raises Falla when the lock cannot be asked for.
    virtual std::unique_ptr<CandadoCorrida> TomarCandadoCorrida(std::string& ocupante) = 0;
    // Whether some run holds the lock now, without taking it (the preview says so).
    virtual bool CorridaEnCurso(std::string& ocupante) = 0;

    // A consistent copy of the whole database in `carpeta` (empty: the engine's default place),
    // named with the date and time, checked before it is handed back. Returns where it is and
    // sets `bytes` to its size (-1 when the engine cannot tell). Raises Falla with a Spanish
    // message, leaving no partial copy behind, when it cannot be made; Falla(err::kCancelado)
    // when `cancelar` (empty: never) answered true meanwhile.
    virtual std::string CopiaDeSeguridad(const std::string& carpeta, long long& bytes,
                                         const SeCancela& cancelar) = 0;

    // Gives the space the purges freed back to the file system, keeping every row and every
    // declared key. What the engine refuses itself is an outcome (kOmitida with the reason in
    // `nota`), and so is a stop asked by `cancelar` (kCancelada); either way nothing changed.
    // Raises Falla only when the database failed it, having changed nothing.
    virtual Compactacion Compactar(const SeCancela& cancelar) = 0;
    // The space the given tables take in the database, in bytes; -1 when the engine cannot tell
    // (the embedded engine's compaction reports the whole file instead).
    virtual long long EspacioTablas(const std::vector<std::string>& /*tablas*/) { return -1; }

    // Called between the short waits for another program's lock on the database, on the thread
    // that waits (empty: none); an engine whose waits happen in the server ignores it.
    virtual void FijarAlEsperarBloqueo(std::function<void()> f) { (void)f; }
    // Called now and then while a statement runs, on its thread (empty: none), so that a window
    // stays painted through a long count; it must not use this connection. An engine that cannot
    // call back during a statement ignores it.
    virtual void FijarAlProgresar(std::function<void()> f) { (void)f; }

    // While `diferir`, commits need not wait for the disk one by one where the engine keeps each
    // of them atomic anyway (the embedded engine's write-ahead log): a crash loses the last ones
    // whole, never half of one. Sincronizar then makes every commit so far durable, raising Falla
    // when it cannot. An engine that makes each commit durable has nothing to do.
    virtual void DiferirSincronizacion(bool /*diferir*/) {}
    virtual void Sincronizar() {}

    virtual std::string NombreServidor() const = 0;
    virtual std::string NombreBaseDatos() const = 0;
    virtual std::string NombreUsuario() const = 0;

    std::vector<ErrorBD>& Errors() { return errores_; }
    const std::vector<ErrorBD>& Errors() const { return errores_; }

  protected:
    std::vector<ErrorBD> errores_;
};

// A transaction whose work is never kept: begun on construction, rolled back on leaving the scope
// whatever the way out (a preview's numbering check writes, and nothing of it may stay).
class TransaccionDeshecha {
  public:
    explicit TransaccionDeshecha(Conexion& cn) : cn_(cn), nivel_(cn.NivelTransaccion()) { cn_.BeginTrans(); }
    ~TransaccionDeshecha() {
        try {
            while (cn_.NivelTransaccion() > nivel_) cn_.RollbackTrans();
        } catch (...) {
            // The connection is gone, and the database drops its transaction with it.
        }
    }
    TransaccionDeshecha(const TransaccionDeshecha&) = delete;
    TransaccionDeshecha& operator=(const TransaccionDeshecha&) = delete;

  private:
    Conexion& cn_;
    int nivel_;
};

// Deferred syncs for a scope (Conexion::DiferirSincronizacion). Terminar makes every commit durable
// and raises when it cannot; leaving the scope without it still tries, and puts the connection back
// to syncing each commit.
class SincronizacionDiferida {
  public:
    explicit SincronizacionDiferida(Conexion& cn) : cn_(cn) { cn_.DiferirSincronizacion(true); }
    ~SincronizacionDiferida() {
        try {
            Terminar();
        } catch (...) {
            // Said by whoever called Terminar; here only the scope's end.
        }
    }
    SincronizacionDiferida(const SincronizacionDiferida&) = delete;
    SincronizacionDiferida& operator=(const SincronizacionDiferida&) = delete;
    void Terminar() {
        if (terminada_) return;
        cn_.DiferirSincronizacion(false);
        cn_.Sincronizar();
        terminada_ = true;
    }

  private:
    Conexion& cn_;
    bool terminada_ = false;
};

}  // namespace dep
