// The payment applications control: its decision table, the pending-credit batch, refusals and
// cancel.
#include "base.hpp"
#include "runtime/conversions.hpp"

namespace dep::prueba {
namespace {

class Aplicaciones : public BasePurga {
  protected:
    void SetUp() override {
        BasePurga::SetUp();
        Voucher("FC", "00000010", "01/02/2022");
        Voucher("RC", "00000020", "01/03/2022");
        Voucher("FC", "00000030", "01/05/2021");
        Voucher("RC", "00000040", "01/04/2022");
        Aplicacion(1, "FC", "00000010", "RC", "00000020");   // both late: ignored
        Aplicacion(2, "FC", "00000099", "RC", "00000098");   // both gone: deleted
        Aplicacion(3, "FC", "00000097", "RC", "00000040");   // applied gone: re-pointed
        Aplicacion(4, "FC", "00000030", "NC", "00000096");   // origin gone: re-pointed
        Aplicacion(5, "FC", "00000095", "opg", "00000094");  // origin type passed over
        Aplicacion(6, "FP", "00000093", "RC", "00000092");   // the other family
        Aplicacion(7, "FC", "00000030", "RC", "00000020");   // both present, one not late
        Sql("INSERT INTO VE_CPTES_CREDITOS_PENDIENTES (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE) VALUES "
            "('CC', '0001', '00000007', 'X', '1.3.01', 12.5), ('CC', '0001', '00000007', 'X', 'O''NEIL', 3)");
    }
    void Voucher(const std::string& tc, const std::string& numero, const std::string& fecha) {
        Sql("INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE, FECHA) "
            "VALUES "
            "('1.3.01', '" +
            tc + "', '0001', '" + numero + "', 'A', 'D', 1, '" + fecha + "')");
    }
    void Aplicacion(int id, const std::string& tc, const std::string& numero, const std::string& tco,
                    const std::string& numeroOrigen) {
        Sql("INSERT INTO MV_APLICACION (ID, CUENTA, TC, SUCURSAL, NUMERO, LETRA, IDCOMPROBANTE, TCO_ORIGEN, "
            "SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN, IDCOMPROBANTE_ORIGEN, IMPORTE) VALUES (" +
            std::to_string(id) + ", '1.3.01', '" + tc + "', '0001', '" + numero + "', 'A', '0001" + numero +
            "A', '" + tco + "', '0001', '" + numeroOrigen + "', 'A', '0001" + numeroOrigen + "A', 1)");
    }
    std::string Campo(int id, const std::string& col) {
        Value v = Uno("SELECT " + col + " FROM MV_APLICACION WHERE ID = " + std::to_string(id));
        return v.EsNulo() || v.EsVacio() ? std::string() : v.ATexto();
    }
    void Correr() { dep->ControlarAplicaciones("000100000007X", false, *ReconocerFecha("31/12/2021")); }
    const std::string id = "000100000007X";
};

TEST_F(Aplicaciones, CadaFilaDeLaTablaDeDecision) {
    Correr();
    EXPECT_TRUE(op.Mensajes().empty());
    EXPECT_EQ(Campo(1, "TC") + Campo(1, "TCO_ORIGEN"), "FCRC");
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_APLICACION WHERE ID = 2"), 0);
    EXPECT_EQ(Campo(3, "TC") + Campo(3, "SUCURSAL") + Campo(3, "NUMERO") + Campo(3, "LETRA"),
              "CC000100000007X");
    EXPECT_EQ(Campo(3, "IDCOMPROBANTE"), id);
    EXPECT_EQ(Campo(4, "TCO_ORIGEN") + Campo(4, "SUCURSAL_ORIGEN") + Campo(4, "NUMERO_ORIGEN") +
                  Campo(4, "LETRA_ORIGEN"),
              "CC000100000007X");
    EXPECT_EQ(Campo(4, "IDCOMPROBANTE_ORIGEN"), id);
    EXPECT_EQ(Campo(4, "TC"), "FC");
    // Both updates re-point every application of the voucher: 7 has applied FC 30 too.
    EXPECT_EQ(Campo(7, "TCO_ORIGEN"), "CC");
    EXPECT_EQ(Campo(5, "TC") + Campo(5, "TCO_ORIGEN"), "FCopg");
    EXPECT_EQ(Campo(6, "TC") + Campo(6, "TCO_ORIGEN"), "FPRC");
    // The pending credits applied to themselves, in one batch, quotes doubled once.
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_APLICACION WHERE IDCOMPROBANTE = '" + id +
                      "' AND IDCOMPROBANTE_ORIGEN = '" + id + "' AND TC = 'CC' AND TCO_ORIGEN = 'CC'"),
              2);
    EXPECT_DOUBLE_EQ(Uno("SELECT IMPORTE FROM MV_APLICACION WHERE CUENTA = 'O''NEIL'").ANumero(), 3);
    const auto lote = espia->Con("INSERT INTO MV_APLICACION");
    ASSERT_EQ(lote.size(), 1u);
    EXPECT_THAT(lote[0], AllOf(StartsWith("\r\n"),
                               HasSubstr("'O''NEIL','CC','0001','00000007','X','CC','0001','00000007','X',3,"
                                         "'000100000007X'"),
                               HasSubstr(",12.5,")));
    ASSERT_FALSE(host.leyendas.empty());
    EXPECT_THAT(host.leyendas.front(),
                StartsWith(" Controlando Aplicaciones: 1 DE 6 | Borrados: 0 - Modificados:0 - Ignorados:0 "));
    EXPECT_THAT(host.leyendas.back(), HasSubstr("6 DE 6 | Borrados: 1 - Modificados:2 - Ignorados:1"));
}

TEST_F(Aplicaciones, UnBorradoRechazadoSeMuestraYLaCorridaSigue) {
    espia->rechazar = [](const std::string& q) { return q.rfind("DELETE MV_APLICACION", 0) == 0; };
    Correr();
    EXPECT_EQ(op.Mensajes(), std::vector<std::string>{"Rechazo de prueba"});
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_APLICACION WHERE ID = 2"), 1);
    EXPECT_EQ(Campo(3, "TC"), "CC");
    EXPECT_THAT(host.leyendas.back(), HasSubstr("Borrados: 0 - Modificados:2"));
}

TEST_F(Aplicaciones, CancelarDejaLaFilaActualYNoInserta) {
    host.alProcesar = [](AnfitrionPrueba& h) {
        if (h.eventos == 4) h.cancelado = true;  // during the second row
    };
    Correr();
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_APLICACION WHERE ID = 2"), 1);
    EXPECT_TRUE(espia->Con("INSERT INTO MV_APLICACION").empty());
    EXPECT_TRUE(espia->Con("VE_CPTES_CREDITOS_PENDIENTES").empty());
}

TEST_F(Aplicaciones, SinAplicacionesNoEscribeNada) {
    Sql("DELETE FROM MV_APLICACION");
    Correr();
    EXPECT_TRUE(host.visible);
    EXPECT_TRUE(espia->Con("VE_CPTES_CREDITOS_PENDIENTES").empty());
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_APLICACION"), 0);
}

}  // namespace
}  // namespace dep::prueba
