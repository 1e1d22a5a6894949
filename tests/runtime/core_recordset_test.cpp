#include <gtest/gtest.h>

#include <functional>

#include "runtime/conversions.hpp"
#include "runtime/recordset.hpp"
#include "tests/apoyo/conexion_grabadora.hpp"
#include "tests/apoyo/falla.hpp"

namespace dep {
namespace {

using prueba::ConexionGrabadora;
using prueba::NumeroDeFalla;

Resultado Config(std::vector<std::vector<Value>> filas) {
    return Resultado{{"CLAVE", "VALOR", "ValorAux", "Grupo", "PoliticaNegocio"}, std::move(filas)};
}

TEST(Recordset, NavegacionPosicionCuentaYConjuntoVacio) {
    Recordset rs;
    EXPECT_EQ(rs.State(), ado::kCerrado);
    rs.Abrir(Resultado{{"A", "b"}, {{Value(1), Value("x")}, {Value(2), Value("y")}}}, 0, 1);
    EXPECT_EQ(rs.State(), ado::kAbierto);
    EXPECT_FALSE(rs.BOF());
    EXPECT_FALSE(rs.EOF());
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields("a"), Value(1));
    EXPECT_EQ(rs.Fields("B"), Value("x"));
    rs.MoveNext();
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_EQ(rs.Fields("A"), Value(2));
    rs.MoveNext();
    EXPECT_TRUE(rs.EOF());
    EXPECT_EQ(rs.AbsolutePosition(), ado::kPosEOF);
    EXPECT_EQ(NumeroDeFalla([&] { (void)rs.Fields("A"); }), err::kBofEof);
    EXPECT_EQ(NumeroDeFalla([&] { rs.MoveNext(); }), err::kBofEof);
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields("A"), Value(1));
    EXPECT_EQ(NumeroDeFalla([&] { (void)rs.Fields("C"); }), err::kElementoNoEncontrado);
    rs.Close();
    EXPECT_EQ(rs.State(), ado::kCerrado);
    EXPECT_NE(NumeroDeFalla([&] { (void)rs.EOF(); }), 0);
    rs.Close();  // closing twice is harmless

    // An empty set is at both ends.
    rs.Abrir(Resultado{{"A"}, {}}, 0, 1);
    EXPECT_TRUE(rs.BOF());
    EXPECT_TRUE(rs.EOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(NumeroDeFalla([&] { (void)rs.Fields("A"); }), err::kBofEof);
    EXPECT_EQ(NumeroDeFalla([&] { (void)rs.Fields("Z"); }), err::kElementoNoEncontrado);
}

TEST(Recordset, SoloLecturaNoAdmiteCambios) {
    ConexionGrabadora cn;
    Recordset rs;
    rs.Abrir(Config({{Value("K"), Value("V"), Value::Nulo(), Value("G"), Value(false)}}), 0, 1);
    EXPECT_NE(NumeroDeFalla([&] { rs.Poner("VALOR", Value("w")); }), 0);
    EXPECT_NE(NumeroDeFalla([&] { rs.AddNew(); }), 0);
    EXPECT_TRUE(cn.ejecutadas.empty());
}

TEST(Recordset, AltaInsertaSoloLosCamposPuestos) {
    ConexionGrabadora cn;
    Recordset rs;
    rs.Abrir(Config({}), 2, 3, &cn, "TA_CONFIGURACION");
    rs.AddNew();
    EXPECT_FALSE(rs.EOF());
    rs.Poner("grupo", Value("DATOS"));
    rs.Poner("Clave", Value("FECHAULTIMADEPURACION"));
    rs.Poner("Valor", Value("31/12/2020"));
    rs.Poner("PoliticaNegocio", Value(false));
    EXPECT_TRUE(rs.Fields("ValorAux").EsNulo());
    rs.Update();
    ASSERT_EQ(cn.ejecutadas.size(), 1u);
    EXPECT_EQ(cn.ejecutadas[0],
              "INSERT INTO TA_CONFIGURACION (CLAVE,VALOR,Grupo,PoliticaNegocio) "
              "VALUES ('FECHAULTIMADEPURACION','31/12/2020','DATOS',0)");
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields("VALOR"), Value("31/12/2020"));
    rs.Update();  // nothing pending: nothing sent
    EXPECT_EQ(cn.ejecutadas.size(), 1u);
}

TEST(Recordset, ModificacionOptimistaBuscaLaFilaPorLoLeido) {
    ConexionGrabadora cn;
    Recordset rs;
    rs.Abrir(Config({{Value("K'1"), Value("viejo"), Value::Nulo(), Value("DATOS"), Value(1)}}), 2, 3, &cn,
             "TA_CONFIGURACION");
    rs.Poner("VALOR", Value("O'Brien"));
    EXPECT_EQ(rs.Fields("valor"), Value("O'Brien"));
    rs.Update();
    ASSERT_EQ(cn.ejecutadas.size(), 1u);
    EXPECT_EQ(cn.ejecutadas[0],
              "UPDATE TA_CONFIGURACION SET VALOR='O''Brien' WHERE CLAVE = 'K''1' AND VALOR = 'viejo' AND "
              "ValorAux IS NULL AND Grupo = 'DATOS' AND PoliticaNegocio = 1");
    EXPECT_EQ(rs.Fields("VALOR"), Value("O'Brien"));

    // The second save finds the row by what the first one wrote.
    rs.Poner("ValorAux", Value("a"));
    rs.Update();
    EXPECT_EQ(cn.ejecutadas[1],
              "UPDATE TA_CONFIGURACION SET ValorAux='a' WHERE CLAVE = 'K''1' AND VALOR = 'O''Brien' AND "
              "ValorAux IS NULL AND Grupo = 'DATOS' AND PoliticaNegocio = 1");
}

TEST(Recordset, FilaCambiadaEntretantoEsUnaFalla) {
    ConexionGrabadora cn;
    cn.respuestas.push_back({0, {}});
    Recordset rs;
    rs.Abrir(Config({{Value("K"), Value("v"), Value("a"), Value("G"), Value(0)}}), 2, 3, &cn,
             "TA_CONFIGURACION");
    rs.Poner("VALOR", Value("w"));
    const std::string m = prueba::DescripcionDeFalla([&] { rs.Update(); });
    EXPECT_NE(m.find("modificó"), std::string::npos) << m;
    // The edit is still pending and the row keeps showing it; a second try can succeed.
    EXPECT_EQ(rs.Fields("VALOR"), Value("w"));
    rs.Update();
    EXPECT_EQ(cn.ejecutadas.size(), 2u);
}

TEST(Recordset, NombresRarosYValoresDeCadaTipo) {
    ConexionGrabadora cn;
    Recordset rs;
    rs.Abrir(Resultado{{"DEBE-HABER", "NUMERO ASIENTO", "IMPORTE", "FECHA", "X"},
                       {{Value("D"), Value(7), Value(0.1 + 0.2), Value(Fecha::DesdeYMD(2020, 12, 31)),
                         Value(Moneda{12345})}}},
             2, 3, &cn, "MV_ASIENTOS");
    rs.Poner("importe", Value(1234.5600000000002));
    rs.Poner("fecha", Value(Fecha::DesdeYMD(2021, 1, 1, 10, 0, 0)));
    rs.Poner("x", Value::Nulo());
    rs.Update();
    EXPECT_EQ(
        cn.ejecutadas[0],
        "UPDATE MV_ASIENTOS SET IMPORTE=1234.56,FECHA='01/01/2021 10:00:00',X=NULL WHERE [DEBE-HABER] = 'D' "
        "AND [NUMERO ASIENTO] = 7 AND IMPORTE = 0.30000000000000004 AND FECHA = '31/12/2020' AND X = 1.2345");
}

TEST(LiteralSQL, ComillasDobladasUnaVezYNumerosSinComillas) {
    EXPECT_EQ(LiteralSQL(Value("O'Higgins"), '\''), "'O''Higgins'");
    EXPECT_EQ(LiteralSQL(Value(""), '\''), "''");
    EXPECT_EQ(LiteralSQL(Value::Nulo(), '\''), "''");
    EXPECT_EQ(LiteralSQL(Value(Fecha::DesdeYMD(2020, 12, 31)), '\''), "'31/12/2020'");
    EXPECT_EQ(LiteralSQL(Value(12.5), '\''), "'12.5'");
    EXPECT_EQ(LiteralSQL(Value(12.5), '@'), "12.5");
    EXPECT_EQ(LiteralSQL(Value(Moneda{-15000}), '@'), "-1.5");
    EXPECT_EQ(LiteralSQL(Value(true), '@'), "1");
    EXPECT_EQ(LiteralSQL(Value(false), '@'), "0");
    EXPECT_EQ(LiteralSQL(Value::Nulo(), '@'), "NULL");
    EXPECT_EQ(LiteralSQL(Value(" 42 "), '@'), "42");
    EXPECT_EQ(NumeroDeFalla([] { (void)LiteralSQL(Value("1; DROP TABLE X"), '@'); }), err::kTipoIncompatible);
}

}  // namespace
}  // namespace dep
