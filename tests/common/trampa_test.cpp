#include "common/trampa.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace dep {
namespace {

// An answerer that hands out scripted answers and remembers the failures it was shown.
struct Respondedor {
    explicit Respondedor(std::vector<int> r) : respuestas(std::move(r)) {}
    std::vector<int> respuestas;
    std::vector<long> vistos;
    Trampa trampa() {
        return Trampa([this](const Falla& e) {
            vistos.push_back(e.Numero());
            int r = respuestas.empty() ? 3 : respuestas.front();
            if (!respuestas.empty()) respuestas.erase(respuestas.begin());
            return r;
        });
    }
};

TEST(Trampa, ReintentarVuelveAEjecutarElMismoPasoHastaQueResulta) {
    Respondedor r{std::vector<int>{4, 4}};
    int intentos = 0, siguiente = 0;
    EXPECT_TRUE(r.trampa().Pasos({
        [&] {
            if (++intentos < 3) throw Falla(11, "division");
        },
        [&] { ++siguiente; },
    }));
    EXPECT_EQ(intentos, 3);
    EXPECT_EQ(siguiente, 1);
    EXPECT_EQ(r.vistos, (std::vector<long>{11, 11}));
}

TEST(Trampa, IgnorarSigueConElPasoSiguienteYOtraRespuestaAbandona) {
    Respondedor r{std::vector<int>{5, 3}};
    std::vector<int> hechos;
    EXPECT_FALSE(r.trampa().Pasos({
        [&] { throw Falla(1, "a"); },
        [&] { hechos.push_back(2); },
        [&] { throw Falla(3, "c"); },
        [&] { hechos.push_back(4); },
    }));
    EXPECT_EQ(hechos, std::vector<int>{2});
    EXPECT_EQ(r.vistos, (std::vector<long>{1, 3}));
}

TEST(Trampa, PasoDiceComoTerminoYOtrasExcepcionesSonLaFallaCinco) {
    Respondedor r{std::vector<int>{5, 2}};
    Trampa t = r.trampa();
    EXPECT_EQ(t.Paso([] {}), Salida::Hecho);
    EXPECT_EQ(t.Paso([] { throw Falla(9, "x"); }), Salida::Siguiente);
    EXPECT_EQ(t.Paso([] { throw Falla(9, "x"); }), Salida::Abandonar);
    // Other exceptions arrive as failure 5.
    Respondedor otra{std::vector<int>{5}};
    EXPECT_EQ(otra.trampa().Paso([] { throw std::out_of_range("fuera"); }), Salida::Siguiente);
    EXPECT_EQ(otra.vistos, std::vector<long>{5});
}

// Both kinds of failure take every answer the same way: retry, then ignore or leave.
TEST(Trampa, CualquierFallaSeReintentaYLuegoSeIgnoraOAbandona) {
    const std::function<void()> fallas[] = {[] { throw Falla(9, "x"); },
                                            [] { throw std::runtime_error("y"); }};
    for (const auto& falla : fallas) {
        for (const auto& [ultima, salida] :
             {std::pair{vb::kIgnorar, Salida::Siguiente}, std::pair{vb::kAbortar, Salida::Abandonar}}) {
            Respondedor r{std::vector<int>{vb::kReintentar, ultima}};
            int intentos = 0;
            EXPECT_EQ(r.trampa().Paso([&] {
                ++intentos;
                falla();
            }),
                      salida);
            EXPECT_EQ(intentos, 2);
        }
    }
    EXPECT_THROW(Trampa::SeguirSiempre().Paso([] { throw std::bad_alloc(); }), std::bad_alloc);
}

TEST(Trampa, SeguirSiempreNoPreguntaYCorreTodosLosPasos) {
    std::vector<int> hechos;
    EXPECT_TRUE(Trampa::SeguirSiempre().Pasos({
        [&] { throw Falla(1, "a"); },
        [&] { hechos.push_back(2); },
        [&] { throw std::runtime_error("b"); },
        [&] { hechos.push_back(4); },
    }));
    EXPECT_EQ(hechos, (std::vector<int>{2, 4}));
}

}  // namespace
}  // namespace dep
