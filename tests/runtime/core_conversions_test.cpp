#include <gtest/gtest.h>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "tests/apoyo/falla.hpp"

namespace dep {
namespace {

std::string Reconocida(std::string_view s) {
    auto f = ReconocerFecha(s);
    return f ? TextoFecha(*f) : "<rechazada>";
}

TEST(ReconocerFecha, AceptaLasFormasQueTecleaElOperador) {
    EXPECT_EQ(Reconocida("31/12/2020"), "31/12/2020");
    EXPECT_EQ(Reconocida("1/2/2021"), "01/02/2021");
    EXPECT_EQ(Reconocida("01-02-2021"), "01/02/2021");
    EXPECT_EQ(Reconocida("1.2.2021"), "01/02/2021");
    EXPECT_EQ(Reconocida("  31/12/2020  "), "31/12/2020");
    EXPECT_EQ(Reconocida("29/02/2020"), "29/02/2020");
    EXPECT_EQ(Reconocida("31/12/20"), "31/12/2020");
    EXPECT_EQ(Reconocida("1/1/29"), "01/01/2029");
    EXPECT_EQ(Reconocida("1/1/30"), "01/01/1930");
    EXPECT_EQ(Reconocida("1/1/99"), "01/01/1999");
    EXPECT_EQ(Reconocida("1/1/00"), "01/01/2000");
    EXPECT_EQ(Reconocida("31/12/2020 8:05"), "31/12/2020 08:05:00");
    EXPECT_EQ(Reconocida("31/12/2020   23:59:58"), "31/12/2020 23:59:58");
    EXPECT_EQ(Reconocida("31/12/2020 00:00"), "31/12/2020");  // midnight carries no time of day
}

TEST(ReconocerFecha, AceptaLaFormaDeAlmacenamientoDeLosMotores) {
    EXPECT_EQ(Reconocida("2020-12-31"), "31/12/2020");
    EXPECT_EQ(Reconocida("2020-12-31 10:11:12"), "31/12/2020 10:11:12");
}

TEST(ReconocerFecha, RechazaLoQueNoEsUnaFecha) {
    for (const std::vector<const char*>& malas :
         {std::vector<const char*>{"", "   ", "31/02/2020", "29/02/2021", "1/13/2020", "0/1/2020",
                                   "32/1/2020", "31/12/2020x", "31/12/2020 x", "31/12", "31/12/202",
                                   "31/12/20201", "31/12-2020", "a1/12/2020", "31//2020"},
          {"31/12/2020 24:00", "31/12/2020 10:60", "31/12/2020 10:5", "31/12/2020 10:05:", "31/12/2020 10",
           "123/1/2020", "31/12/2020:10:00", "2020-02-30", "1/1/0000"}})
        for (const char* s : malas) EXPECT_FALSE(ReconocerFecha(s).has_value()) << "'" << s << "'";
}

TEST(FechaIso, IdaYVuelta) {
    const Fecha f = Fecha::DesdeYMD(2020, 12, 31, 7, 8, 9);
    EXPECT_EQ(TextoFechaIso(f), "2020-12-31 07:08:09");
    EXPECT_EQ(TextoFechaIso(Fecha::DesdeYMD(2021, 1, 1)), "2021-01-01 00:00:00");
    EXPECT_EQ(LeerFechaIso("2020-12-31 07:08:09"), f);
    EXPECT_EQ(LeerFechaIso("2020-12-31T07:08:09.250"), f);
    EXPECT_EQ(LeerFechaIso("2020-12-31"), Fecha::DesdeYMD(2020, 12, 31));
    EXPECT_EQ(LeerFechaIso("2020-12-31 07:08"), Fecha::DesdeYMD(2020, 12, 31, 7, 8));
    EXPECT_FALSE(LeerFechaIso("2020-12-31 "));
    EXPECT_FALSE(LeerFechaIso("2020-13-01"));
    EXPECT_FALSE(LeerFechaIso("31/12/2020"));
    EXPECT_FALSE(LeerFechaIso("2020-1-01"));
}

TEST(Fecha, SerieDesdeElTreintaDeDiciembreDe1899) {
    EXPECT_EQ(Fecha::DesdeYMD(1899, 12, 30).Dias(), 0);
    EXPECT_EQ(Fecha::DesdeYMD(1900, 1, 1).Dias(), 2);
    EXPECT_EQ(Fecha::DesdeYMD(2020, 12, 31).Dias(), 44196);
    EXPECT_EQ(Fecha::DesdeSerie(44196).Anio(), 2020);
    EXPECT_EQ(Fecha::DesdeYMD(2020, 12, 32), Fecha::DesdeYMD(2021, 1, 1));  // carries like DateSerial
    EXPECT_EQ(Fecha::DesdeYMD(2021, 0, 1), Fecha::DesdeYMD(2020, 12, 1));
    EXPECT_EQ(Fecha::DesdeSerie(10, -1), Fecha::DesdeYMD(1900, 1, 8, 23, 59, 59));
    EXPECT_EQ(TextoFecha(Fecha::DesdeYMD(2020, 12, 31).SumarDias(1)), "01/01/2021");
    EXPECT_EQ(TextoHora(Fecha::DesdeYMD(2020, 1, 1, 13, 4, 5)), "13:04:05");
}

TEST(TextoNumero, QuinceCifrasSignificativasSinCerosSobrantes) {
    EXPECT_EQ(TextoNumero(1234.56), "1234.56");
    EXPECT_EQ(TextoNumero(1234.5600000000002), "1234.56");
    EXPECT_EQ(TextoNumero(0.1 + 0.2), "0.3");
    EXPECT_EQ(TextoNumero(0.1), "0.1");
    EXPECT_EQ(TextoNumero(-5), "-5");
    EXPECT_EQ(TextoNumero(0), "0");
    EXPECT_EQ(TextoNumero(-0.0), "0");
    EXPECT_EQ(TextoNumero(100), "100");
    EXPECT_EQ(TextoNumero(999999999999999.0), "999999999999999");
    EXPECT_EQ(TextoNumero(123456789012.345), "123456789012.345");
    EXPECT_EQ(TextoNumero(1e15), "1E+15");
    EXPECT_EQ(TextoNumero(1.5e20), "1.5E+20");
    EXPECT_EQ(TextoNumero(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(TextoNumero(0.0001), "0.0001");
    EXPECT_EQ(TextoNumero(0.00001), "1E-05");
    EXPECT_EQ(TextoNumero(-2.5e-7), "-2.5E-07");
    EXPECT_EQ(TextoNumero(2.0 / 3.0), "0.666666666666667");
}

TEST(TextoMoneda, HastaCuatroDecimales) {
    EXPECT_EQ(TextoMoneda(Moneda{12345600}), "1234.56");
    EXPECT_EQ(TextoMoneda(Moneda{-5}), "-0.0005");
    EXPECT_EQ(TextoMoneda(Moneda{0}), "0");
    EXPECT_EQ(TextoMoneda(Moneda{-30000}), "-3");
    EXPECT_EQ(TextoMoneda(Moneda{INT64_MIN}), "-922337203685477.5808");
}

TEST(Moneda, RedondeaLaMitadHaciaAfuera) {
    EXPECT_EQ(Moneda::DesdeDoble(1234.56).diezmilesimos, 12345600);
    EXPECT_EQ(Moneda::DesdeDoble(2.00005).diezmilesimos, 20001);  // binary 2.0000499999...
    EXPECT_EQ(Moneda::DesdeDoble(-2.00005).diezmilesimos, -20001);
    EXPECT_EQ(Moneda::DesdeDoble(0.00004).diezmilesimos, 0);
    EXPECT_EQ(Moneda::DesdeDoble(0.00005).diezmilesimos, 1);
    EXPECT_EQ(Moneda::DesdeDoble(0.000001).diezmilesimos, 0);
    EXPECT_EQ(Moneda::DesdeDoble(1e14).diezmilesimos, 1000000000000000000LL);
    EXPECT_THROW(Moneda::DesdeDoble(1e16), Falla);
}

TEST(LeerNumero, ComoValDeLaPlataforma) {
    EXPECT_EQ(LeerNumero("123"), 123);
    EXPECT_EQ(LeerNumero("  12.5abc"), 12.5);
    EXPECT_EQ(LeerNumero("-3"), -3);
    EXPECT_EQ(LeerNumero("+3"), 3);
    EXPECT_EQ(LeerNumero("1 2 3"), 123);
    EXPECT_EQ(LeerNumero("1.5e2"), 150);
    EXPECT_EQ(LeerNumero("1.5e"), 1.5);
    EXPECT_EQ(LeerNumero("1.2.3"), 1.2);
    EXPECT_EQ(LeerNumero(".5"), 0.5);
    EXPECT_EQ(LeerNumero("abc"), 0);
    EXPECT_EQ(LeerNumero(""), 0);
    EXPECT_EQ(LeerNumero("-"), 0);
    EXPECT_EQ(LeerNumero("31/12/2020"), 31);
    EXPECT_EQ(LeerNumero("1,5"), 1);  // the comma is no decimal separator here
    EXPECT_EQ(LeerNumero("1e-99999999999999999999"), 0);
    EXPECT_EQ(LeerNumero("0.000e400"), 0);
    EXPECT_EQ(prueba::NumeroDeFalla([] { (void)LeerNumero("1e99999999999999999999"); }),
              err::kDesbordamiento);
}

TEST(Textos, CerosMayusculasYComillas) {
    EXPECT_EQ(FormatoCeros(12, 4), "0012");
    EXPECT_EQ(FormatoCeros(123456, 4), "123456");
    EXPECT_EQ(FormatoCeros(-1, 4), "-0001");
    EXPECT_EQ(Recortar("  a b  "), "a b");
    EXPECT_EQ(Recortar("   "), "");
    EXPECT_EQ(Mayusculas("año débito ñandú pingüino ÿ"), "AÑO DÉBITO ÑANDÚ PINGÜINO Ÿ");
    EXPECT_EQ(Mayusculas("ÁÉÍ abc"), "ÁÉÍ ABC");
    EXPECT_TRUE(IgualesSinCaso("Cuenta", "CUENTA"));
    EXPECT_TRUE(IgualesSinCaso("Débito", "DÉBITO"));
    EXPECT_TRUE(IgualesSinCaso("ÿ", "Ÿ"));
    EXPECT_FALSE(IgualesSinCaso("Debito", "Débito"));
    EXPECT_FALSE(IgualesSinCaso("Cuenta", "Cuentas"));
    const std::string largo(70, 'a');
    EXPECT_TRUE(IgualesSinCaso(largo, std::string(70, 'A'))) << "beyond the short names too";
    EXPECT_FALSE(IgualesSinCaso(largo, std::string(69, 'A') + "B"));
    EXPECT_EQ(DoblarComillas("O'Higgins ''x"), "O''Higgins ''''x");
    EXPECT_EQ(DoblarComillas(""), "");
}

}  // namespace
}  // namespace dep
