// A whole purge run through the ODBC engine: the program's own statements (grouping queries,
// merge batches, trigger switching, the stored procedure, the configuration write) go through
// real ODBC calls to a demo database, and leave it as the embedded engine leaves a copy of it.
#ifdef DEP_HAS_ODBC
#include <gtest/gtest.h>

#include <filesystem>

#include "common/configuracion.hpp"
#include "demo/demo.hpp"
#include "numbering/ast.hpp"
#include "purge/depuracion.hpp"
#include "runtime/motores.hpp"
#include "runtime/operador_guionado.hpp"
#include "tests/apoyo/proceso.hpp"
#include "tests/purge/anfitrion_prueba.hpp"
#include "tests/runtime/odbc_base.hpp"
#include "tests/runtime/odbc_sqlite_puente.hpp"

namespace dep::odbc::prueba {
namespace {

// Runs every purge up to 31/12/2022 on `cn` and hands back what the operator saw.
void CorrerPurgas(std::shared_ptr<Conexion> cn, OperadorGuionado& op, dep::prueba::AnfitrionPrueba& host) {
    UsuarioSuite().clear();
    TablaConfig().clear();
    DataServices datos(cn, op);
    FormServices formularios(op);
    LookupServices consultas(op);
    Servicios s{datos, formularios, consultas, op};
    Depuracion d(s, host);
    d.FijarReloj([] { return Fecha::DesdeYMD(2024, 5, 1, 10, 0, 0); });
    host.fecha = "31/12/2022";
    d.Depurar();
}

Resultado Estado(Conexion& cn) {
    Resultado r = cn.Consultar(
        "SELECT CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], IMPORTE, FECHA, PERIODO, "
        "MES_OPERATIVO, [NUMERO ASIENTO], DETALLE FROM MV_ASIENTOS ORDER BY TC, SUCURSAL, NUMERO, LETRA, "
        "SECUENCIA, CUENTA, [DEBE-HABER], IMPORTE");
    for (const char* t : {"V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE", "AUX_TMP", "MV_ASIENTOS_AUDITORIA"}) {
        const Resultado n = cn.Consultar(std::string("SELECT COUNT(*) FROM ") + t);
        r.filas.push_back({Value(t), n.filas.at(0).at(0)});
    }
    r.filas.push_back(
        cn.Consultar("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'").filas.at(0));
    return r;
}

TEST(OdbcPurga, LaCorridaPorOdbcDejaLaBaseComoElMotorEmbebido) {
    if (const std::string no = PorQueNoHayDriver(kDriverSqlite); !no.empty()) GTEST_SKIP() << no;
    const dep::prueba::Carpeta carpeta("dep_odbc_purga");
    const dep::prueba::VariableEntorno temp{"TEMP", carpeta.Ruta()};
    const std::string embebida = carpeta / "embebida.db", porOdbc = carpeta / "odbc.db";
    OpcionesDemo o;
    o.asientos = 300;
    o.semilla = 3;
    GenerarDemo(embebida, o);
    std::filesystem::copy_file(embebida, porOdbc);

    AjustesConexion a;
    a.base = embebida;
    std::shared_ptr<Conexion> sqlite = AbrirSqlite(a);
    OperadorGuionado op1;
    dep::prueba::AnfitrionPrueba host1;
    CorrerPurgas(sqlite, op1, host1);

    OpcionesOdbc oo;
    // No waiting for the disk at each of the many commits: the file is thrown away afterwards.
    oo.cadena = std::string("Driver={") + kDriverSqlite + "};Database=" + porOdbc + ";SyncPragma=OFF";
    oo.traducir = TraduccionSqlite();
    std::shared_ptr<Conexion> odbc = std::make_shared<ConexionOdbc>(oo);
    OperadorGuionado op2;
    dep::prueba::AnfitrionPrueba host2;
    CorrerPurgas(odbc, op2, host2);

    EXPECT_FALSE(host2.hayError);
    EXPECT_EQ(op2.llamadas.size(), op1.llamadas.size());
    for (const auto& l : op2.llamadas) ADD_FAILURE() << "el operador vio: " << l.texto;
    EXPECT_EQ(host2.leyendas, host1.leyendas);
    const Resultado e1 = Estado(*sqlite), e2 = Estado(*odbc);
    EXPECT_GT(e1.filas.size(), 10u);
    ASSERT_EQ(e2.filas.size(), e1.filas.size());
    // Compared as text: the driver types a value by its column's declared type (an amount in a
    // REAL column is a double), the embedded engine by how SQLite stored it.
    auto texto = [](const std::vector<Value>& f) {
        std::string t;
        for (const Value& v : f) t += (v.EsNulo() ? std::string("NULL") : v.ATexto()) + "|";
        return t;
    };
    for (size_t i = 0; i < e1.filas.size(); ++i)
        ASSERT_EQ(texto(e2.filas[i]), texto(e1.filas[i])) << "fila " << i;
}

}  // namespace
}  // namespace dep::odbc::prueba
#endif
