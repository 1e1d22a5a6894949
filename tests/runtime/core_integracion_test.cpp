// An updatable record set over the embedded engine on a real database file.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include "runtime/plataforma/identidad.hpp"

#include <filesystem>

#include "runtime/ajustes.hpp"
#include "runtime/data_services.hpp"
#include "runtime/operador_guionado.hpp"

namespace dep {
namespace {

namespace fs = std::filesystem;

struct BaseReal : ::testing::Test {
    fs::path archivo =
        fs::temp_directory_path() / ("core_integracion_" + std::to_string(plataforma::IdProceso()) + ".db");
    std::shared_ptr<Conexion> cn;
    OperadorGuionado op;
    std::unique_ptr<DataServices> ds;

    void SetUp() override {
        fs::remove(archivo);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(archivo.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                  nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        AjustesConexion a;
        a.base = archivo.string();
        cn = AbrirConexion(a);
        ds = std::make_unique<DataServices>(cn, op);
        (void)ds->Ejecutar(
            "CREATE TABLE TA_CONFIGURACION (CLAVE varchar(50), VALOR varchar(255), ValorAux varchar(255), "
            "Grupo varchar(50), PoliticaNegocio bit)");
        ASSERT_TRUE(cn->Errors().empty()) << cn->Errors()[0].descripcion;
    }
    void TearDown() override {
        ds.reset();
        cn.reset();
        std::error_code ec;
        fs::remove(archivo, ec);
    }
    void Abrir(Recordset& rs, const std::string& clave) {
        ds->AbrirRecordset("SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = '" + clave + "'", rs,
                           &ds->Conexion_(), 2, 3);
    }
};

// Someone else changes the row between the read and the save: the optimistic update finds no
// row on the real engine, the save fails and the other program's value stays.
TEST_F(BaseReal, UnaFilaCambiadaEntreLaLecturaYElGuardadoEsUnaFalla) {
    ASSERT_TRUE(ds->Ejecutar("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('FECHAULTIMADEPURACION', "
                             "'31/12/2020')")
                    .Hecha());
    Recordset rs;
    Abrir(rs, "FECHAULTIMADEPURACION");
    ASSERT_EQ(rs.RecordCount(), 1);
    ASSERT_TRUE(
        ds->Ejecutar("UPDATE TA_CONFIGURACION SET VALOR = 'otro' WHERE CLAVE = 'FECHAULTIMADEPURACION'")
            .Hecha());
    rs.Poner("Valor", Value("01/01/2021"));
    EXPECT_THROW(rs.Update(), Falla);
    ds->CerrarRecordset(rs);
    EXPECT_EQ(ds->BuscarValor("TA_CONFIGURACION", "FECHAULTIMADEPURACION", "VALOR", "CLAVE").ATexto(),
              "otro");
}

}  // namespace
}  // namespace dep
