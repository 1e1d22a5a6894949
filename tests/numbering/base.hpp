#pragma once
// Fixture of the numbering tests: a fresh database file with the suite's schema, the runtime
// services around it, and a connection that records what the routines send and can refuse a
// chosen statement.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "numbering/apoyo.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/servicios.hpp"
#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/conexion_espia.hpp"

namespace dep::prueba {

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

    std::optional<Carpeta> carpeta;
    std::shared_ptr<ConexionEspia> espia;
    OperadorContador op;
    std::unique_ptr<DataServices> datos;
    std::unique_ptr<FormServices> formularios;
    std::unique_ptr<LookupServices> consultas;
    std::unique_ptr<Servicios> s;
};

}  // namespace dep::prueba
