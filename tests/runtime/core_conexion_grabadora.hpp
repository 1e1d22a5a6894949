#pragma once
// A connection that records every statement and answers from a script: the record set and the
// data services are tested without any engine.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "runtime/conexion.hpp"
#include "runtime/falla.hpp"

namespace dep::prueba {

class ConexionGrabadora : public Conexion {
  public:
    struct Respuesta {
        long filas = 1;
        std::vector<ErrorBD> errores;  // left in Errors(); refused when one is not informational
    };

    bool abierta = true;
    std::vector<std::string> ejecutadas;  // texts given to Execute
    std::vector<std::string> consultas;   // texts given to Consultar
    std::deque<Respuesta> respuestas;     // for Execute, in order; empty: 1 row, no messages
    std::deque<Resultado> resultados;     // for Consultar, in order; empty: no rows

    static ErrorBD Rechazo(std::string texto, long numero = 208) {
        ErrorBD e;
        e.numero = numero;
        e.descripcion = std::move(texto);
        e.fuente = "prueba";
        return e;
    }
    static ErrorBD Aviso(std::string texto) {
        ErrorBD e;
        e.numero = 0;
        e.descripcion = std::move(texto);
        e.informativo = true;
        return e;
    }

    bool EstaAbierta() const override { return abierta; }
    void BeginTrans() override { ++nivel_; }
    void CommitTrans() override { --nivel_; }
    void RollbackTrans() override { --nivel_; }
    int NivelTransaccion() const override { return nivel_; }
    // Scripted connections have no other runner to keep out.
    std::unique_ptr<CandadoCorrida> TomarCandadoCorrida(std::string&) override {
        return std::make_unique<CandadoCorrida>();
    }
    bool CorridaEnCurso(std::string&) override { return false; }
    std::string CopiaDeSeguridad(const std::string&, long long&, const SeCancela&) override {
        throw Falla(err::kOperacionNoPermitida, "sin copias en una conexión guionada");
    }
    Compactacion Compactar(const SeCancela&) override { return {}; }

    long Execute(const std::string& sql) override {
        ejecutadas.push_back(sql);
        errores_.clear();
        Respuesta r;
        if (!respuestas.empty()) {
            r = respuestas.front();
            respuestas.pop_front();
        }
        errores_ = r.errores;
        for (const auto& e : errores_)
            if (!e.informativo) throw Falla(e.numero, e.descripcion, e.fuente);
        return r.filas;
    }

    Resultado Consultar(const std::string& sql) override {
        consultas.push_back(sql);
        errores_.clear();
        if (resultados.empty()) return {};
        Resultado r = resultados.front();
        resultados.pop_front();
        return r;
    }

    std::string NombreServidor() const override { return "servidor"; }
    std::string NombreBaseDatos() const override { return "base"; }
    std::string NombreUsuario() const override { return "usuario"; }

  private:
    int nivel_ = 0;
};

}  // namespace dep::prueba
