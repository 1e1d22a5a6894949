// The run driver, the stock purge and the temporaries purge.
#include "base.hpp"
#include "common/configuracion.hpp"
#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "purge/diario.hpp"
#include "purge/informe.hpp"

#include <filesystem>

namespace dep::prueba {
namespace {

class Corrida : public BasePurga {
  protected:
    std::string Ultima() {
        return Uno("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'").ATexto();
    }
};

TEST(FechaCorte, HastaHoySeAceptaYUnDiaPosteriorSeRechazaDiciendoHoy) {
    const Fecha hoy = Fecha::DesdeYMD(2026, 12, 9, 8, 15, 0);
    const std::string posterior = "La fecha de corte no puede ser posterior a hoy (09/12/2026)";
    const struct {
        const char* texto;
        std::string rechazo;
    } casos[] = {
        {"09/12/2026", ""},
        {"09/12/2026 23:59", ""},
        {"30/06/2022", ""},
        {"10/12/2026", posterior},
        {"30/06/2202", posterior},
        {"1/1/27", posterior},
        {"31/02/2022", "Fecha incorrecta"},
        {"31/12/9999", "Fecha incorrecta"},
    };
    for (const auto& k : casos) EXPECT_EQ(RechazoFechaCorte(k.texto, hoy), k.rechazo) << k.texto;
}

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

// A cancel asked at each of the program's own steps: the backup, the compaction, and between
// the stock purge and the consolidation. Whatever ran says so; no date is stored.
TEST_F(Corrida, CancelarEnCadaPasoPropioDejaLaCorridaCanceladaYDiceLoQueSeHizo) {
    enum class Donde { Copia, Compactacion, TrasElStock };
    const struct {
        const char* que;
        Donde donde;
        std::vector<std::string> purgas;  // stock, asientos, temporales: their outcome
    } casos[] = {
        {"durante la copia", Donde::Copia, {"cancelada", "cancelada", "cancelada"}},
        {"durante la compactacion", Donde::Compactacion, {"ok", "ok", "ok"}},
        {"tras el stock", Donde::TrasElStock, {"ok", "cancelada", "cancelada"}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.que);
        const std::string base = (carpeta / (std::string(c.que) + ".db")).string();
        CrearEsquema(base);
        // Enough freed pages for the compaction to have work to stop.
        demo::Bd(base).Ejecutar(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) INSERT INTO "
            "MV_TRANSMISIONESLOG (FECHA) SELECT '2020-01-01 00:00:00' FROM n");
        Abrir(base);
        Tipos();
        Ejercicios();
        Entrada("FC", "00000001", "1.1.01", "D", 100, "01/03/2021");
        Entrada("FC", "00000002", "1.1.01", "D", 40, "02/03/2021");
        const auto tam = std::filesystem::file_size(base);
        const std::filesystem::path copias = carpeta / (std::string(c.que) + "-copias");
        host = AnfitrionPrueba{};
        op.Olvidar();
        dep->FijarCompactar(c.donde == Donde::Compactacion);
        dep->FijarCopia(c.donde == Donde::Copia ? std::optional<std::string>(copias.string()) : std::nullopt);
        if (c.donde == Donde::TrasElStock)
            host.alProcesar = [](AnfitrionPrueba& h) { h.cancelado = h.cancelado || h.eventos == 2; };
        else
            host.pedida = [] { return true; };
        CorrerConDiario("02/03/2021", (carpeta / (std::string(c.que) + ".jsonl")).string());
        EXPECT_TRUE(host.cancelado);
        EXPECT_EQ(op.Mensajes(), std::vector<std::string>{"Proceso Cancelado"});
        EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'FECHAULTIMADEPURACION'"), 0);
        const Informe i = ArmarInforme(*diario);
        std::vector<std::string> purgas;
        for (const auto& p : i.purgas) purgas.push_back(p.resultado);
        EXPECT_EQ(purgas, c.purgas);
        EXPECT_FALSE(ConErrores(i));
        if (c.donde == Donde::Copia) {
            EXPECT_TRUE(espia->Con("KS_DEPURA_STOCK").empty());
            EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_TRANSMISIONESLOG"), 20000);
            EXPECT_TRUE(!std::filesystem::exists(copias) || std::filesystem::is_empty(copias));
        }
        if (c.donde == Donde::Compactacion) {
            EXPECT_EQ(i.compactacion, "cancelada");
            EXPECT_GE(std::filesystem::file_size(base), tam);  // the freed pages are still there
        }
        if (c.donde == Donde::TrasElStock) {
            EXPECT_EQ(espia->Con("'Depuracion' AS detalle").size(), 2u);  // one date step per pass
        }
    }
}

}  // namespace
}  // namespace dep::prueba
