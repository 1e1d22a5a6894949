#include <gtest/gtest.h>

#include <functional>

#include "runtime/falla.hpp"
#include "runtime/value.hpp"
#include "tests/apoyo/falla.hpp"

namespace dep {
namespace {

using prueba::NumeroDeFalla;

TEST(Value, ATextoSigueLasConversionesDeLaPlataforma) {
    EXPECT_EQ(Value().ATexto(), "");
    EXPECT_EQ(Value(true).ATexto(), "Verdadero");
    EXPECT_EQ(Value(false).ATexto(), "Falso");
    EXPECT_EQ(Value(42).ATexto(), "42");
    EXPECT_EQ(Value(-7LL).ATexto(), "-7");
    EXPECT_EQ(Value(1234.5600000000002).ATexto(), "1234.56");
    EXPECT_EQ(Value(Moneda{12345000}).ATexto(), "1234.5");
    EXPECT_EQ(Value(Fecha::DesdeYMD(2020, 12, 31)).ATexto(), "31/12/2020");
    EXPECT_EQ(Value(Fecha::DesdeYMD(2020, 12, 31, 9, 0, 1)).ATexto(), "31/12/2020 09:00:01");
    EXPECT_EQ(Value("hola").ATexto(), "hola");
    EXPECT_EQ(NumeroDeFalla([] { (void)Value::Nulo().ATexto(); }), 94);
}

TEST(Value, ANumeroAceptaSoloNumeros) {
    EXPECT_EQ(Value().ANumero(), 0);
    EXPECT_EQ(Value(" 12.5 ").ANumero(), 12.5);
    EXPECT_EQ(Value("-3").ANumero(), -3);
    EXPECT_EQ(Value("+3").ANumero(), 3);
    EXPECT_EQ(Value("1e3").ANumero(), 1000);
    EXPECT_EQ(Value(".5").ANumero(), 0.5);
    EXPECT_EQ(Value(true).ANumero(), -1);
    EXPECT_EQ(Value(Moneda{15000}).ANumero(), 1.5);
    for (const char* s : {"", "abc", "12abc", "1,5", "--1", "+-1", "1e", ".", "1 2", "nan", "inf", "0x10"})
        EXPECT_EQ(NumeroDeFalla([s] { (void)Value(s).ANumero(); }), 13) << "'" << s << "'";
    EXPECT_EQ(NumeroDeFalla([] { (void)Value::Nulo().ANumero(); }), 94);
    EXPECT_EQ(NumeroDeFalla([] { (void)Value("1e999").ANumero(); }), 6);
}

TEST(Value, AEnteroRedondeaALaParMasCercana) {
    EXPECT_EQ(Value(2.5).AEntero(), 2);
    EXPECT_EQ(Value(3.5).AEntero(), 4);
    EXPECT_EQ(Value(-2.5).AEntero(), -2);
    EXPECT_EQ(Value(-3.5).AEntero(), -4);
    EXPECT_EQ(Value(2.6).AEntero(), 3);
    EXPECT_EQ(Value(Moneda{25000}).AEntero(), 2);
    EXPECT_EQ(Value(Moneda{35000}).AEntero(), 4);
    EXPECT_EQ(Value(Moneda{-35000}).AEntero(), -4);
    EXPECT_EQ(Value(Moneda{-25001}).AEntero(), -3);
    EXPECT_EQ(Value("0.5").AEntero(), 0);
    EXPECT_EQ(Value("1.5").AEntero(), 2);
    EXPECT_EQ(NumeroDeFalla([] { (void)Value("x").AEntero(); }), 13);
    EXPECT_EQ(NumeroDeFalla([] { (void)Value(1e19).AEntero(); }), 6);
}

TEST(Value, AMonedaYALogico) {
    EXPECT_EQ(Value("1234.56").AMoneda().diezmilesimos, 12345600);
    EXPECT_EQ(Value(7).AMoneda().diezmilesimos, 70000);
    EXPECT_EQ(NumeroDeFalla([] { (void)Value("1.2.3").AMoneda(); }), 13);
    EXPECT_TRUE(Value("Verdadero").ALogico());
    EXPECT_FALSE(Value("falso").ALogico());
    EXPECT_TRUE(Value(-1).ALogico());
    EXPECT_FALSE(Value(0.0).ALogico());
    EXPECT_TRUE(Value("1").ALogico());
    EXPECT_EQ(NumeroDeFalla([] { (void)Value("quizás").ALogico(); }), 13);
    EXPECT_EQ(NumeroDeFalla([] { (void)Value::Nulo().ALogico(); }), 94);
}

TEST(Value, AFechaReconoceTextosYSeries) {
    EXPECT_EQ(Value("31/12/2020").AFecha(), Fecha::DesdeYMD(2020, 12, 31));
    EXPECT_EQ(Value("2020-12-31 10:00:00").AFecha(), Fecha::DesdeYMD(2020, 12, 31, 10));
    EXPECT_EQ(Value(44196).AFecha(), Fecha::DesdeYMD(2020, 12, 31));
    EXPECT_EQ(Value(44196.5).AFecha(), Fecha::DesdeYMD(2020, 12, 31, 12));
    EXPECT_EQ(NumeroDeFalla([] { (void)Value("31/02/2020").AFecha(); }), 13);
    EXPECT_EQ(NumeroDeFalla([] { (void)Value::Nulo().AFecha(); }), 94);
}

TEST(Value, IgualdadDistingueElTipo) {
    EXPECT_EQ(Value("a"), Value(std::string("a")));
    EXPECT_NE(Value(1), Value(1.0));
    EXPECT_NE(Value(), Value::Nulo());
    EXPECT_TRUE(Value(Moneda{1}).EsNumero());
    EXPECT_FALSE(Value("1").EsNumero());
}

}  // namespace
}  // namespace dep
