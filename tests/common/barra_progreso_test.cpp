#include "common/barra_progreso.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/falla.hpp"
#include "tests/apoyo/falla.hpp"

namespace dep {
namespace {

struct ImagenGrabadora : Imagen {
    std::vector<DibujoBarra> dibujos;
    bool visible = false;
    void Mostrar() override { visible = true; }
    void Dibujar(const DibujoBarra& d) override { dibujos.push_back(d); }
    bool Visible() const override { return visible; }
};

TEST(FormatoAlmohadillas, RedondeaSinCerosYNadaParaCeroEnLaLeyenda) {
    EXPECT_EQ(FormatoAlmohadillas(0), "");
    EXPECT_EQ(FormatoAlmohadillas(0.4), "");
    EXPECT_EQ(FormatoAlmohadillas(33.4), "33");
    EXPECT_EQ(FormatoAlmohadillas(66.6), "67");
    EXPECT_EQ(FormatoAlmohadillas(2.5), "3");  // halves away from zero
    EXPECT_EQ(FormatoAlmohadillas(0.5), "1");
    EXPECT_EQ(FormatoAlmohadillas(100), "100");
    EXPECT_EQ(FormatoAlmohadillas(150), "150");
    EXPECT_EQ(FormatoAlmohadillas(-2.5), "-3");
    // The caption: text, blank, number and percent sign.
    EXPECT_EQ(LeyendaBarra("Borrando", 0), "Borrando %");
    EXPECT_EQ(LeyendaBarra("Borrando", 100), "Borrando 100%");
    EXPECT_EQ(LeyendaBarra("", 50), " 50%");
}

TEST(BarraProgreso, DibujaUnaVezConPorcentajeColorYLeyenda) {
    ImagenGrabadora img;
    BarraProgreso(img, Value(33.4), 255, "Asientos");
    BarraProgreso(img, Value(150), 255, "Asientos");
    BarraProgreso(img, Value(Moneda::DesdeDoble(12.5)), 0x00FF00, "x");
    ASSERT_EQ(img.dibujos.size(), 3u);
    EXPECT_DOUBLE_EQ(img.dibujos[0].porcentaje, 33.4);
    EXPECT_EQ(img.dibujos[0].color, 255u);
    EXPECT_EQ(img.dibujos[0].leyenda, "Asientos 33%");
    EXPECT_DOUBLE_EQ(img.dibujos[1].porcentaje, 150);  // the picture clips the excess
    EXPECT_EQ(img.dibujos[1].leyenda, "Asientos 150%");
    EXPECT_EQ(img.dibujos[2].leyenda, "x 13%");
    EXPECT_EQ(img.dibujos[2].color, 0x00FF00u);
}

TEST(BarraProgreso, UnPorcentajeQueNoEsNumeroFallaConTreceSinDibujar) {
    ImagenGrabadora img;
    for (const Value& v : {Value("mitad"), Value(), Value(Fecha::DesdeYMD(2020, 1, 1))})
        EXPECT_EQ(prueba::NumeroDeFalla([&] { BarraProgreso(img, v, 255, "t"); }), err::kTipoIncompatible);
    EXPECT_TRUE(img.dibujos.empty());
    BarraProgreso(img, Value("25"), 255, "t");  // a text that reads as a number is a number
    ASSERT_EQ(img.dibujos.size(), 1u);
    EXPECT_EQ(img.dibujos[0].leyenda, "t 25%");
}

}  // namespace
}  // namespace dep
