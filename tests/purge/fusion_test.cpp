// The merge batch, byte for byte.
#include <gtest/gtest.h>

#include "purge/fusion.hpp"
#include "runtime/operador_guionado.hpp"

namespace dep {
namespace {

class Fusion : public ::testing::Test {
  protected:
    Recordset Grupo(const Value& cuenta, const Value& nro, const Value& importe = Value(150.5)) {
        Resultado r;
        r.columnas = {"CUENTA",   "DEBE-HABER", "IMPORTE",  "MONEDA", "COTIZACION", "NroComprobanteBancario",
                      "TIPO_REG", "IdCajas",    "UNEGOCIO", "detalle"};
        r.filas.push_back({cuenta, Value("D"), importe, Value("$"), Value(1.0), nro, Value(""), Value("01"),
                           Value::Nulo(), Value("Depuracion")});
        Recordset rs;
        rs.Abrir(r, 0, 1);
        return rs;
    }
    ContextoFusion Contexto() {
        ContextoFusion c;
        c.tipo = "CC";
        c.clave = "000100000124X";
        c.secuencia = 7;
        c.periodo = "2022";
        c.fechaResumen = "01/01/2022";
        c.mesResumen = 1;
        c.nroAsiento = 5;
        return c;
    }
    OperadorGuionado op;
    DataServices ds{nullptr, op};
    FormServices fs{op};
};

TEST_F(Fusion, CondicionYLoteExactos) {
    Recordset g = Grupo(Value("1.1.01"), Value::Nulo());
    const std::string m = CondicionFusion(g, Contexto(), fs);
    EXPECT_EQ(m,
              " CUENTA = '1.1.01' AND TC = 'CC' AND SUCURSAL = '0001' AND NUMERO = '00000124' AND LETRA = 'X'"
              " AND IDCAJAS = '01' AND UNEGOCIO = '' AND MONEDA = '$' and cotizacion = 1 and "
              "nrocomprobantebancario = '' and tipo_reg = '' AND [DEBE-HABER] = 'D'");
    const std::string b = LoteFusion(g, Contexto(), m, ds, fs);
    EXPECT_EQ(
        b, "IF NOT EXISTS(SELECT * FROM MV_ASIENTOS WHERE " + m +
               ")\r\n"
               "BEGIN \r\n"
               "INSERT INTO MV_ASIENTOS ( CUENTA, tc, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], "
               "IMPORTE, "
               "MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, PERIODO,FECHA, "
               "MES_OPERATIVO, [NUMERO ASIENTO], detalle  )\r\n"
               "VALUES (\r\n"
               "'1.1.01','CC','0001','00000124','X',7,'D',150.5,'$',1,'','','01','','2022','01/01/2022',1,5,"
               "'Depuracion')\r\n"
               "END\r\n"
               "ELSE\r\n"
               "BEGIN\r\n"
               "UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 150.5 WHERE " +
               m +
               "\r\n"
               "END\r\n");
}

TEST_F(Fusion, ComillasDobladasUnaVez) {
    Recordset g = Grupo(Value("O'HIGGINS"), Value("B'1"));
    const std::string m = CondicionFusion(g, Contexto(), fs);
    EXPECT_NE(m.find(" CUENTA = 'O''HIGGINS' AND"), std::string::npos);
    EXPECT_NE(m.find("nrocomprobantebancario = 'B''1'"), std::string::npos);
    EXPECT_EQ(m.find("'''"), std::string::npos);
    const std::string b = LoteFusion(g, Contexto(), m, ds, fs);
    EXPECT_NE(b.find("VALUES (\r\n'O''HIGGINS','CC'"), std::string::npos);
    EXPECT_NE(b.find(",'B''1','','01',"), std::string::npos);
    EXPECT_EQ(b.find("O''''"), std::string::npos);
}

TEST_F(Fusion, NumerosComoElMotorLosLee) {
    Recordset g = Grupo(Value("1"), Value("77"), Value(1234.5600000000002));
    ContextoFusion c = Contexto();
    c.secuencia = 1234567;
    const std::string m = CondicionFusion(g, c, fs);
    const std::string b = LoteFusion(g, c, m, ds, fs);
    EXPECT_NE(b.find(",1234567,'D',1234.56,'$',1,'77',"), std::string::npos);
    EXPECT_NE(b.find("SET IMPORTE = IMPORTE + 1234.56 WHERE"), std::string::npos);
}

}  // namespace
}  // namespace dep
