// The run driver, the stock purge and the temporaries purge.
#include "base.hpp"
#include "common/configuracion.hpp"

namespace dep::prueba {
namespace {

class Corrida : public BasePurga {
  protected:
    std::string Ultima() {
        return Uno("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'").ATexto();
    }
};

TEST_F(Corrida, SinCasillasGuardaLaFechaYMuestraLosTiempos) {
    for (bool& c : host.casillas) c = false;
    host.fecha = "31/12/2021";
    int tic = 0;
    dep->FijarReloj([&] { return Fecha::DesdeYMD(2024, 5, 1, 23, 59, 50 + 5 * tic++); });
    dep->Depurar();
    EXPECT_EQ(Ultima(), "31/12/2021");
    EXPECT_EQ(host.etiquetas[0], "23:59:50");
    EXPECT_EQ(host.etiquetas[2], "Final: 23:59:55");
    EXPECT_EQ(host.intervalos, (std::vector<int>{1, 0}));
    EXPECT_EQ(host.botones, std::vector<std::string>{"Cancelar Proceso"});
    dep->FijarReloj([] { return Fecha::DesdeYMD(2024, 5, 2, 0, 0, 20); });
    dep->Timer1_Timer();  // after "Final:" the elapsed time stays the run's
    EXPECT_EQ(host.etiquetas[1], "Actual: 00:00:20 Transcurrido: 00:00:05");
    host.etiquetas[2] = "";
    dep->Timer1_Timer();  // during a run across midnight: times of day only
    EXPECT_EQ(host.etiquetas[1], "Actual: 00:00:20 Transcurrido: 00:00:30");
    EXPECT_TRUE(espia->Con("TRUNCATE").empty());
    EXPECT_TRUE(op.Mensajes().empty());
}

TEST_F(Corrida, CanceladoAntesDeEmpezarNoGuardaLaFechaNiTocaTemporales) {
    Sql("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, Grupo) VALUES ('FECHAULTIMADEPURACION', '31/12/2019', "
        "'DATOS')");
    host.casillas[1] = false;
    host.fecha = "31/12/2021";
    dep->CmdCancelar_Click();
    EXPECT_EQ(host.botones, std::vector<std::string>{"CANCELANDO Espere..."});
    dep->Depurar();
    EXPECT_EQ(espia->Con("EXEC KS_DEPURA_STOCK '31/12/2021'").size(), 1u);  // stock never reads the flag
    EXPECT_TRUE(espia->Con("TRUNCATE").empty());
    EXPECT_EQ(op.Mensajes(), std::vector<std::string>{"Proceso Cancelado"});
    EXPECT_EQ(Ultima(), "31/12/2019");
}

TEST_F(Corrida, TemporalesVacianYBorranHastaLaFechaTalComoSeEscribio) {
    Sql("INSERT INTO AUX_TMP DEFAULT VALUES");
    Sql("INSERT INTO MV_TRANSMISIONESLOG (FECHA) VALUES ('31/12/2021')");
    Sql("INSERT INTO MV_TRANSMISIONESLOG (FECHA) VALUES ('01/01/2022')");
    Sql("DROP TABLE AUX_ANEXOA");  // a missing work table is skipped silently
    host.fecha = "31/12/2021";
    dep->DepuraTemporales();
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM AUX_TMP"), 0);
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_TRANSMISIONESLOG"), 1);
    EXPECT_EQ(espia->Con("TRUNCATE TABLE").size(), 11u);
    EXPECT_EQ(espia->Con("DELETE V_MV_PRECIOSHIS WHERE FECHA <= '31/12/2021'").size(), 1u);
    EXPECT_EQ(host.leyendas,
              (std::vector<std::string>{" Depurando temporales 100%", " Finalizado Temporales 100%"}));
    EXPECT_TRUE(op.Mensajes().empty());
    EXPECT_FALSE(host.hayError);
}

TEST_F(Corrida, StockMuestraLoQueDiceElServidor) {
    host.fecha = "31/12/2021";
    dep->DepuraStock();
    EXPECT_FALSE(host.hayError);
    EXPECT_EQ(host.leyendas.front(), "DEPURANDO.. ESTE PROCESO PUEDE TARDAR, NO LO INTERRUMPA 50%");
    EXPECT_EQ(host.leyendas.back(), "Finalizado Stock 100%");

    // A refused call: abort leaves the bar at 50%; ignore goes on and shows the server's text.
    Sql("DELETE FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = 'KS_DEPURA_STOCK'");
    host.leyendas.clear();
    dep->DepuraStock();
    EXPECT_TRUE(host.hayError);
    EXPECT_EQ(host.leyendas.size(), 1u);
    host.leyendas.clear();
    op.respuestasDialogo = {vb::kIgnorar};
    dep->DepuraStock();
    EXPECT_EQ(host.leyendas.back(), "Finalizado Stock 100%");
    ASSERT_EQ(op.Mensajes().size(), 1u);
    EXPECT_FALSE(op.Mensajes()[0].empty());
}

}  // namespace
}  // namespace dep::prueba
