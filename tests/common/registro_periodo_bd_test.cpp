// Record lookup and fiscal period on a real database file.
#include <gtest/gtest.h>

#include "base_real.hpp"
#include "common/periodo.hpp"
#include "common/registro.hpp"

namespace dep {
namespace {

class RegistroBD : public ::testing::Test {
  protected:
    prueba::BaseReal bd;
    Servicios& s = bd.e->s;
    void SetUp() override {
        bd.Crudo(
            "INSERT INTO TA_Usuarios (Nombre, NombreCompleto, Activo) VALUES "
            "('ana', 'Ana', 1), ('  ', 'En blanco', 1), ('O''Brien', 'Pat', 0);"
            "INSERT INTO MV_EJERCICIOS (Periodo, \"FECHA DESDE\", \"FECHA HASTA\") VALUES "
            "(2020, '2020-01-01 00:00:00', '2020-12-31 00:00:00'),"
            "(2022, '2022-01-01 00:00:00', '2022-12-31 00:00:00');");
    }
};

TEST_F(RegistroBD, BuscaPorTextoPorCondicionYConComillas) {
    EXPECT_TRUE(BuscarRegistro(s, "TA_Usuarios", "ANA", "Nombre", nullptr, 8));
    EXPECT_FALSE(BuscarRegistro(s, "TA_Usuarios", "luis", "Nombre", nullptr, 8));
    EXPECT_TRUE(BuscarRegistro(s, "TA_Usuarios", "O'Brien", "Nombre", nullptr, 8));
    EXPECT_FALSE(BuscarRegistro(s, "TA_Usuarios", "x' OR '1'='1", "Nombre", nullptr, 8));
    EXPECT_TRUE(BuscarRegistro(s, "TA_Usuarios", "", "", nullptr, std::nullopt, "Activo = 0"));
    EXPECT_FALSE(BuscarRegistro(s, "TA_Usuarios", "", "", nullptr, std::nullopt, "1 = 1 AND Activo = 7"));
    EXPECT_TRUE(bd.e->op.llamadas.empty());
}

TEST_F(RegistroBD, ValorVacioSoloEncuentraNombresEnBlanco) {
    Recordset rs;
    ASSERT_TRUE(BuscarRegistro(s, "TA_Usuarios", "", "Nombre", &rs, 8));
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("NombreCompleto").ATexto(), "En blanco");
}

TEST_F(RegistroBD, ElRecordsetDelQueLlamaSeReabreConSusTipos) {
    Recordset rs;
    ASSERT_TRUE(BuscarRegistro(s, "TA_Usuarios", "", "", &rs, std::nullopt, "Activo = 1"));
    EXPECT_EQ(rs.RecordCount(), 2);
    ASSERT_TRUE(BuscarRegistro(s, "TA_Usuarios", "ana", "Nombre", &rs, 8));
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields("Nombre").ATexto(), "ana");

    // Not plain: the set keeps the cursor and lock it carried (here an updatable one).
    s.datos.AbrirRecordset("SELECT * FROM TA_Usuarios", rs, nullptr, ado::kDinamico, ado::kOptimista);
    ASSERT_TRUE(BuscarRegistro(s, "TA_Usuarios", "ana", "Nombre", &rs, 8, "", false));
    EXPECT_EQ(rs.CursorType(), ado::kDinamico);
    EXPECT_EQ(rs.LockType(), ado::kOptimista);
}

TEST_F(RegistroBD, PeriodoConLimitesInclusivosYFueraDeLosEjercicios) {
    EXPECT_EQ(Obtener_Periodo(s, "01/01/2020"), 2020);
    EXPECT_EQ(Obtener_Periodo(s, "31/12/2020"), 2020);
    EXPECT_EQ(Obtener_Periodo(s, "31/12/2020 18:30:00"), 2020);  // the time of day is dropped
    EXPECT_EQ(Obtener_Periodo(s, "15/6/2020"), 2020);
    EXPECT_EQ(Obtener_Periodo(s, "01/01/2021"), 0);  // between two fiscal years
    EXPECT_EQ(Obtener_Periodo(s, "31/12/2019"), 0);  // before the first
    EXPECT_EQ(Obtener_Periodo(s, "01/01/2022"), 2022);
    EXPECT_EQ(Obtener_Periodo(s, "01/01/2023"), 0);
}

}  // namespace
}  // namespace dep
