// The consolidation on small real databases: the books after the run, and its edge cases.
#include <cmath>

#include "base.hpp"
#include "purge/diario.hpp"
#include "purge/pasadas.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep::prueba {
namespace {

class Asientos_ : public BasePurga {
  protected:
    // Three dates of both families, a closing entry and a bank voucher number.
    void Datos() {
        Tipos();
        Ejercicios();
        Entrada("FC", "00000001", "1.1.01", "D", 100, "01/03/2021");
        Entrada("FC", "00000001", "4.1.01", "H", 100, "01/03/2021");
        Entrada("CIE", "00000001", "3.1.01", "D", 999, "01/03/2021", "NULL", 1);
        Entrada("FC", "00000002", "1.1.01", "D", 50.25, "02/03/2021");
        Entrada("FC", "00000002", "1.1.02", "D", 10, "02/03/2021", "'CH1'");
        Entrada("FC", "00000002", "4.1.01", "H", 60.25, "02/03/2021");
        Entrada("FC", "00000003", "1.1.01", "D", 25, "03/03/2021");
        Entrada("FC", "00000003", "4.1.01", "H", 25, "03/03/2021");
        Entrada("FP", "00000001", "2.1.01", "H", 70, "01/03/2021");
        Entrada("CBFP", "00000001", "5.1.01", "D", 70, "01/03/2021");
        Entrada("FP", "00000002", "2.1.01", "H", 30, "03/03/2021");
        Entrada("FP", "00000002", "5.1.01", "D", 30, "03/03/2021");
    }
    std::map<ClaveGrupo, double> Hechas(bool fp) {
        std::map<ClaveGrupo, double> m;
        for (const auto& a : Resumen(fp)) {
            EXPECT_EQ(m.count(Grupo(a)), 0u) << "two summary rows for one key";
            m[Grupo(a)] += a.importe;
        }
        for (auto& [k, x] : m) x = std::round(x * 100) / 100;
        return m;
    }
    // Every family's summary equals the sums of `antes` up to `hasta`; nothing after it changed.
    void LibrosCuadran(const std::vector<Asiento>& antes, const Fecha& hasta) {
        for (bool fp : {false, true})  // both sides in whole cents
            EXPECT_EQ(Hechas(fp), Sumas(antes, fp, hasta)) << (fp ? "FP" : "CC");
        std::map<long long, double> despues;
        for (const auto& a : Asientos()) despues[a.id] = a.importe;
        for (const auto& a : antes) {
            if (a.fecha > hasta) {
                ASSERT_EQ(despues.count(a.id), 1u) << a.cuenta << " " << TextoFecha(a.fecha);
                EXPECT_DOUBLE_EQ(despues[a.id], a.importe);
            } else if (a.detalle != "Depuracion" && a.cierre == 0 && a.apertura == 0) {
                EXPECT_EQ(despues.count(a.id), 0u)
                    << "left behind: " << a.cuenta << " " << TextoFecha(a.fecha);
            }
        }
    }
};

TEST_F(Asientos_, LosLibrosCuadranYLosResumenesLlevanLoQueDebenLlevar) {
    Datos();
    const auto antes = Asientos();
    const long long auditoria = Auditoria();
    Consolidar("02/03/2021");
    EXPECT_FALSE(host.hayError);
    EXPECT_TRUE(op.Mensajes().empty());
    LibrosCuadran(antes, *ReconocerFecha("02/03/2021"));
    for (bool fp : {false, true}) {
        const auto r = Resumen(fp);
        ASSERT_FALSE(r.empty());
        // The number follows the highest of the type: FP vouchers 1 and 2 exist already.
        for (const auto& a : r)
            EXPECT_EQ(std::make_tuple(TextoFecha(a.fecha), a.sucursal, a.numero, a.letra, a.nroAsiento,
                                      a.periodo, a.mes),
                      std::make_tuple("02/03/2021", "0001", fp ? "00000003" : "00000001", "X", 1, 2021, 3));
    }
    // The closing entry went with the detail; the bank voucher number kept its own row.
    EXPECT_EQ(Filas("TC = 'CIE'"), 0);
    EXPECT_EQ(Filas("DETALLE = 'Depuracion' AND "
                    "NroComprobanteBancario = 'CH1'"),
              1);
    // The triggers were off for every write of the run and are on again after it.
    EXPECT_EQ(Auditoria(), auditoria);
    TriggersEncendidos(auditoria);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
    EXPECT_EQ(host.leyendas.back(), "03/03/2021 Finalizado Asientos 100%");
}

TEST_F(Asientos_, UnaSegundaCorridaPliegaLaPrimeraEnUnComprobanteNuevo) {
    Datos();
    const auto original = Asientos();
    Consolidar("02/03/2021");
    Consolidar("03/03/2021");
    EXPECT_FALSE(host.hayError);
    LibrosCuadran(original, *ReconocerFecha("03/03/2021"));
    for (bool fp : {false, true}) {
        double debe = 0, haber = 0;
        for (const auto& a : Resumen(fp)) {
            EXPECT_EQ(a.numero, fp ? "00000004" : "00000002") << a.cuenta;
            EXPECT_EQ(TextoFecha(a.fecha), "03/03/2021");
            (a.dh == "D" ? debe : haber) += a.importe;
        }
        EXPECT_DOUBLE_EQ(debe, haber);
    }
}

TEST_F(Asientos_, UnaFusionRechazadaUnaVezEnLaSegundaFechaQuedaIncluidaEnLaTercera) {
    Datos();
    const auto antes = Asientos();
    bool segunda = false, hecho = false;
    espia->rechazar = [&](const std::string& q) {
        if (Contiene(q, "GROUP BY") && Contiene(q, "Fecha <= '02/03/2021'")) segunda = true;
        if (segunda && !hecho && Contiene(q, "IF NOT EXISTS")) return hecho = true;
        return false;
    };
    Consolidar("03/03/2021");
    EXPECT_EQ(espia->rechazadas, 1);
    LibrosCuadran(antes, *ReconocerFecha("03/03/2021"));
    EXPECT_FALSE(host.hayError);
    EXPECT_THAT(op.Mensajes(), ElementsAre(AllOf(HasSubstr("(COMPROBANTE CC)"), HasSubstr("02/03/2021"),
                                                 HasSubstr("Rechazo de prueba"),
                                                 HasSubstr("UNA FECHA POSTERIOR LOS CONSOLIDO"))));
    EXPECT_THAT(Log(), HasSubstr("Rutina: - DepuraAsientos Mensaje ATENCION"));
}

TEST_F(Asientos_, UnGrupoSiempreRechazadoDejaLaPasadaSinConsolidarYLoDice) {
    Datos();
    const auto antes = Asientos();
    espia->rechazar = [](const std::string& q) { return Contiene(q, "CUENTA = '1.1.02'"); };
    Consolidar("03/03/2021");
    EXPECT_TRUE(host.hayError);
    // The summary holds the first date only; from the second on nothing of the family went.
    EXPECT_EQ(Hechas(false), Sumas(antes, false, *ReconocerFecha("01/03/2021")));
    EXPECT_EQ(Filas("TC = 'FC' AND NUMERO = '00000002'"), 3);
    // The other pass still ran to the end.
    EXPECT_EQ(Hechas(true), Sumas(antes, true, *ReconocerFecha("03/03/2021")));
    EXPECT_THAT(op.Mensajes(), ElementsAre(AllOf(HasSubstr("02/03/2021, 03/03/2021"),
                                                 HasSubstr("QUEDARON SIN CONSOLIDAR"))));
    EXPECT_EQ(espia->NivelTransaccion(), 0);
}

TEST_F(Asientos_, FaltaFPPeroNoCC) {
    Datos();
    Sql("DELETE FROM V_TA_CPTE WHERE CODIGO = 'FP'");
    const auto antes = Asientos();
    Consolidar("02/03/2021");
    EXPECT_EQ(op.Mensajes(),
              std::vector<std::string>{
                  "DEBE DAR DE ALTA EN TABLA DE COMPROBANTES EL CODIGO FP PARA SALDO INICIAL..."});
    EXPECT_EQ(Hechas(false), Sumas(antes, false, *ReconocerFecha("02/03/2021")));
    EXPECT_TRUE(Resumen(true).empty());
    EXPECT_EQ(Filas("TC IN ('FP','CBFP')"), 4);
}

TEST_F(Asientos_, CancelarEnLaPrimeraPasadaDejaUnSoloPasoEnLaSegunda) {
    Datos();
    host.alProcesar = [](AnfitrionPrueba& h) { h.cancelado = true; };
    Consolidar("03/03/2021");
    EXPECT_EQ(espia->Con("'Depuracion' AS detalle").size(), 2u);  // one date step per pass
    EXPECT_EQ(Filas("TC = 'FC' AND NUMERO = '00000001'"), 0);
    EXPECT_EQ(Filas("TC = 'FC' AND NUMERO = '00000002'"), 3);
    // The summary holds the sums up to the one date walked, and stands on that date: the balance
    // there and at every later date, the cut-off date included, stays whole.
    for (const auto& a : Resumen(false)) EXPECT_EQ(TextoFecha(a.fecha), "01/03/2021");
    EXPECT_FALSE(Resumen(true).empty());
}

TEST_F(Asientos_, LaHoraDelPrimerAsientoGuiaElRecorrido) {
    Tipos();
    Ejercicios();
    Entrada("FC", "00000001", "1.1.01", "D", 100, "01/03/2021 10:30");
    Entrada("FC", "00000002", "1.1.01", "D", 20, "02/03/2021 09:00");
    Entrada("FC", "00000003", "1.1.01", "D", 3, "02/03/2021 11:00");
    Consolidar("03/03/2021");
    EXPECT_FALSE(espia->Con("Fecha <= '02/03/2021 10:30:00'").empty());
    EXPECT_TRUE(espia->Con("Fecha <= '03/03/2021 10:30:00'").empty());
    const auto r = Resumen(false);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].importe, 120);
    EXPECT_EQ(Filas("NUMERO = '00000003'"), 1);
}

TEST_F(Asientos_, UnAsientoDe1900NoHaceRecorrerLasFechasVaciasYDejaLaMismaBase) {
    // The same books with their earliest entries far back or on the day before the others: the
    // database after the run is the same, and the far one walks no more dates than the near one
    // (one day at a time it would walk 44,000 empty dates a pass).
    auto correr = [&](const std::string& primera, std::size_t& fechas) {
        Nueva("p" + primera.substr(6, 4));
        Datos();
        Entrada("FC", "00000009", "1.1.01", "D", 7, primera);
        Entrada("FC", "00000009", "4.1.01", "H", 7, primera);
        Entrada("FP", "00000009", "2.1.01", "H", 3, primera);
        Entrada("FP", "00000009", "5.1.01", "D", 3, primera, "NULL", 1);
        const VistaPrevia previa = CalcularVistaPrevia(*s, "03/03/2021", false, true, false);
        Consolidar("03/03/2021");
        fechas = espia->Con("'Depuracion' AS detalle").size();
        // The preview counts the dates the walk visits.
        EXPECT_EQ(previa.pasadas.size(), 2u);
        for (const auto& p : previa.pasadas) {
            long long visitadas = 0;
            for (const auto& q : espia->Con("'Depuracion' AS detalle"))
                visitadas += Contiene(q, kPasadas[p.tipo == "FP" ? 1 : 0].filtro);
            EXPECT_EQ(p.fechas, visitadas) << p.tipo;
        }
        std::string volcado;
        for (const auto& a : Asientos())
            volcado += std::to_string(a.id) + "|" + a.cuenta + "|" + a.tc + "|" + a.sucursal + a.numero +
                       a.letra + "|" + a.dh + "|" + TextoNumero(a.importe) + "|" +
                       std::to_string(a.secuencia) + "|" + TextoFecha(a.fecha) + "|" + a.detalle + "|" +
                       std::to_string(a.periodo) + "|" + std::to_string(a.mes) + "|" +
                       std::to_string(a.nroAsiento) + "\n";
        return volcado;
    };
    std::size_t lejanas = 0, cercanas = 0;
    const std::string lejana = correr("01/01/1900", lejanas);
    const std::string cercana = correr("28/02/2021", cercanas);
    EXPECT_EQ(lejana, cercana);
    EXPECT_EQ(lejanas, cercanas);
    EXPECT_FALSE(espia->Con("Fecha <= '03/03/2021'").empty()) << "the walk still reaches the cut-off date";
}

TEST_F(Asientos_, UnaCuentaConComillaSeConsolida) {
    Tipos();
    Ejercicios();
    Entrada("FC", "00000001", "O'HIGGINS", "D", 10, "01/03/2021");
    Entrada("FC", "00000002", "O'HIGGINS", "D", 5, "02/03/2021");
    Consolidar("02/03/2021");
    const auto r = Resumen(false);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cuenta, "O'HIGGINS");
    EXPECT_DOUBLE_EQ(r[0].importe, 15);
    EXPECT_TRUE(op.Mensajes().empty());
}

TEST_F(Asientos_, UnaSalidaDeLaTrampaEnMediaFechaDeshaceLaFechaYEnciendeLosTriggers) {
    Datos();
    const long long auditoria = Auditoria();
    espia->rechazar = [](const std::string& q) {
        return Contiene(q, "GROUP BY") && Contiene(q, "Fecha <= '02/03/2021'");
    };
    Consolidar("03/03/2021");  // the dialog answers abort
    EXPECT_TRUE(host.hayError);
    EXPECT_EQ(op.Cuantas(OperadorGuionado::Tipo::DialogoError), 1u);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
    EXPECT_EQ(Filas("TC = 'FC' AND NUMERO = '00000001'"), 0);
    EXPECT_EQ(Filas("TC = 'FC' AND NUMERO = '00000002'"), 3);
    EXPECT_TRUE(espia->Con("TC = 'FP' AND SUCURSAL").empty());  // pass 2 did not run
    TriggersEncendidos(auditoria);
}

TEST_F(Asientos_, UnaConexionPerdidaEnMediaFechaDejaLaPurgaInterrumpidaEnElDiario) {
    Datos();
    espia->rechazar = [&](const std::string& q) {
        if (!Contiene(q, "GROUP BY") || !Contiene(q, "Fecha <= '02/03/2021'")) return false;
        espia->cerrada = true;
        return true;
    };
    Diario d((carpeta / "diario.jsonl").string());
    {
        DiarioEnCorrida mirando(*dep, d);
        d.Iniciar("03/03/2021", false, true, false);
        Consolidar("03/03/2021");  // the dialog answers abort
        d.Terminar(false);
    }
    std::vector<std::string> vistos;
    for (const auto& u : d.Unidades())
        if (u.purga == Purga::Asientos) vistos.push_back(Diario::TextoUnidad(u) + " " + u.resultado);
    EXPECT_EQ(vistos, (std::vector<std::string>{"01/03/2021 ok", "02/03/2021 rechazada", "purga interrumpida",
                                                "pendiente pendiente"}));
    // The undone date carries the database's refusal, as the stopped purge does.
    EXPECT_THAT(d.Unidades(), Contains(AllOf(Field(&UnidadDiario::unidad, "02/03/2021"),
                                             Field(&UnidadDiario::error, HasSubstr("Rechazo de prueba")))));
    espia->cerrada = false;
}

TEST_F(Asientos_, LaTrampaEntreApagarYEncenderAlRefecharDejaTodoEncendido) {
    Datos();
    const long long auditoria = Auditoria();
    int alterar = 0;
    espia->rechazar = [&](const std::string& q) {
        // The enabling statement that follows the first re-dating.
        if (Contiene(q, "update MV_ASIENTOS set Fecha")) alterar = 1;
        return alterar == 1 && Contiene(q, "ENABLE TRIGGER") && ++alterar;
    };
    Consolidar("02/03/2021");
    EXPECT_TRUE(host.hayError);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
    for (const auto& a : Resumen(false)) EXPECT_EQ(TextoFecha(a.fecha), "03/03/2021");  // re-dating undone
    TriggersEncendidos(auditoria);
}

TEST_F(Asientos_, UnRefechadoRechazadoSeInforma) {
    Datos();
    espia->rechazar = [](const std::string& q) { return Contiene(q, "update MV_ASIENTOS set Fecha"); };
    Consolidar("02/03/2021");
    EXPECT_TRUE(host.hayError);
    EXPECT_THAT(op.Mensajes(),
                ElementsAre(AllOf(HasSubstr("COMPROBANTE CC 000100000001X"), HasSubstr("03/03/2021")), _));
    for (const auto& a : Resumen(false)) EXPECT_EQ(TextoFecha(a.fecha), "03/03/2021");
    EXPECT_EQ(espia->NivelTransaccion(), 0);
}

TEST_F(Asientos_, ElNumeroSigueAlMayorDelTipo) {
    Datos();
    Sql("INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE, FECHA) VALUES "
        "('1', 'CC', '0001', '00000123', 'X', 'D', 1, '01/01/2023')");
    Consolidar("02/03/2021");
    const auto r = Resumen(false);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0].numero, "00000124");
}

class AsientosDemo : public Asientos_ {
  protected:
    // The last moment the walk reaches: the earliest entry's date and time, one day at a time.
    Fecha UltimoPaso(const std::vector<Asiento>& v, const std::string& hasta) {
        Fecha f = v.front().fecha;
        for (const auto& a : v) f = std::min(f, a.fecha);
        const Fecha corte = *ReconocerFecha(hasta);
        while (!(f.SumarDias(1) > corte)) f = f.SumarDias(1);
        return f;
    }
};

TEST_F(AsientosDemo, DosCorridasSobreUnaBaseDeDemostracionCuadran) {
    Demo(3000, 3);
    const auto original = Asientos();
    Consolidar("30/06/2022");
    EXPECT_FALSE(host.hayError) << (op.Mensajes().empty() ? "" : op.Mensajes()[0]);
    const Fecha primera = UltimoPaso(original, "30/06/2022");
    LibrosCuadran(original, primera);
    Consolidar("31/12/2022");
    EXPECT_FALSE(host.hayError);
    LibrosCuadran(original, UltimoPaso(original, "31/12/2022"));
    for (bool fp : {false, true}) {
        const auto r = Resumen(fp);
        ASSERT_FALSE(r.empty());
        for (const auto& a : r) EXPECT_EQ(TextoFecha(a.fecha), "31/12/2022");
    }
}

}  // namespace
}  // namespace dep::prueba
