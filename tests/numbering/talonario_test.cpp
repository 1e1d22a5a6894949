// The choice of the talonario that numbers the next voucher of a type.
#include <gtest/gtest.h>

#include "base.hpp"
#include "numbering/ast.hpp"

namespace dep::prueba {
namespace {

using ::testing::ElementsAre;

// The number columns of one letter.
const std::string kA = "A_ULTIMO_NRO, A_NRO_HASTA, A_SUC_DEFAULT";
const std::string kB = "B_ULTIMO_NRO, B_NRO_HASTA, B_SUC_DEFAULT";
const std::string kX = "X_ULTIMO_NRO, X_NRO_HASTA, X_SUC_DEFAULT";

class Talonarios : public BaseNumeracion {
  protected:
    struct Pedido {
        std::string suc = {}, num = "77", let = {};
        bool mod = true;
        std::string hasta = "99999999";
        bool operator==(const Pedido&) const = default;
        friend std::ostream& operator<<(std::ostream& o, const Pedido& p) {
            return o << p.suc << "|" << p.num << "|" << p.let << "|" << p.mod << "|" << p.hasta;
        }
    };
    void Pedir(const std::string& tc, Pedido& p, const std::string& fecha = "", const std::string& un = "") {
        Obtener_Nro_Comprobante_Contable(*s, tc, p.suc, p.num, p.let, p.mod, fecha, un, p.hasta);
        EXPECT_EQ(numeracion::ConjuntosAbiertos(), 0);
    }
    std::vector<std::string> Consultas() const { return espia->Con("V_TA_CPTE"); }
};

TEST_F(Talonarios, SinTalonarioDaUnoUnoX) {
    Talonario("OTRO", 1, "A", kA, "5, 10, 1");
    Pedido p{.suc = "0003", .num = "00000009", .let = "B", .mod = false, .hasta = "00000050"};
    Pedir("CC", p);
    EXPECT_EQ(p, (Pedido{"1", "1", "X", false, "00000050"}));  // mod and hasta left as they came
    EXPECT_TRUE(op.llamadas.empty());
}

TEST_F(Talonarios, ElPrimeroLlenoYElSegundoConLugar) {
    Talonario("CC", 1, "A", kA, "100, 100, 1");
    Talonario("CC", 2, "A", kA, "17, 500, 2", "", "N");
    Pedido p{.let = "A"};
    Pedir("CC", p);
    EXPECT_EQ(p, (Pedido{"0002", "00000017", "A", false, "00000500"}));
    EXPECT_TRUE(op.Mensajes().empty());
    EXPECT_THAT(Consultas(), ElementsAre("SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' ORDER BY TALONARIO"));
}

TEST_F(Talonarios, TodosLlenosAvisaYDejaLoQueVino) {
    Talonario("CC", 1, " B ", kB, "100, 100, 1");
    Talonario("CC", 2, "A", kA, "20, 20, 2");
    Pedido p{.suc = "0009", .num = "00000042", .let = "C", .mod = false, .hasta = "00000099"};
    Pedir("CC ", p);
    ASSERT_EQ(op.Mensajes().size(), 1u);
    EXPECT_EQ(op.Mensajes()[0],
              "Todos los talonarios del comprobante CC  se encuentran utilizados, debe dar de alta un nuevo "
              "talonario para el comprobante CC ");
    const auto m = op.DeTipo(OperadorGuionado::Tipo::Mensaje)[0];
    EXPECT_EQ(m.botones, vb::kSoloAceptar);
    EXPECT_EQ(m.titulo, "");
    // The letter fit took " " from " B " on the first row, which became "X" and then the "A" of the second.
    EXPECT_EQ(p, (Pedido{"0009", "00000042", "A", false, "00000099"}));
}

TEST_F(Talonarios, UltimoNumeroCeroDaElUno) {
    Talonario("CC", 1, "X", kX, "0, 10, 4");
    Pedido p;
    Pedir("CC", p);
    EXPECT_EQ(p, (Pedido{"0004", "00000001", "X", true, "00000010"}));  // an empty letter is X
}

TEST_F(Talonarios, LetraConEstrellaFiltraPorLetra) {
    Talonario("CC", 1, "AC", kA, "3, 10, 1");
    Talonario("CC", 2, "AB", kB, "8, 10, 2");
    Pedido p{.let = "*B"};
    Pedir("CC", p);
    EXPECT_EQ(p.let, "B");
    EXPECT_EQ(p.num, "00000008");
    EXPECT_EQ(p.suc, "0002");
    EXPECT_THAT(
        Consultas(),
        ElementsAre(
            "SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' AND (LETRAs LIKE('%B%'))  ORDER BY TALONARIO"));
}

TEST_F(Talonarios, SucursalConEstrellaFiltraOSeDescarta) {
    Talonario("CC", 1, "A", kA, "3, 10, 1");
    Talonario("CC", 2, "A", kA, "8, 10, 2");
    Pedido p{.suc = "*0002", .let = "A"};
    Pedir("CC", p);
    EXPECT_EQ(p.suc, "0002");
    EXPECT_EQ(p.num, "00000008");
    EXPECT_THAT(
        Consultas(),
        ElementsAre(
            "SELECT * FROM V_TA_CPTE  WHERE CODIGO = 'CC'  AND A_SUC_DEFAULT = '0002'",
            "SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' AND A_SUC_DEFAULT = '0002' ORDER BY TALONARIO"));

    // No talonario of branch 0005: the filter is dropped and the first talonario is taken.
    Olvidar();
    Pedido q{.suc = "*0005", .let = "A"};
    Pedir("CC", q);
    EXPECT_EQ(q.suc, "0001");
    EXPECT_EQ(q.num, "00000003");
    ASSERT_EQ(Consultas().size(), 2u);
    EXPECT_EQ(Consultas()[1], "SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' ORDER BY TALONARIO");
}

TEST_F(Talonarios, ConAmbasEstrellasSoloFiltraLaSucursal) {
    Talonario("CC", 1, "A", kA, "3, 10, 2");
    Pedido p{.suc = "*0002", .let = "*B"};
    Pedir("CC", p);
    ASSERT_EQ(Consultas().size(), 2u);
    EXPECT_EQ(Consultas()[1],
              "SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' AND A_SUC_DEFAULT = '0002' ORDER BY TALONARIO");
    EXPECT_EQ(p.let, "A");  // B is not among the talonario's letters
    EXPECT_EQ(p.num, "00000003");
}

TEST_F(Talonarios, ComillasEnLosFiltrosSeDoblanUnaVez) {
    Talonario("CC", 1, "A", kA, "3, 10, 1");
    Pedido p{.let = "*B'"};
    Pedir("CC", p);
    ASSERT_EQ(Consultas().size(), 1u);
    EXPECT_NE(Consultas()[0].find("LIKE('%B''%')"), std::string::npos) << Consultas()[0];
    Olvidar();
    Pedido q{.suc = "*0'2", .let = "A"};
    Pedir("CC", q);
    ASSERT_EQ(Consultas().size(), 2u);
    EXPECT_NE(Consultas()[0].find("A_SUC_DEFAULT = '0''2'"), std::string::npos) << Consultas()[0];
    EXPECT_EQ(q.num, "00000003");  // no talonario of that branch: the filter is dropped
    EXPECT_TRUE(Rutinas().empty());
}

TEST_F(Talonarios, UnidadDeNegocioConSusTalonariosYSinEllos) {
    Talonario("CC", 1, "A", kA, "3, 10, 1", "U2");
    Talonario("CC", 2, "A", kA, "5, 10, 2", "U1");
    Pedido p{.let = "A"};
    Pedir("CC", p, "", "U1");
    EXPECT_EQ(p.suc, "0002");
    EXPECT_THAT(Consultas(), ElementsAre("SELECT * FROM V_TA_CPTE WHERE  CODIGO = 'CC' AND (UNEGOCIO = 'U1' "
                                         "OR (UNEGOCIO = '' OR UNEGOCIO is null) )   ORDER BY TALONARIO"));

    // A unit with no talonario of its own nor of every unit: all talonarios of the code again.
    Olvidar();
    Pedido q{.let = "A"};
    Pedir("CC", q, "", "U9");
    EXPECT_EQ(q.suc, "0001");
    ASSERT_EQ(Consultas().size(), 2u);
    EXPECT_EQ(Consultas()[1], "SELECT * FROM V_TA_CPTE  WHERE CODIGO = 'CC' ORDER BY TALONARIO");
}

TEST_F(Talonarios, UnidadConComillaSeDoblaUnaSolaVez) {
    Talonario("CC", 1, "A", kA, "3, 10, 1", "D''A");
    Talonario("CC", 2, "A", kA, "3, 10, 2", "OTRA");
    Pedido p{.let = "A"};
    Pedir("CC", p, "", "D'A");
    EXPECT_EQ(p.suc, "0001");
    ASSERT_EQ(Consultas().size(), 1u);
    EXPECT_NE(Consultas()[0].find("UNEGOCIO = 'D''A' OR"), std::string::npos) << Consultas()[0];
    EXPECT_TRUE(Rutinas().empty());
}

TEST_F(Talonarios, SucursalDelTalonarioSoloCuentaParaFcOtPr) {
    for (const char* tc : {"FC", "OT", "PR", "CC"}) {
        Talonario(tc, 1, "A", kA, "3, 10, 1");
        Talonario(tc, 2, "A", kA, "8, 10, 2");
    }
    for (const char* tc : {"FC", "OT", "PR"}) {
        Pedido p{.suc = "2", .let = "A"};
        Pedir(tc, p);
        EXPECT_EQ(p.suc, "0002") << tc;
        EXPECT_EQ(p.num, "00000008") << tc;
    }
    Pedido p{.suc = "2", .let = "A"};
    Pedir("CC", p);
    EXPECT_EQ(p.suc, "0001");
    EXPECT_EQ(p.num, "00000003");
}

TEST_F(Talonarios, OtConservaSuLetra) {
    Talonario("OT", 1, "A", kA + ", " + kB, "3, 10, 1, 6, 10, 1");
    Talonario("CC", 1, "A", kA + ", " + kB, "3, 10, 1, 6, 10, 1");
    Pedido ot{.suc = "1", .let = "B"};
    Pedir("OT", ot);
    EXPECT_EQ(ot.let, "B");
    EXPECT_EQ(ot.num, "00000006");
    Pedido cc{.let = "B"};
    Pedir("CC", cc);
    EXPECT_EQ(cc.let, "A");
    EXPECT_EQ(cc.num, "00000003");
}

TEST_F(Talonarios, VencimientoComparadoComoTexto) {
    Talonario("CC", 1, "A", kA + ", VenceA", "3, 10, 1, '2020-06-30'");
    Talonario("CC", 2, "A", kA + ", VenceA", "5, 10, 2, '2021-12-31'");
    Pedido vencido{.let = "A"};
    Pedir("CC", vencido, "2020-07-01");
    EXPECT_EQ(vencido.suc, "0002");
    EXPECT_TRUE(op.Mensajes().empty());  // an expired talonario is not a full one
    Pedido sinFecha{.let = "A"};
    Pedir("CC", sinFecha, "");
    EXPECT_EQ(sinFecha.suc, "0001");
    Pedido todos{.let = "A", .mod = false};
    Pedir("CC", todos, "2022-01-01");
    EXPECT_EQ(todos.num, "77");
    EXPECT_TRUE(op.Mensajes().empty());
}

TEST_F(Talonarios, ValoresPorDefectoDelOperador) {
    Sql("INSERT INTO TA_Usuarios (Nombre, sucot, letot) VALUES ('', '0002', 'B')");
    Talonario("FC", 1, "AB", kB, "3, 10, 1");
    Talonario("FC", 2, "AB", kB, "8, 10, 2");
    Pedido p{.suc = " ", .let = ""};
    Pedir("FC", p);
    EXPECT_EQ(p.suc, "0002");
    EXPECT_EQ(p.let, "B");
    EXPECT_EQ(p.num, "00000008");
    EXPECT_EQ(espia->Con("TA_Usuarios").size(), 1u);
    // A type outside OT, FC, NC and ND does not ask for the user.
    Olvidar();
    Talonario("CC", 1, "A", kA, "3, 10, 1");
    Pedido q;
    Pedir("CC", q);
    EXPECT_TRUE(espia->Con("TA_Usuarios").empty());
}

TEST_F(Talonarios, LetraSinColumnasVaAErrorRutina) {
    Talonario("CC", 1, "Q", "", "");
    Pedido p{.suc = "0001", .num = "55", .let = "Q"};
    op.respuestasRutina = {vb::kAbortar};
    Pedir("CC", p);
    ASSERT_EQ(op.DeTipo(OperadorGuionado::Tipo::ErrorRutina).size(), 1u);
    const auto e = op.DeTipo(OperadorGuionado::Tipo::ErrorRutina)[0];
    EXPECT_EQ(e.rutina, "Obtener_Nro_Comprobante_Contable");
    EXPECT_NE(e.descripcion.find("Q_ULTIMO_NRO"), std::string::npos) << e.descripcion;
    EXPECT_THAT(op.abiertosAlPreguntar, ElementsAre(1));  // held while asking, released on leaving
    EXPECT_EQ(p.num, "55");                               // left with the outputs as they stood
    EXPECT_EQ(p.let, "Q");
    EXPECT_TRUE(op.Mensajes().empty());
}

TEST_F(Talonarios, ReintentarYSeguirEnLaConsulta) {
    Talonario("CC", 1, "A", kA, "3, 10, 1");
    espia->Rechazar("ORDER BY TALONARIO", 1);
    op.respuestasRutina = {vb::kReintentar};
    Pedido p{.let = "A"};
    Pedir("CC", p);
    EXPECT_THAT(Rutinas(), ElementsAre("Obtener_Nro_Comprobante_Contable"));
    EXPECT_EQ(Consultas().size(), 2u);  // the refused statement ran again
    EXPECT_EQ(p.num, "00000003");

    // Ignoring a refused query goes on without rows: nothing is chosen and nothing crashes.
    Olvidar();
    espia->Rechazar("ORDER BY TALONARIO");
    op.defectoRutina = vb::kIgnorar;
    Pedido q{.suc = "0007", .let = "A"};
    Pedir("CC", q);
    EXPECT_FALSE(Rutinas().empty());
    EXPECT_EQ(q.suc, "0007");
    EXPECT_EQ(q.num, "77");
}

}  // namespace
}  // namespace dep::prueba
