#pragma once
// A connection for tests: wraps a real one, records every statement that reaches it and refuses
// the chosen ones before they reach the database.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/conexion.hpp"

namespace dep::prueba {

class ConexionEspia : public Conexion {
  public:
    explicit ConexionEspia(std::shared_ptr<Conexion> real) : real_(std::move(real)) {}

    std::vector<std::string> sentencias;  // every statement that reached this connection
    bool registrar = true;                // false: `sentencias` stays empty (long runs)
    // Called with each statement before it reaches the database (a test holds the run there).
    std::function<void(const std::string&)> antes;
    // A statement for which this answers true is refused: it raises, with an entry in Errors()
    // whose text is `motivo` ("Rechazo de prueba" when empty; the predicate may set it).
    std::function<bool(const std::string&)> rechazar;
    std::string motivo;
    int rechazadas = 0;
    // Refuses the statements that contain `texto`, `veces` times (-1: always).
    void Rechazar(const std::string& texto, int veces = -1);

    bool cerrada = false;  // true: the connection is gone, as a dropped link leaves it
    bool EstaAbierta() const override { return !cerrada && real_->EstaAbierta(); }
    void BeginTrans() override { real_->BeginTrans(); }
    void CommitTrans() override { real_->CommitTrans(); }
    void RollbackTrans() override { real_->RollbackTrans(); }
    int NivelTransaccion() const override { return real_->NivelTransaccion(); }
    long Execute(const std::string& sql) override;
    Resultado Consultar(const std::string& sql) override;
    std::unique_ptr<CandadoCorrida> TomarCandadoCorrida(std::string& o) override {
        return real_->TomarCandadoCorrida(o);
    }
    bool CorridaEnCurso(std::string& o) override { return real_->CorridaEnCurso(o); }
    // `antes` hears of it once made ("copia de seguridad hecha"), as of a step whose last moments
    // listen to no cancel button (a server's BACKUP).
    std::string CopiaDeSeguridad(const std::string& c, long long& b, const SeCancela& x) override {
        std::string r = real_->CopiaDeSeguridad(c, b, x);
        if (antes) antes("copia de seguridad hecha");
        return r;
    }
    // Set: a server that compacts nothing and reports the purged tables' space, these in turn.
    std::vector<long long> espacios;
    Compactacion Compactar(const SeCancela& x) override {
        return espacios.empty() ? real_->Compactar(x)
                                : Compactacion{-1, -1, "no se compacta", EstadoCompactacion::kOmitida};
    }
    long long EspacioTablas(const std::vector<std::string>& t) override {
        if (espacios.empty()) return real_->EspacioTablas(t);
        const long long e = espacios.front();
        espacios.erase(espacios.begin());
        return e;
    }
    void FijarAlEsperarBloqueo(std::function<void()> f) override {
        real_->FijarAlEsperarBloqueo(std::move(f));
    }
    void FijarAlProgresar(std::function<void()> f) override { real_->FijarAlProgresar(std::move(f)); }
    void DiferirSincronizacion(bool d) override { real_->DiferirSincronizacion(d); }
    void Sincronizar() override { real_->Sincronizar(); }
    std::string NombreServidor() const override { return real_->NombreServidor(); }
    std::string NombreBaseDatos() const override { return real_->NombreBaseDatos(); }
    std::string NombreUsuario() const override { return real_->NombreUsuario(); }

    // Statements recorded that contain `texto`.
    std::vector<std::string> Con(const std::string& texto) const;
    Conexion& real() { return *real_; }

  private:
    void Filtro(const std::string& sql);
    // Runs `enviar` once the statement passed the filter, this connection's Errors() those of
    // the real one afterwards, whether it succeeded or raised.
    template <class F>
    auto Pasar(const std::string& sql, F enviar) {
        Filtro(sql);
        errores_.clear();
        try {
            auto r = enviar();
            errores_ = real_->Errors();
            return r;
        } catch (...) {
            errores_ = real_->Errors();
            throw;
        }
    }
    std::shared_ptr<Conexion> real_;
};

}  // namespace dep::prueba
