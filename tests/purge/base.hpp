#pragma once
// Fixture of the purge tests: a fresh database file with the suite's schema (or a demo database),
// the runtime services around it, a connection that records and can refuse statements, the test
// host and the purges.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "anfitrion_prueba.hpp"
#include "purge/depuracion.hpp"
#include "purge/diario.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "runtime/servicios.hpp"
#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/conexion_espia.hpp"

namespace dep::prueba {

using ::testing::_;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

// A row of MV_ASIENTOS as the tests compare it.
struct Asiento {
    long long id = 0;
    std::string cuenta, tc, sucursal, numero, letra, dh, moneda, nro, tipoReg, idCajas, unegocio, detalle;
    long long secuencia = 0, periodo = 0, mes = 0, nroAsiento = 0, cierre = 0, apertura = 0;
    double importe = 0, cotizacion = 0;
    Fecha fecha;
    bool nroNulo = false;
};

// Group key of the consolidation: account, side, currency, rate, bank voucher number (a null
// counts as empty), register type, cash box, business unit.
using ClaveGrupo = std::vector<std::string>;
ClaveGrupo Grupo(const Asiento& a);
inline bool Contiene(const std::string& s, const std::string& t) {
    return s.find(t) != std::string::npos;
}
bool FamiliaFP(const std::string& tc);

class BasePurga : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the services on a database file already made (the fixture's own is schema only).
    void Abrir(const std::string& ruta);
    // Makes and opens a schema-only database `nombre`.db in the test's folder.
    void Nueva(const std::string& nombre);
    // Makes and opens a demo database of fiscal years 2021 on.
    void Demo(long long asientos = 3000, std::uint32_t semilla = 3);

    void Sql(const std::string& sql);  // runs on the real connection, not recorded
    Value Uno(const std::string& sql);
    long long Cuantos(const std::string& sql) { return Uno(sql).AEntero(); }
    long long Filas(const std::string& donde) {
        return Cuantos("SELECT COUNT(*) FROM MV_ASIENTOS WHERE " + donde);
    }
    std::vector<Asiento> Asientos(const std::string& condicion = "");
    // Each of `filas` is still there, with its date and amount.
    void Intactas(const std::vector<Asiento>& filas);
    long long Auditoria() { return Cuantos("SELECT COUNT(*) FROM MV_ASIENTOS_AUDITORIA"); }
    // The triggers are on again: an entry written now adds one row to the `antes` audit rows.
    void TriggersEncendidos(long long antes) {
        Entrada("FC", "00000009", "1.1.01", "D", 1, "05/03/2021");
        EXPECT_EQ(Auditoria(), antes + 1);
    }
    // Forgets the statements, refusals, messages and error flag of what ran before.
    void Olvidar() {
        espia->rechazar = nullptr;
        espia->rechazadas = 0;
        espia->sentencias.clear();
        op.Olvidar();
        host.hayError = false;
    }

    // Voucher types "CC" and "FP" with a talonario of letter X on branch 0001 (or `sucursal`).
    void Tipos(bool cc = true, bool fp = true, int sucursal = 1);
    // Fiscal years 2019..2024, period = the year.
    void Ejercicios();
    // One entry; `fecha` dd/mm/yyyy[ hh:mm:ss].
    void Entrada(const std::string& tc, const std::string& numero, const std::string& cuenta,
                 const std::string& dh, double importe, const std::string& fecha,
                 const std::string& nro = "NULL", int cierre = 0, const std::string& moneda = "$",
                 double cotizacion = 1);

    // Sums per group key of the ordinary entries of a family dated up to `hasta`.
    std::map<ClaveGrupo, double> Sumas(const std::vector<Asiento>& v, bool fp, const Fecha& hasta) const;
    // The summary rows of a family (DETALLE "Depuracion").
    std::vector<Asiento> Resumen(bool fp);
    // The consolidation up to `hasta`, typed in the date field.
    void Consolidar(const std::string& hasta) {
        host.fecha = hasta;
        dep->DepuraAsientos();
    }
    std::string Log();  // the error log of the test's folder
    // A run as the front ends make it, into `diario`: the journal watches the connection under the
    // services.
    void CorrerConDiario(const std::string& hasta, const std::string& rutaDiario = "");

    std::optional<Carpeta> temporal;
    std::filesystem::path carpeta;  // the temporary folder's path
    std::string ruta;
    std::shared_ptr<ConexionEspia> espia;
    OperadorGuionado op;
    std::unique_ptr<DataServices> datos;
    std::unique_ptr<FormServices> formularios;
    std::unique_ptr<LookupServices> consultas;
    std::unique_ptr<Servicios> s;
    AnfitrionPrueba host;
    std::unique_ptr<Depuracion> dep;
    std::unique_ptr<Diario> diario;
    int tic = 0;  // the journal's clock
};

}  // namespace dep::prueba
