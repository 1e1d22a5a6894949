// The number of a new voucher, checked by type against the tables where its vouchers are recorded.
#include <gtest/gtest.h>

#include "base.hpp"
#include "common/clave_comprobante.hpp"
#include "numbering/ast.hpp"

namespace dep::prueba {
namespace {

using ::testing::ElementsAre;

class Comprobantes : public BaseNumeracion {
  protected:
    struct Pedido {
        std::string suc, num, let;
        bool mod = false;
        bool operator==(const Pedido&) const = default;
        friend std::ostream& operator<<(std::ostream& o, const Pedido& p) {
            return o << p.suc << "|" << p.num << "|" << p.let << "|" << p.mod;
        }
    };
    // A talonario of `tc` proposing branch 0001, number `ultimo` and letter X.
    void TalonarioX(const std::string& tc, int ultimo) {
        Talonario(tc, 1, "X", "X_ULTIMO_NRO, X_NRO_HASTA, X_SUC_DEFAULT",
                  std::to_string(ultimo) + ", 99999999, 1");
    }
    Pedido Pedir(const std::string& tc, bool controlar = true) {
        Pedido p;
        Obtener_Nro_Comprobante(*s, tc, p.suc, p.num, p.let, p.mod, controlar, "31/12/2020", "");
        EXPECT_EQ(numeracion::ConjuntosAbiertos(), 0);
        return p;
    }
    void Asiento(const std::string& tc, const std::string& suc, const std::string& num,
                 const std::string& let, int mes = 1, int nro = 1, const std::string& cuenta = "1.1") {
        Sql("INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], FECHA, "
            "MES_OPERATIVO, [NUMERO ASIENTO]) VALUES ('" +
            cuenta + "', '" + tc + "', '" + suc + "', '" + num + "', '" + let +
            "', 'D', '2020-01-01 00:00:00', " + std::to_string(mes) + ", " + std::to_string(nro) + ")");
    }
    void PorId(const std::string& tabla, const std::string& tc, const std::string& id) {
        const ClaveComprobante k = ClaveComprobante::Leer(id);
        Sql("INSERT INTO " + tabla + " (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA, FECHA) VALUES ('" + tc +
            "', '" + id + "', '" + k.sucursal + "', '" + k.numero + "', '" + k.letra +
            "', '2020-01-01 00:00:00')");
    }
    void Control(const std::string& tc, const std::string& num) {
        Sql("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('" + tc + "', '0001', '" +
            num + "', 'X')");
    }
    long long Cuantos(const std::string& sql) { return Uno(sql).AEntero(); }
};

TEST_F(Comprobantes, TipoVacioNoCambiaNiLeeNadaYSinControlEsLaPropuesta) {
    Pedido p{"0003", "00000009", "B", true};
    Obtener_Nro_Comprobante(*s, "", p.suc, p.num, p.let, p.mod, true, "", "");
    EXPECT_EQ(p, (Pedido{"0003", "00000009", "B", true}));
    EXPECT_TRUE(espia->sentencias.empty());
    // Unchecked, the talonario's proposal stands.
    TalonarioX("CC", 41);
    Asiento("CC", "0001", "00000041", "X");
    EXPECT_EQ(Pedir("CC", false), (Pedido{"0001", "00000041", "X", true}));
    EXPECT_TRUE(espia->Con("MV_ASIENTOS").empty());
    EXPECT_TRUE(espia->Con("V_MV_CTROL_CPTE").empty());
}

TEST_F(Comprobantes, RedireccionNumUsaOtroTalonarioPeroControlaElTipoPedido) {
    Sql("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NUM_ZZ', ' CC ')");
    TalonarioX("CC", 41);
    TalonarioX("ZZ", 7);
    Control("ZZ", "00000041");
    Control("CC", "00000041");
    EXPECT_EQ(Obtener_TC_Numeracion(*s, " ZZ "), "CC");
    EXPECT_EQ(Obtener_TC_Numeracion(*s, "YY"), "YY");
    Olvidar();
    EXPECT_EQ(Pedir("ZZ").num, "00000041");
    EXPECT_EQ(espia->Con("CODIGO = 'CC'").size(), 1u);
    EXPECT_TRUE(espia->Con("CODIGO = 'ZZ'").empty());
    EXPECT_THAT(espia->Con("DELETE"), ElementsAre("DELETE V_MV_CTROL_CPTE WHERE TC = 'ZZ' AND SUCURSAL = "
                                                  "'0001' AND NUMERO = '00000041' AND LETRA = 'X'"));
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM V_MV_CTROL_CPTE WHERE TC = 'ZZ'"), 0);
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM V_MV_CTROL_CPTE WHERE TC = 'CC'"), 1);
}

TEST_F(Comprobantes, ViajesPasanElMayorRegistrado) {
    TalonarioX("VJ", 41);
    PorId("MV_VIAJES", "VJ", "000100000012X");
    EXPECT_EQ(Pedir("VJ").num, "00000041");  // the proposed key is not recorded

    PorId("MV_VIAJES", "VJ", "000100000041X");
    PorId("MV_VIAJES", "VJ", "000200000090X");  // other branch
    PorId("MV_VIAJES", "VJ", "000100000095A");  // other letter
    Olvidar();
    EXPECT_EQ(Pedir("VJ").num, "00000042");
    EXPECT_THAT(
        espia->Con("MV_VIAJES"),
        ElementsAre(
            "SELECT * From MV_VIAJES  with(nolock)  WHERE TC = 'VJ' AND IDCOMPROBANTE = '000100000041X'",
            "SELECT MAX(idcomprobante) AS ULTIMO From MV_VIAJES WHERE TC = 'VJ' AND "
            "SUBSTRING(IDCOMPROBANTE,1,4)= '0001' AND SUBSTRING(IDCOMPROBANTE,13,1) = 'X'"));
    EXPECT_TRUE(espia->Con("MV_ASIENTOS").empty());
    EXPECT_TRUE(espia->Con("DELETE").empty());
}

TEST_F(Comprobantes, TiposDeStock) {
    for (const char* tc : {"AJP", "AJN", "VS", "IR"}) {
        TalonarioX(tc, 20);
        PorId("V_MV_STOCK", tc, "000100000020X");
        PorId("V_MV_STOCK", tc, "000100000033X");
        EXPECT_EQ(Pedir(tc).num, "00000034") << tc;
    }
    // The list is matched without regard to case; a key not recorded stands.
    Sql("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 50 WHERE CODIGO = 'AJP'");
    Olvidar();
    EXPECT_EQ(Pedir("ajp").num, "00000050");
    EXPECT_EQ(espia->Con("V_MV_STOCK").size(), 1u);
    EXPECT_TRUE(espia->Con("MV_ASIENTOS").empty());
    EXPECT_TRUE(espia->Con("DELETE").empty());
}

TEST_F(Comprobantes, EnAsientosSeRenumeraPorSucursalYLetra) {
    TalonarioX("CC", 5);
    Asiento("CC", "0001", "00000005", "X");
    Asiento("CC", "0001", "00000017", "X");
    Asiento("CC", "0002", "00000090", "X");
    Asiento("CC", "0001", "00000050", "A");
    EXPECT_EQ(Pedir("CC").num, "00000018");
    EXPECT_THAT(espia->Con("MAX(NUMERO)"),
                ElementsAre("SELECT MAX(NUMERO) AS ULTIMO From MV_ASIENTOS with(nolock) WHERE TC = 'CC' AND "
                            "SUCURSAL= '0001' AND LETRA = 'X'"));
    EXPECT_TRUE(espia->Con("DELETE").empty());
}

TEST_F(Comprobantes, FueraDeAsientosSeLiberaElControlSalvoLosTiposListados) {
    TalonarioX("CC", 41);
    Control("CC", "00000041");
    Control("CC", "00000042");
    EXPECT_EQ(Pedir("CC").num, "00000041");
    EXPECT_THAT(espia->Con("DELETE"), ElementsAre("DELETE V_MV_CTROL_CPTE WHERE TC = 'CC' AND SUCURSAL = "
                                                  "'0001' AND NUMERO = '00000041' AND LETRA = 'X'"));
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM V_MV_CTROL_CPTE WHERE NUMERO = '00000041'"), 0);
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM V_MV_CTROL_CPTE WHERE NUMERO = '00000042'"), 1);

    for (const char* tc : {"FP", "TRP", "OPG"}) {
        TalonarioX(tc, 41);
        Control(tc, "00000041");
        Olvidar();
        EXPECT_EQ(Pedir(tc).num, "00000041") << tc;
        EXPECT_TRUE(espia->Con("DELETE").empty()) << tc;
        EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM V_MV_CTROL_CPTE WHERE TC = '" + std::string(tc) + "'"), 1);
    }
}

TEST_F(Comprobantes, CbfpMiraLasVentasConMenorEstricto) {
    TalonarioX("CBFP", 5);
    Asiento("CBFP", "0001", "00000005", "X");
    Asiento("CBFP", "0001", "00000017", "X");
    PorId("V_MV_CPTE", "CBFP", "000100000018X");
    EXPECT_EQ(Pedir("CBFP").num, "00000018");  // equal: unchanged
    EXPECT_THAT(espia->Con("V_MV_CPTE"),
                ElementsAre("SELECT MAX(idcomprobante) AS ULTIMO From V_MV_CPTE WHERE TC = 'CBFP' AND "
                            "SUBSTRING(IDCOMPROBANTE,1,4)= '0001' AND SUBSTRING(IDCOMPROBANTE,13,1) = 'X'"));
    PorId("V_MV_CPTE", "CBFP", "000100000030X");
    EXPECT_EQ(Pedir("CBFP").num, "00000031");

    // Another type renumbered from the entries never looks at the sales.
    TalonarioX("CC", 5);
    Asiento("CC", "0001", "00000005", "X");
    PorId("V_MV_CPTE", "CC", "000100000030X");
    Olvidar();
    EXPECT_EQ(Pedir("CC").num, "00000006");
    EXPECT_TRUE(espia->Con("V_MV_CPTE").empty());
}

TEST_F(Comprobantes, OrdenDeCompraPasaElMayorBajoElTope) {
    TalonarioX("OC", 41);
    EXPECT_EQ(Pedir("OC").num, "00000041");  // not recorded: stands
    EXPECT_TRUE(espia->Con("MV_ASIENTOS").empty());
    EXPECT_TRUE(espia->Con("DELETE").empty());

    PorId("C_MV_CPTE", "OC", "000100000041X");
    PorId("C_MV_CPTE", "OC", "000100000060X");
    PorId("C_MV_CPTE", "OC", "000199999999X");
    PorId("C_MV_CPTE", "OC", "000200000070X");
    Olvidar();
    EXPECT_EQ(Pedir("OC").num, "00000061");
    EXPECT_THAT(espia->Con("MAX(NUMERO)"),
                ElementsAre("SELECT MAX(NUMERO) AS ULTIMO From C_MV_CPTE  with(nolock) WHERE TC = 'OC' AND "
                            "SUCURSAL = '0001' AND NUMERO < '99999999' AND LETRA = 'X' "));
}

TEST_F(Comprobantes, ExisteEnAsientos) {
    Asiento("CC", "0001", "00000005", "X", 3, 125, "1.1");
    Asiento("C''C", "0001", "00000005", "X", 11, 7, "O''K");  // stored as C'C and O'K
    std::string salida = "sin tocar";
    EXPECT_FALSE(Existe_En_Asientos(*s, "OC", "0001", "00000005", "X", salida, "", true));
    EXPECT_TRUE(espia->sentencias.empty());
    EXPECT_EQ(salida, "sin tocar");

    EXPECT_TRUE(Existe_En_Asientos(*s, "CC", "0001", "00000005", "X", salida, "1.1", true));
    EXPECT_EQ(salida, "03 - 000125");
    EXPECT_FALSE(Existe_En_Asientos(*s, "CC", "0001", "00000005", "X", salida, "2.2", false));
    EXPECT_THAT(espia->sentencias,
                ElementsAre("SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = 'CC' AND SUCURSAL = '0001' "
                            "AND NUMERO = '00000005' AND LETRA = 'X' AND CUENTA = '1.1'",
                            "SELECT * FROM MV_ASIENTOS WHERE TC = 'CC' AND SUCURSAL = '0001' AND NUMERO = "
                            "'00000005' AND LETRA = 'X' AND CUENTA = '2.2'"));

    // Quotes in the values are doubled once, the type code's by TextoSQL.
    Olvidar();
    EXPECT_TRUE(Existe_En_Asientos(*s, "C'C", "0001", "00000005", "X", salida, "O'K", true));
    EXPECT_EQ(salida, "11 - 000007");
    EXPECT_THAT(espia->sentencias,
                ElementsAre("SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = 'C''C' AND "
                            "SUCURSAL = '0001' AND NUMERO = '00000005' AND LETRA = 'X' AND "
                            "CUENTA = 'O''K'"));
}

TEST_F(Comprobantes, ErrorRutinaDecideComoSigue) {
    TalonarioX("CC", 5);
    Asiento("CC", "0001", "00000005", "X");
    Asiento("CC", "0001", "00000017", "X");

    // 4: the refused entries check runs again.
    espia->Rechazar("SELECT * FROM MV_ASIENTOS", 1);
    op.respuestasRutina = {vb::kReintentar};
    EXPECT_EQ(Pedir("CC").num, "00000018");
    EXPECT_THAT(Rutinas(), ElementsAre("Obtener_Nro_Comprobante"));
    EXPECT_EQ(espia->Con("SELECT * FROM MV_ASIENTOS").size(), 2u);

    // Anything else leaves with the talonario's proposal as it stood.
    Olvidar();
    espia->Rechazar("MAX(NUMERO)", 1);
    op.respuestasRutina = {vb::kAbortar};
    EXPECT_EQ(Pedir("CC"), (Pedido{"0001", "00000005", "X", true}));
    EXPECT_THAT(Rutinas(), ElementsAre("Obtener_Nro_Comprobante"));

    // 5: the refused renumbering is passed over; the proposal stays and the routine ends normally.
    Olvidar();
    espia->Rechazar("MAX(NUMERO)", 1);
    op.defectoRutina = vb::kIgnorar;
    EXPECT_EQ(Pedir("CC").num, "00000005");
    EXPECT_FALSE(Rutinas().empty());
    EXPECT_TRUE(espia->Con("DELETE").empty());
}

}  // namespace
}  // namespace dep::prueba
