#pragma once
// The run journal: one JSON object per line beside "KSERR.LOG", one record per unit of work
// (a statement of the temporaries purge, the stock procedure, a walk date or the re-dating of a
// consolidation pass) and one record per run. It learns what happened by watching the
// connection, so the purges run exactly as without it; a journal that cannot be written is
// silently left behind.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/conexion.hpp"
#include "runtime/data_services.hpp"
#include "runtime/value.hpp"

namespace dep {

struct UnidadDiario {
    std::string purga;   // "stock", "asientos" or "temporales"
    std::string unidad;  // statement kind ("TRUNCATE TABLE AUX_TMP"), walk date or "refechado"
    std::string pasada;  // consolidation: "CC" or "FP"
    Fecha inicio, fin;
    long filas = 0;           // rows affected as the connection reported them (-1: unknown)
    long borradas = 0;        // walk date: of those, the entries deleted (the rest are merges)
    std::string resultado;    // "ok", "rechazada", "omitida" or "cancelada"
    std::string error;        // the refusal's text
    std::string comprobante;  // re-dating: the summary voucher key (13 characters)
};

struct CorridaDiario {
    std::string hasta;
    bool stock = false, asientos = false, temporales = false;
    Fecha inicio, fin;
    bool cancelado = false;
    bool fechaGrabada = false;  // the cut-off date stored as the last purge date
};

class Diario {
  public:
    // `ruta` empty: CarpetaRegistro() + "DEPURACION.DIARIO.jsonl".
    explicit Diario(std::string ruta = {}, std::function<Fecha()> reloj = {});
    static std::string RutaPorDefecto();

    void Iniciar(const std::string& hasta, bool stock, bool asientos, bool temporales);
    void Unidad(UnidadDiario u);
    // Records the purges that left no unit (not ticked, cancelled, nothing to do) and the run.
    void Terminar(bool cancelado);
    void FechaGrabada() { corrida_.fechaGrabada = true; }

    Fecha Ahora() const;
    const std::vector<UnidadDiario>& Unidades() const { return unidades_; }
    const CorridaDiario& Corrida() const { return corrida_; }
    const std::string& Ruta() const { return ruta_; }
    bool Escrito() const { return escrito_; }  // every record reached the file

    static std::string JsonUnidad(const UnidadDiario& u);
    std::string JsonCorrida() const;

  private:
    void Anexar(const std::string& linea);
    std::string ruta_;
    std::function<Fecha()> reloj_;
    CorridaDiario corrida_;
    std::vector<UnidadDiario> unidades_;
    bool escrito_ = true;
};

// Wraps the program's connection and tells the journal what each statement did.
class ConexionDiario : public Conexion {
  public:
    ConexionDiario(std::shared_ptr<Conexion> real, Diario& diario) : real_(std::move(real)), d_(diario) {}
    bool EstaAbierta() const override { return real_->EstaAbierta(); }
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    int NivelTransaccion() const override { return real_->NivelTransaccion(); }
    long Execute(const std::string& sql) override;
    Resultado Consultar(const std::string& sql) override;
    std::string NombreServidor() const override { return real_->NombreServidor(); }
    std::string NombreBaseDatos() const override { return real_->NombreBaseDatos(); }
    std::string NombreUsuario() const override { return real_->NombreUsuario(); }
    Conexion& Real() { return *real_; }

  private:
    void Observar(const std::string& sql, long filas, const std::string& error);
    void CerrarTransaccion(bool confirmada);
    std::shared_ptr<Conexion> real_;
    Diario& d_;
    // The consolidation transaction in progress (one walk date or the re-dating).
    std::optional<UnidadDiario> tx_;
    bool txBorro_ = false;
};

// For the length of a run: the journal watches the services' connection (none: nothing is
// watched), and the connection is put back afterwards.
class DiarioEnCorrida {
  public:
    DiarioEnCorrida(DataServices& datos, Diario& d);
    ~DiarioEnCorrida();
    DiarioEnCorrida(const DiarioEnCorrida&) = delete;
    DiarioEnCorrida& operator=(const DiarioEnCorrida&) = delete;

  private:
    DataServices& datos_;
    std::shared_ptr<Conexion> real_;
};

// Text between JSON quotes.
std::string JsonTexto(const std::string& s);
// "yyyy-mm-ddThh:mm:ss".
std::string JsonHora(const Fecha& f);

}  // namespace dep
