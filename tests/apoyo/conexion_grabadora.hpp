#pragma once
// A connection that records every statement and answers from a script: the record set, the data
// services and the common routines are tested without any engine.
#include <deque>
#include <functional>
#include <optional>
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

    // What Consultar gives: its rows, or a refusal it raises (with its entry in Errors()).
    struct Lectura {
        Lectura(Resultado r = {}) : filas(std::move(r)) {}  // implicit: a bare result is a reading
        Resultado filas;
        std::optional<Falla> falla;
    };

    bool abierta = true;
    std::vector<std::string> sentencias;  // every text, in order
    std::vector<std::string> ejecutadas;  // texts given to Execute
    std::vector<std::string> consultas;   // texts given to Consultar
    std::deque<Respuesta> respuestas;     // for Execute, in order; empty: 1 row, no messages
    std::deque<Lectura> resultados;       // for Consultar, in order; empty: no rows

    void Responder(Resultado r) { resultados.emplace_back(std::move(r)); }
    void Fallar(const Falla& f) {
        resultados.emplace_back();
        resultados.back().falla = f;
    }

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
        sentencias.push_back(sql);
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
        sentencias.push_back(sql);
        consultas.push_back(sql);
        errores_.clear();
        if (resultados.empty()) return {};
        Lectura r = std::move(resultados.front());
        resultados.pop_front();
        if (r.falla) {
            errores_.push_back({r.falla->Numero(), r.falla->Descripcion(), "prueba", "", false});
            throw *r.falla;
        }
        return r.filas;
    }

    std::string NombreServidor() const override { return "servidor"; }
    std::string NombreBaseDatos() const override { return "base"; }
    std::string NombreUsuario() const override { return "usuario"; }

  private:
    int nivel_ = 0;
};

}  // namespace dep::prueba
