// An updatable record set over the embedded engine on a real database file.
#include "runtime/data_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "tests/runtime/sqlite_apoyo.hpp"

namespace dep {
namespace {

// Someone else changes the row between the read and the save: the optimistic update finds no
// row on the real engine, the save fails and the other program's value stays.
TEST(BaseReal, UnaFilaCambiadaEntreLaLecturaYElGuardadoEsUnaFalla) {
    prueba::BaseTemporal b(
        "CREATE TABLE TA_CONFIGURACION (CLAVE varchar(50), VALOR varchar(255), ValorAux varchar(255), Grupo "
        "varchar(50), PoliticaNegocio bit); INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
        "('FECHAULTIMADEPURACION', '31/12/2020');");
    OperadorGuionado op;
    DataServices ds(b.Abrir(), op);
    Recordset rs;
    ds.AbrirRecordset("SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'FECHAULTIMADEPURACION'",
                      rs, &ds.Conexion_(), 2, 3);
    ASSERT_EQ(rs.RecordCount(), 1);
    ASSERT_TRUE(
        ds.Ejecutar("UPDATE TA_CONFIGURACION SET VALOR = 'otro' WHERE CLAVE = 'FECHAULTIMADEPURACION'")
            .Hecha());
    rs.Poner("Valor", Value("01/01/2021"));
    EXPECT_THROW(rs.Update(), Falla);
    ds.CerrarRecordset(rs);
    EXPECT_EQ(ds.BuscarValor("TA_CONFIGURACION", "FECHAULTIMADEPURACION", "VALOR", "CLAVE").ATexto(), "otro");
}

}  // namespace
}  // namespace dep
