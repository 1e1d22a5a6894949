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

// What the routine is asked for and what it leaves in its outputs.
struct Pedido {
    std::string suc = {}, num = "77", let = {};
    bool mod = true;
    std::string hasta = "99999999";
    bool operator==(const Pedido&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const Pedido& p) {
        return o << p.suc << "|" << p.num << "|" << p.let << "|" << p.mod << "|" << p.hasta;
    }
};
// The first of two talonarios of branches 1 and 2 proposing 3 and 8, and the second.
const Pedido kPrimero{"0001", "00000003", "A", true, "00000010"};
const Pedido kSegundo{"0002", "00000008", "A", true, "00000010"};
const std::string kTodas = "SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' ORDER BY TALONARIO";

class Talonarios : public BaseNumeracion {
  protected:
    void Pedir(const std::string& tc, Pedido& p, const std::string& fecha = "", const std::string& un = "") {
        Obtener_Nro_Comprobante_Contable(*s, tc, p.suc, p.num, p.let, p.mod, fecha, un, p.hasta);
        EXPECT_EQ(numeracion::ConjuntosAbiertos(), 0);
    }
    // Asks with `p` and expects `esperado` back, every query of V_TA_CPTE in `consultas` (not
    // checked when empty), no message and no error; forgets what was recorded afterwards.
    void Elegir(const std::string& tc, Pedido p, const Pedido& esperado,
                const std::vector<std::string>& consultas = {}, const std::string& un = "",
                const std::string& fecha = "") {
        SCOPED_TRACE(tc + " " + p.suc + " " + p.let + " " + un + " " + fecha);
        Pedir(tc, p, fecha, un);
        EXPECT_EQ(p, esperado);
        if (!consultas.empty()) {
            EXPECT_EQ(Consultas(), consultas);
        }
        EXPECT_TRUE(op.llamadas.empty());
        Olvidar();
    }
    std::vector<std::string> Consultas() const { return espia->Con("V_TA_CPTE"); }
    void DosTalonarios(const std::string& tc) {
        Talonario(tc, 1, "A", kA, "3, 10, 1");
        Talonario(tc, 2, "A", kA, "8, 10, 2");
    }
};

TEST_F(Talonarios, SinTalonarioDaUnoUnoXYElPrimeroConLugar) {
    // mod and hasta left as they came
    Talonario("OTRO", 1, "A", kA, "5, 10, 1");
    Elegir("CC", {"0003", "00000009", "B", false, "00000050"}, {"1", "1", "X", false, "00000050"});
    Talonario("CC", 1, "A", kA, "100, 100, 1");
    Talonario("CC", 2, "A", kA, "17, 500, 2", "", "N");
    Elegir("CC", {.let = "A"}, {"0002", "00000017", "A", false, "00000500"}, {kTodas});
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
    Elegir("CC", {}, {"0004", "00000001", "X", true, "00000010"});  // an empty letter is X
}

TEST_F(Talonarios, LetraConEstrellaFiltraPorLetra) {
    Talonario("CC", 1, "AC", kA, "3, 10, 1");
    Talonario("CC", 2, "AB", kB, "8, 10, 2");
    Elegir("CC", {.let = "*B"}, {"0002", "00000008", "B", true, "00000010"},
           {"SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' AND (LETRAs LIKE('%B%'))  ORDER BY TALONARIO"});
}

TEST_F(Talonarios, SucursalConEstrellaFiltraOSeDescarta) {
    DosTalonarios("CC");
    const std::string filtrada = "SELECT * FROM V_TA_CPTE  WHERE CODIGO = 'CC'  AND A_SUC_DEFAULT = ";
    const std::string de2 =
        "SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' AND A_SUC_DEFAULT = '0002' ORDER BY TALONARIO";
    Elegir("CC", {.suc = "*0002", .let = "A"}, kSegundo, {filtrada + "'0002'", de2});
    // No talonario of branch 0005: the filter is dropped and the first talonario is taken.
    Elegir("CC", {.suc = "*0005", .let = "A"}, kPrimero, {filtrada + "'0005'", kTodas});
    // Quotes in the filters are doubled once.
    Elegir("CC", {.suc = "*0'2", .let = "A"}, kPrimero, {filtrada + "'0''2'", kTodas});
    Elegir("CC", {.let = "*B'"}, {"1", "1", "X", true, "99999999"},
           {"SELECT * FROM V_TA_CPTE   WHERE CODIGO = 'CC' AND (LETRAs LIKE('%B''%'))  ORDER BY TALONARIO"});
    // With both stars only the branch filters: B is not among the talonario's letters.
    Elegir("CC", {.suc = "*0002", .let = "*B"}, kSegundo, {filtrada + "'0002'", de2});
}

TEST_F(Talonarios, UnidadDeNegocioConSusTalonariosYSinEllos) {
    Talonario("CC", 1, "A", kA, "3, 10, 1", "U2");
    Talonario("CC", 2, "A", kA, "8, 10, 2", "U1");
    Talonario("CC", 3, "A", kA, "3, 10, 3", "D''A");
    const std::string de = "SELECT * FROM V_TA_CPTE WHERE  CODIGO = 'CC' AND (UNEGOCIO = ";
    const std::string y = " OR (UNEGOCIO = '' OR UNEGOCIO is null) )   ORDER BY TALONARIO";
    Elegir("CC", {.let = "A"}, kSegundo, {de + "'U1'" + y}, "U1");
    // A unit with no talonario of its own nor of every unit: all talonarios of the code again.
    Elegir("CC", {.let = "A"}, kPrimero,
           {de + "'U9'" + y, "SELECT * FROM V_TA_CPTE  WHERE CODIGO = 'CC' ORDER BY TALONARIO"}, "U9");
    Elegir("CC", {.let = "A"}, {"0003", "00000003", "A", true, "00000010"}, {de + "'D''A'" + y}, "D'A");
}

TEST_F(Talonarios, SucursalDelTalonarioSoloCuentaParaFcOtPr) {
    for (const char* tc : {"FC", "OT", "PR", "CC"}) DosTalonarios(tc);
    for (const char* tc : {"FC", "OT", "PR"}) Elegir(tc, {.suc = "2", .let = "A"}, kSegundo);
    Elegir("CC", {.suc = "2", .let = "A"}, kPrimero);
}

TEST_F(Talonarios, OtConservaSuLetra) {
    Talonario("OT", 1, "A", kA + ", " + kB, "3, 10, 1, 6, 10, 1");
    Talonario("CC", 1, "A", kA + ", " + kB, "3, 10, 1, 6, 10, 1");
    Elegir("OT", {.suc = "1", .let = "B"}, {"0001", "00000006", "B", true, "00000010"});
    Elegir("CC", {.let = "B"}, kPrimero);
}

TEST_F(Talonarios, VencimientoComparadoComoTexto) {
    Talonario("CC", 1, "A", kA + ", VenceA", "3, 10, 1, '2020-06-30'");
    Talonario("CC", 2, "A", kA + ", VenceA", "5, 10, 2, '2021-12-31'");
    // An expired talonario is not a full one: no message.
    Elegir("CC", {.let = "A"}, {"0002", "00000005", "A", true, "00000010"}, {}, "", "2020-07-01");
    Elegir("CC", {.let = "A"}, kPrimero);
    Elegir("CC", {.let = "A", .mod = false}, {"", "77", "A", false, "99999999"}, {}, "", "2022-01-01");
}

TEST_F(Talonarios, ValoresPorDefectoDelOperador) {
    Sql("INSERT INTO TA_Usuarios (Nombre, sucot, letot) VALUES ('', '0002', 'B')");
    Talonario("FC", 1, "AB", kB, "3, 10, 1");
    Talonario("FC", 2, "AB", kB, "8, 10, 2");
    Pedido p{.suc = " ", .let = ""};
    Pedir("FC", p);
    EXPECT_EQ(p, (Pedido{"0002", "00000008", "B", true, "00000010"}));
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
    EXPECT_EQ(p, (Pedido{"0001", "55", "Q"}));            // left with the outputs as they stood
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
    EXPECT_EQ(q, (Pedido{"0007", "77", "A"}));
}

}  // namespace
}  // namespace dep::prueba
