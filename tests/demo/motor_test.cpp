// The schema as the embedded engine uses it: the stock procedure really purges what it should
// with the date as the program sends it.
#include <gtest/gtest.h>

#include <string>

#include "ayuda_bd.hpp"
#include "demo/demo.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/motores.hpp"

namespace dep {
namespace {

using CarpetaTemporal = prueba::Carpeta;
using prueba::Lector;

class Motor : public ::testing::Test {
  protected:
    void SetUp() override {
        ruta_ = dir_ / "demo.db";
        OpcionesDemo o;
        o.asientos = 3000;
        GenerarDemo(ruta_, o);
    }
    std::shared_ptr<Conexion> Abrir() {
        AjustesConexion a;
        a.base = ruta_;
        return AbrirSqlite(a);
    }
    CarpetaTemporal dir_;
    std::string ruta_;
};

TEST_F(Motor, DepuraStockBorraHastaLaFechaInclusiveYLosDetalles) {
    // The date arrives as the operator typed it and means its midnight, as on the server.
    const std::string corte = "'2022-06-30 00:00:00'";
    long long despues = 0, antes = 0;
    {
        Lector l(ruta_);
        l.Ejecutar(
            "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, FECHA) VALUES ('AJP', '000900000001X', '2022-06-30 "
            "00:00:00'), ('AJP', '000900000002X', '2022-06-30 10:30:00')");
        for (const char* t : {"V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE"}) {
            antes += l.Numero(std::string("SELECT count(*) FROM ") + t + " WHERE FECHA <= " + corte);
            despues += l.Numero(std::string("SELECT count(*) FROM ") + t + " WHERE FECHA > " + corte);
        }
        ASSERT_GT(antes, 0);
        ASSERT_GT(despues, 0);
    }
    auto cn = Abrir();
    cn->Execute("EXEC KS_DEPURA_STOCK '30/06/2022'");
    EXPECT_TRUE(cn->Errors().empty()) << "silent procedure";
    cn.reset();
    Lector l(ruta_);
    long long quedan = 0;
    for (const char* t : {"V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE"}) {
        EXPECT_EQ(l.Numero(std::string("SELECT count(*) FROM ") + t + " WHERE FECHA <= " + corte), 0) << t;
        quedan += l.Numero(std::string("SELECT count(*) FROM ") + t);
    }
    EXPECT_EQ(quedan, despues);
    EXPECT_EQ(l.Valor("SELECT group_concat(IDCOMPROBANTE) FROM V_MV_STOCK WHERE IDCOMPROBANTE LIKE '0009%'"),
              "000900000002X");
    for (const char* par :
         {"V_MV_STOCK_ITEMS|V_MV_STOCK", "V_MV_CPTE_ITEMS|V_MV_CPTE", "C_MV_CPTE_ITEMS|C_MV_CPTE"}) {
        std::string p = par, det = p.substr(0, p.find('|')), cab = p.substr(p.find('|') + 1);
        EXPECT_EQ(l.Numero("SELECT count(*) FROM " + det + " D WHERE NOT EXISTS (SELECT 1 FROM " + cab +
                           " C WHERE C.TC = D.TC AND C.IDCOMPROBANTE = D.IDCOMPROBANTE)"),
                  0)
            << det;
        EXPECT_GT(l.Numero("SELECT count(*) FROM " + det), 0) << det;
    }
    // Entries are not the procedure's business.
    EXPECT_EQ(l.Numero("SELECT count(*) FROM MV_ASIENTOS"), 3000);
}

}  // namespace
}  // namespace dep
