#pragma once
// What the tests of the common folder share: a connection that records every statement and
// answers from a script, the runtime services around it, and a temporary folder.
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/conexion.hpp"
#include "runtime/data_services.hpp"
#include "runtime/falla.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/servicios.hpp"
#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep::prueba {

// Answers each query with the next scripted result (an empty one when none is left) or the
// next scripted failure.
class ConexionGrabadora : public Conexion {
  public:
    struct Respuesta {
        Resultado filas;
        std::optional<Falla> falla;
    };
    std::deque<Respuesta> guion;
    std::vector<std::string> sentencias;
    bool abierta = true;

    void Responder(Resultado r) { guion.push_back({std::move(r), std::nullopt}); }
    void Fallar(Falla f) { guion.push_back({{}, std::move(f)}); }

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
        Consultar(sql);
        return 0;
    }
    Resultado Consultar(const std::string& sql) override {
        errores_.clear();
        sentencias.push_back(sql);
        if (guion.empty()) return {};
        Respuesta r = std::move(guion.front());
        guion.pop_front();
        if (r.falla) {
            errores_.push_back({r.falla->Numero(), r.falla->Descripcion(), "prueba", "", false});
            throw *r.falla;
        }
        return r.filas;
    }
    std::string NombreServidor() const override { return "prueba"; }
    std::string NombreBaseDatos() const override { return "prueba"; }
    std::string NombreUsuario() const override { return "prueba"; }

  private:
    int nivel_ = 0;
};

// The runtime's global objects around one connection (null: a closed one).
struct Entorno {
    explicit Entorno(std::shared_ptr<Conexion> cn)
        : datos(std::move(cn), op), formularios(op), consultas(op) {}
    OperadorGuionado op;
    DataServices datos;
    FormServices formularios;
    LookupServices consultas;
    Servicios s{datos, formularios, consultas, op};
};

std::string LeerArchivo(const std::filesystem::path& p);

}  // namespace dep::prueba
