#pragma once
// Fixture of the numbering tests: a fresh database file with the suite's schema, the runtime
// services around it, and a connection that records what the routines send and can refuse a
// chosen statement.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "numbering/apoyo.hpp"
#include "runtime/conexion.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/servicios.hpp"

namespace dep::prueba {

// Wraps a real connection: every statement is recorded, and statements that contain a chosen
// text are refused a given number of times before they reach the database.
class ConexionEspia : public Conexion {
  public:
    explicit ConexionEspia(std::shared_ptr<Conexion> real) : real_(std::move(real)) {}

    std::vector<std::string> sentencias;  // every statement that reached this connection
    std::string rechazar;                 // refuse statements containing this text ...
    int veces = 0;                        // ... this many times (-1: always)
    int rechazadas = 0;

    bool EstaAbierta() const override { return real_->EstaAbierta(); }
    void BeginTrans() override { real_->BeginTrans(); }
    void CommitTrans() override { real_->CommitTrans(); }
    void RollbackTrans() override { real_->RollbackTrans(); }
    int NivelTransaccion() const override { return real_->NivelTransaccion(); }
    long Execute(const std::string& sql) override;
    Resultado Consultar(const std::string& sql) override;
    std::string NombreServidor() const override { return real_->NombreServidor(); }
    std::string NombreBaseDatos() const override { return real_->NombreBaseDatos(); }
    std::string NombreUsuario() const override { return real_->NombreUsuario(); }

    // Statements recorded that contain `texto`.
    std::vector<std::string> Con(const std::string& texto) const;
    Conexion& real() { return *real_; }

  private:
    void Filtro(const std::string& sql);
    std::shared_ptr<Conexion> real_;
};

// The scripted operator, noting how many record sets of the numbering were open at each question.
class OperadorContador : public OperadorGuionado {
  public:
    std::vector<int> abiertosAlPreguntar;
    int ErrorRutina(const Falla& e, const std::string& rutina) override {
        abiertosAlPreguntar.push_back(numeracion::ConjuntosAbiertos());
        return OperadorGuionado::ErrorRutina(e, rutina);
    }
};

class BaseNumeracion : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs statements on the real connection, not recorded (fixture rows).
    void Sql(const std::string& sql);
    // One talonario row of V_TA_CPTE; `columnas` and `valores` add per-letter columns.
    void Talonario(const std::string& codigo, int talonario, const std::string& letras,
                   const std::string& columnas, const std::string& valores, const std::string& unegocio = "",
                   const std::string& modifica = "S");
    // A value read back from the database (first column of the first row).
    Value Uno(const std::string& sql);
    void Olvidar() {
        espia->sentencias.clear();
        op.Olvidar();
        op.abiertosAlPreguntar.clear();
    }
    std::vector<std::string> Rutinas() const;  // routine names ErrorRutina was asked for, in order

    std::filesystem::path carpeta;
    std::shared_ptr<ConexionEspia> espia;
    OperadorContador op;
    std::unique_ptr<DataServices> datos;
    std::unique_ptr<FormServices> formularios;
    std::unique_ptr<LookupServices> consultas;
    std::unique_ptr<Servicios> s;
};

}  // namespace dep::prueba
