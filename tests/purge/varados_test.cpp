// Summary rows that an interrupted run left on the day after the cut-off date: the next run moves
// the voucher that run recorded back to that run's cut-off date before its walk, and touches
// nothing else (not even a voucher that merely looks unfinished).
#include <algorithm>
#include <cmath>
#include <iterator>

#include "base.hpp"
#include "purge/diario.hpp"
#include "purge/pasada_en_curso.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep::prueba {
namespace {

bool EsResumen(const Asiento& a) {
    return a.detalle == "Depuracion" && a.letra == "X" && (a.tc == "CC" || a.tc == "FP");
}

class Varados : public BasePurga {
  protected:
    void Datos() {
        Tipos();
        Ejercicios();
        Entrada("FC", "00000001", "1.1.01", "D", 100, "01/03/2021");
        Entrada("FC", "00000001", "4.1.01", "H", 100, "01/03/2021");
        Entrada("FC", "00000002", "1.1.01", "D", 40, "02/03/2021");
        Entrada("FC", "00000002", "4.1.01", "H", 40, "02/03/2021");
        Entrada("FP", "00000001", "2.1.01", "H", 70, "01/03/2021");
        Entrada("FP", "00000001", "5.1.01", "D", 70, "02/03/2021");
    }
    // The first re-dating of `tipo` is refused: its summary rows stay on the day after the cut-off
    // date, as a kill between the last date's commit and the re-dating leaves them.
    void CortarRefechado(const std::string& tipo) {
        auto hecho = std::make_shared<bool>(false);
        espia->rechazar = [hecho, tipo](const std::string& q) {
            if (*hecho || !Contiene(q, "update MV_ASIENTOS set Fecha") || !Contiene(q, "TC = '" + tipo + "'"))
                return false;
            return *hecho = true;
        };
    }
    // A row as another program writes it, on account 1.1.01 of branch 0001; `marca` names a column
    // (EsCierre or ES_SALDO_APERTURA) written 2.
    void Renglon(const std::string& tc, const std::string& numero, const std::string& letra, int secuencia,
                 const std::string& dh, double importe, const std::string& fecha, int mes,
                 const std::string& detalle, const std::string& marca = "") {
        Sql("INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], IMPORTE, "
            "PERIODO, FECHA, MES_OPERATIVO, DETALLE" +
            (marca.empty() ? "" : ", " + marca) + ") VALUES ('1.1.01', '" + tc + "', '0001', '" + numero +
            "', '" + letra + "', " + std::to_string(secuencia) + ", '" + dh + "', " + TextoNumero(importe) +
            ", " + fecha.substr(6, 4) + ", '" + fecha + "', " + std::to_string(mes) + ", '" + detalle + "'" +
            (marca.empty() ? "" : ", 2") + ")");
    }
    long long Varadas(const std::string& dia) {
        return Filas("DETALLE = 'Depuracion' AND LETRA = 'X' AND TC IN ('CC','FP') AND FECHA = '" + dia +
                     "'");
    }
    // Per family and group key: the summary rows, wherever they stand, plus the ordinary entries
    // left before `fin`. A consolidation up to the day before `fin` keeps these sums.
    std::map<std::pair<bool, ClaveGrupo>, double> Libro(const std::vector<Asiento>& v, const Fecha& fin) {
        std::map<std::pair<bool, ClaveGrupo>, double> m;
        for (const auto& a : v)
            if (EsResumen(a) || (a.cierre == 0 && a.apertura == 0 && a.fecha < fin))
                m[{FamiliaFP(a.tc), Grupo(a)}] += a.importe;
        for (auto it = m.begin(); it != m.end();)
            it = std::abs(it->second) < 0.005 ? m.erase(it)
                                              : (it->second = std::round(it->second * 100) / 100, ++it);
        return m;
    }
};

TEST_F(Varados, SobreUnaDemostracionLaCorridaSiguienteLosDevuelveAlCorteYLosLibrosCuadran) {
    Demo(1500, 7);
    const std::string corte = "31/10/2021", siguiente = "01/11/2021";
    const Fecha fin = *ReconocerFecha(siguiente);
    const auto original = Asientos();
    const auto libro = Libro(original, fin);
    ASSERT_GT(libro.size(), 20u);

    CortarRefechado("CC");
    Consolidar(corte);
    ASSERT_EQ(espia->rechazadas, 1);
    ASSERT_GT(Varadas(siguiente), 0);
    EXPECT_EQ(Libro(Asientos(), fin), libro);  // nothing lost, only misdated

    Olvidar();
    Consolidar(corte);
    EXPECT_FALSE(host.hayError) << (op.Mensajes().empty() ? "" : op.Mensajes()[0]);
    EXPECT_TRUE(op.Mensajes().empty());
    EXPECT_EQ(Varadas(siguiente), 0);
    const auto despues = Asientos();
    EXPECT_EQ(Libro(despues, fin), libro);
    for (const auto& a : despues)
        if (EsResumen(a)) {
            EXPECT_EQ(TextoFecha(a.fecha), corte) << a.tc << " " << a.numero;
        }
    // The entries after the cut-off date are as they were.
    std::vector<Asiento> posteriores;
    std::copy_if(original.begin(), original.end(), std::back_inserter(posteriores),
                 [&](const Asiento& a) { return !(a.fecha < fin); });
    Intactas(posteriores);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
}

TEST_F(Varados, SoloSeTocaElComprobanteRegistradoNoLosQueSeLeParecen) {
    Datos();
    const auto original = Asientos();
    const Fecha fin = *ReconocerFecha("03/03/2021");
    CortarRefechado("CC");
    Consolidar("02/03/2021");
    ASSERT_GT(Varadas("03/03/2021"), 0);

    // Rows dated the day after the cut-off date that no consolidation left there: an ordinary
    // entry, and rows that differ from a summary row in letter, detail or voucher type.
    Entrada("FC", "00000009", "1.1.01", "D", 5, "03/03/2021");
    Renglon("CC", "00000005", "A", 1, "D", 7, "03/03/2021", 3, "Depuracion");
    Renglon("CC", "00000006", "X", 1, "D", 8, "03/03/2021", 3, "A mano");
    Renglon("FC", "00000007", "X", 1, "D", 9, "03/03/2021", 3, "Depuracion");
    // A voucher that looks exactly like an unfinished one but that no run recorded (a finished
    // one, another runner's): it is no business of this run's.
    Renglon("CC", "00000004", "X", 1, "D", 6, "03/03/2021", 3, "Depuracion");
    const auto ajenos = Asientos(
        "WHERE FECHA = '03/03/2021' AND NOT (TC = 'CC' AND NUMERO = '00000001' AND LETRA = 'X' AND DETALLE = "
        "'Depuracion')");
    ASSERT_EQ(ajenos.size(), 5u);

    Olvidar();
    Consolidar("02/03/2021");
    EXPECT_FALSE(host.hayError);
    EXPECT_EQ(Filas("TC = 'CC' AND NUMERO = '00000001' AND "
                    "FECHA = '03/03/2021'"),
              0);
    Intactas(ajenos);  // still on 03/03/2021, as selected
    // The books of the original entries balance; the rows added above are counted on both sides.
    std::vector<Asiento> conAjenos = original;
    conAjenos.insert(conAjenos.end(), ajenos.begin(), ajenos.end());
    EXPECT_EQ(Libro(Asientos(), fin), Libro(conAjenos, fin));
}

TEST_F(Varados, UnComprobanteTerminadoNoSeTomaPorVaradoEnUnaCorridaConCorteAnterior) {
    // A complete run up to 28/02 dates its summary 28/02 with the month of 01/03; a later run up
    // to 27/02 writes the month of 28/02, so it does not mistake that voucher for one of its own.
    Tipos();
    Ejercicios();
    Entrada("FC", "00000001", "1.1.01", "D", 10, "27/02/2021");
    Entrada("FC", "00000002", "1.1.01", "D", 20, "28/02/2021");
    Entrada("FC", "00000003", "1.1.01", "D", 30, "01/03/2021");
    Consolidar("28/02/2021");
    ASSERT_FALSE(host.hayError);
    const auto antes = Resumen(false);
    ASSERT_EQ(antes.size(), 1u);
    EXPECT_EQ(TextoFecha(antes[0].fecha), "28/02/2021");
    EXPECT_EQ(antes[0].mes, 3);

    Olvidar();
    Consolidar("27/02/2021");
    const auto despues = Resumen(false);
    ASSERT_EQ(despues.size(), 1u);
    EXPECT_EQ(despues[0].id, antes[0].id);
    EXPECT_EQ(TextoFecha(despues[0].fecha), "28/02/2021");
    EXPECT_TRUE(espia->Con("update MV_ASIENTOS set Fecha").empty());
}

TEST_F(Varados, SuRefechadoRechazadoSeInformaYNoPierdeNada) {
    Datos();
    const auto original = Asientos();
    const Fecha fin = *ReconocerFecha("03/03/2021");
    const auto libro = Libro(original, fin);
    CortarRefechado("FP");
    Consolidar("02/03/2021");
    const long long varadas = Varadas("03/03/2021");
    ASSERT_GT(varadas, 0);

    Olvidar();
    const long long auditoria = Auditoria();
    espia->rechazar = [](const std::string& q) {
        return Contiene(q, "update MV_ASIENTOS set Fecha") && Contiene(q, "TC = 'FP'") &&
               Contiene(q, "NUMERO = '00000002'");
    };
    Consolidar("02/03/2021");
    EXPECT_EQ(espia->rechazadas, 1);
    EXPECT_TRUE(host.hayError);
    EXPECT_THAT(
        op.Mensajes(),
        ElementsAre(AllOf(HasSubstr("COMPROBANTE FP 000100000002X DE SALDO INICIAL QUE UNA"),
                          HasSubstr("QUE UNA CORRIDA INTERRUMPIDA DEJO SIN TERMINAR"),
                          HasSubstr("A LA FECHA 02/03/2021: SUS RENGLONES QUEDARON CON FECHA 03/03/2021"),
                          HasSubstr("Rechazo de prueba"))));
    EXPECT_THAT(Log(), HasSubstr("INTERRUMPIDA"));
    EXPECT_EQ(Varadas("03/03/2021"), varadas);
    EXPECT_EQ(Libro(Asientos(), fin), libro);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
    TriggersEncendidos(auditoria);

    Olvidar();
    Consolidar("02/03/2021");
    EXPECT_FALSE(host.hayError);
    EXPECT_EQ(Varadas("03/03/2021"), 0);
    EXPECT_EQ(Libro(Asientos(), fin), libro);
}

TEST_F(Varados, LaVistaPreviaLosNombraSinTocarlosYLaCorridaRefechaEsos) {
    Datos();
    // Both passes are cut before their re-dating; a voucher that looks unfinished but that no run
    // recorded, and rows that differ from a summary row in letter or detail, are no stranded ones.
    espia->rechazar = [](const std::string& q) { return Contiene(q, "update MV_ASIENTOS set Fecha"); };
    Consolidar("02/03/2021");
    Renglon("CC", "00000004", "X", 1, "D", 6, "03/03/2021", 3, "Depuracion");
    Renglon("CC", "00000005", "A", 1, "D", 7, "03/03/2021", 3, "Depuracion");
    Renglon("FP", "00000006", "X", 1, "D", 8, "03/03/2021", 3, "A mano");
    Olvidar();
    std::map<std::string, std::map<std::string, long long>> esperado;  // type, key: rows
    for (const auto& a : Asientos())
        if (EsResumen(a) && TextoFecha(a.fecha) == "03/03/2021")
            ++esperado[a.tc][a.sucursal + a.numero + a.letra];
    ASSERT_EQ(esperado["CC"].size(), 2u);
    ASSERT_EQ(esperado["CC"]["000100000004X"], 1);
    esperado["CC"].erase("000100000004X");
    ASSERT_EQ(esperado["FP"].size(), 1u);

    long long varadas = 0;
    for (const auto& [tc, claves] : esperado)
        for (const auto& [clave, n] : claves) varadas += n;
    const long long filas = Cuantos("SELECT COUNT(*) FROM MV_ASIENTOS");
    const long long suma = Cuantos("SELECT SUM(IMPORTE) FROM MV_ASIENTOS");
    const VistaPrevia v = CalcularVistaPrevia(*s, "02/03/2021", false, true, false);
    EXPECT_EQ(Varadas("03/03/2021"), varadas + 1);
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM MV_ASIENTOS"), filas);
    EXPECT_EQ(Cuantos("SELECT SUM(IMPORTE) FROM MV_ASIENTOS"), suma);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
    EXPECT_TRUE(espia->Con("update MV_ASIENTOS set Fecha").empty());
    ASSERT_EQ(v.pasadas.size(), 2u);
    for (const auto& p : v.pasadas) {
        std::map<std::string, long long> nombrados;
        for (const auto& c : p.varados) nombrados[c.comprobante] = c.filas;
        EXPECT_EQ(nombrados, esperado[p.tipo]) << p.tipo;
    }
    const auto& cc = v.pasadas[0].varados;
    const std::string linea =
        "Comprobante de una corrida interrumpida que se pasará a su fecha de corte: CC " + cc[0].comprobante +
        " (" + TextoEntero(cc[0].filas) + " renglones, al 02/03/2021)\n";
    EXPECT_THAT(TextoVistaPrevia(v), HasSubstr(linea));
    EXPECT_THAT(JsonVistaPrevia(v),
                HasSubstr("\"varados\":[{\"comprobante\":\"" + cc[0].comprobante +
                          "\",\"filas\":" + TextoEntero(cc[0].filas) + ",\"corte\":\"02/03/2021\"}]"));

    // The run re-dates exactly those, with the rows named, and folds them in as counted.
    Diario d((carpeta / "diario.jsonl").string());
    {
        DiarioEnCorrida mirando(*dep, d);
        Consolidar("02/03/2021");
    }
    EXPECT_FALSE(host.hayError) << (op.Mensajes().empty() ? "" : op.Mensajes()[0]);
    for (const auto& p : v.pasadas) {
        std::map<std::string, long long> refechados;
        long long borradas = 0, resumen = 0;
        for (const auto& u : d.Unidades()) {
            if (u.purga != Purga::Asientos || u.pasada != p.tipo) continue;
            if (u.tipo == TipoUnidad::Recuperado)
                refechados[u.comprobante] = u.filas;
            else if (u.tipo == TipoUnidad::Refechado && u.comprobante == p.comprobante)
                resumen = u.filas;
            else
                borradas += u.borradas;
        }
        EXPECT_EQ(refechados, esperado[p.tipo]) << p.tipo;
        EXPECT_EQ(borradas, p.asientos + p.cierres) << p.tipo;
        EXPECT_EQ(resumen, p.grupos) << p.tipo;
    }
    EXPECT_EQ(Varadas("03/03/2021"), 1);          // the voucher no run recorded
    EXPECT_EQ(Filas("FECHA = '03/03/2021'"), 3);  // the look-alikes
}

TEST_F(Varados, SinVaradosLaVistaPreviaNoNombraNingunoYSoloSeAgregaUnaConsultaPorPasada) {
    Datos();
    const VistaPrevia v = CalcularVistaPrevia(*s, "02/03/2021", false, true, false);
    ASSERT_EQ(v.pasadas.size(), 2u);
    for (const auto& p : v.pasadas) EXPECT_TRUE(p.varados.empty()) << p.tipo;
    EXPECT_THAT(TextoVistaPrevia(v), Not(HasSubstr("corrida interrumpida")));
    EXPECT_THAT(JsonVistaPrevia(v),
                HasSubstr("\"grupos\":" + TextoEntero(v.pasadas[1].grupos) + ",\"varados\":[]}"));

    Olvidar();
    Consolidar("02/03/2021");
    EXPECT_FALSE(host.hayError);
    EXPECT_EQ(
        espia->Con("SELECT VALOR, ValorAux FROM TA_CONFIGURACION WHERE CLAVE = 'DEPURACION_EN_CURSO_").size(),
        2u);
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE LIKE 'DEPURACION_EN_CURSO%'"), 0);
    const auto refechados = espia->Con("update MV_ASIENTOS set Fecha");
    ASSERT_EQ(refechados.size(), 2u);
    EXPECT_EQ(refechados[0],
              "update MV_ASIENTOS set Fecha = '02/03/2021' WHERE TC = 'CC' AND SUCURSAL = "
              "'0001' AND NUMERO = '00000001' AND LETRA = 'X'");
    EXPECT_EQ(espia->Con("DISABLE TRIGGER").size(), espia->Con("'Depuracion' AS detalle").size() + 2);
}

// The balance at `dia` per family and group key: every ordinary entry and summary row dated up
// to that day. A consolidation keeps it at its cut-off date and at every later one.
std::map<std::pair<bool, ClaveGrupo>, long long> SaldoAl(const std::vector<Asiento>& v, const Fecha& dia) {
    std::map<std::pair<bool, ClaveGrupo>, long long> m;
    for (const auto& a : v)
        if (a.cierre == 0 && a.apertura == 0 && !(dia < a.fecha.SoloDia()))
            m[{FamiliaFP(a.tc), Grupo(a)}] += std::llround(a.importe * 100);
    for (auto it = m.begin(); it != m.end();) it = it->second == 0 ? m.erase(it) : std::next(it);
    return m;
}

class Recuperacion : public Varados {
  protected:
    void Meses() {
        Tipos();
        Ejercicios();
        for (int mes = 1; mes <= 6; ++mes)
            for (int dia : {3, 17}) {
                const std::string f =
                    (dia < 10 ? "0" : "") + std::to_string(dia) + "/0" + std::to_string(mes) + "/2021";
                const std::string n = "0000" + std::to_string(1000 + mes * 100 + dia);
                Entrada("FC", n, "1.1.01", "D", 10.25 * mes + dia, f);
                Entrada("FC", n, "4.1.01", "H", 10.25 * mes + dia, f);
                Entrada("FP", n, "2.1.01", "H", 3.5 * mes + dia, f);
                Entrada("FP", n, "5.1.01", "D", 3.5 * mes + dia, f);
            }
    }
};

TEST_F(Recuperacion, UnaCorridaMuertaConCorteLejanoNoDescuadraElSaldoDeUnaCorridaConCorteAnterior) {
    Meses();
    const auto original = Asientos();
    // A run up to 31/05 dies mid-walk: cancelled after its walk passed mid-March, its re-dating
    // cut, so the record stays with the voucher on 01/06.
    CortarRefechado("CC");
    int cedidas = 0;
    host.alProcesar = [&](AnfitrionPrueba& h) {
        if (++cedidas == 33) h.cancelado = true;
    };
    Consolidar("31/05/2021");
    host.alProcesar = nullptr;
    host.cancelado = false;
    ASSERT_GT(Varadas("01/06/2021"), 0);
    const auto rec = LeerPasadaEnCurso(*datos, "CC");
    ASSERT_TRUE(rec && !rec->ultima.empty());
    const Fecha ultima = *ReconocerFecha(rec->ultima);
    ASSERT_LT(ultima, *ReconocerFecha("31/03/2021"));

    Olvidar();
    Consolidar("31/03/2021");
    EXPECT_FALSE(host.hayError) << (op.Mensajes().empty() ? "" : op.Mensajes()[0]);
    EXPECT_EQ(Varadas("01/06/2021"), 0);
    const auto despues = Asientos();
    for (const char* dia : {"31/03/2021", "30/04/2021", "30/06/2021"}) {
        const Fecha d = *ReconocerFecha(dia);
        EXPECT_EQ(SaldoAl(despues, d), SaldoAl(original, d)) << dia;
    }
    EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE LIKE 'DEPURACION_EN_CURSO%'"), 0);
}

TEST_F(Recuperacion, UnRegistroQueNombraOtraCosaSeRehusaSinMoverNada) {
    struct Caso {
        const char* nombre;
        const char* valor;  // VALOR, ValorAux of the record of CC
        const char* aux;
        bool consolida;  // the walk goes on (the record is dropped) or stops
    };
    const Caso casos[] = {
        // An ordinary voucher of 2023, a finished summary voucher, a record with no valid date.
        {"ordinario", "000100000077X", "31/12/2022", false},
        {"terminado", "000100000088X", "28/02/2021;27/02/2021", false},
        // The pass's own rows, but a last walk date after its cut-off date, which no walk writes.
        {"fecha imposible", "000100000099X", "28/02/2021;31/12/9999", false},
        {"ilegible", "000100000077X", "31/13/2022", true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Nueva(c.nombre);
        Meses();
        Renglon("CC", "00000077", "X", 1, "D", 123.45, "05/01/2023", 1, "Factura");
        Renglon("CC", "00000077", "X", 2, "H", 123.45, "05/01/2023", 1, "Factura");
        Renglon("CC", "00000088", "X", 1, "D", 500, "28/02/2021", 3, "Depuracion");
        Renglon("CC", "00000088", "X", 2, "H", 500, "01/03/2021", 3, "Depuracion");
        Renglon("CC", "00000099", "X", 1, "D", 70, "01/03/2021", 3, "Depuracion");
        Sql(std::string("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo) VALUES "
                        "('DEPURACION_EN_CURSO_CC', '") +
            c.valor + "', '" + c.aux + "', 'DATOS')");
        const auto antes = Asientos("WHERE NUMERO IN ('00000077', '00000088', '00000099')");
        Olvidar();
        Consolidar("31/03/2021");
        EXPECT_TRUE(host.hayError);
        EXPECT_THAT(op.Mensajes(), ElementsAre(HasSubstr("DEPURACION INTERRUMPIDA")));
        if (!c.consolida) Intactas(antes);  // else the walk folds the finished voucher in, as any run would
        EXPECT_EQ(Filas("TC = 'FC' AND FECHA <= '31/03/2021'") == 0, c.consolida);
        EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE CLAVE = 'DEPURACION_EN_CURSO_CC'"),
                  c.consolida ? 0 : 1);
    }
}

TEST_F(Recuperacion, ElBorradoRechazadoDeUnRegistroIlegibleLlegaAlOperador) {
    // Dropping an unreadable record is a statement like any other: its refusal is reported
    // through the error trap, never taken for done.
    Meses();
    Sql("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo) VALUES ('DEPURACION_EN_CURSO_CC', "
        "'000100000077X', '31/13/2022', 'DATOS')");
    const auto saldo = SaldoAl(Asientos(), *ReconocerFecha("31/03/2021"));
    Olvidar();
    espia->Rechazar("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'DEPURACION_EN_CURSO_CC'", 1);
    Consolidar("31/03/2021");
    EXPECT_EQ(espia->rechazadas, 1);
    EXPECT_TRUE(host.hayError);
    EXPECT_THAT(op.llamadas,
                Contains(Field(&OperadorGuionado::Llamada::descripcion, HasSubstr("Rechazo de prueba"))));
    EXPECT_EQ(SaldoAl(Asientos(), *ReconocerFecha("31/03/2021")), saldo);
}

TEST_F(Recuperacion, LaGuardiaDeUnaFechaDetieneUnBorradoQueSeLlevariaMasDeLoFusionado) {
    Meses();
    const auto original = Asientos();
    // Another program writes, between two dates of the walk (after the checks made before it), a
    // row that is neither ordinary nor a closing or opening entry: the delete would take it
    // without summing it.
    bool escrita = false;
    host.alProcesar = [&](AnfitrionPrueba&) {
        if (escrita || espia->NivelTransaccion() != 0) return;
        escrita = true;
        Renglon("FC", "00009999", "A", 1, "D", 50, "17/02/2021", 2, "otro programa", "EsCierre");
    };
    Consolidar("31/03/2021");
    ASSERT_TRUE(escrita);
    EXPECT_TRUE(host.hayError);
    EXPECT_THAT(op.Mensajes(), ElementsAre(AllOf(HasSubstr("LA FECHA 17/02/2021 DE LA PASADA CC SE DESHIZO"),
                                                 HasSubstr("SE LLEVARIA"))));
    // What the walk committed before that date stays consolidated and re-dated; nothing is lost.
    EXPECT_EQ(Filas("NUMERO = '00009999'"), 1);
    const auto despues = Asientos();
    for (const char* dia : {"31/03/2021", "30/06/2021"}) {
        const Fecha d = *ReconocerFecha(dia);
        EXPECT_EQ(SaldoAl(despues, d), SaldoAl(original, d)) << dia;
    }
    EXPECT_EQ(Filas("TC = 'FP' AND DETALLE = 'Depuracion'"), 0);
    EXPECT_EQ(espia->NivelTransaccion(), 0);
}

TEST_F(Recuperacion, MarcasQueNoSonNiCeroNiUnoDetienenLaConsolidacionAntesDeEmpezar) {
    Meses();
    Renglon("FP", "00009999", "A", 1, "D", 50, "17/02/2021", 2, "otro programa", "ES_SALDO_APERTURA");
    const auto antes = Asientos();
    Consolidar("31/03/2021");
    EXPECT_TRUE(host.hayError);
    EXPECT_THAT(op.Mensajes(),
                ElementsAre(HasSubstr("EsCierre Y ES_SALDO_APERTURA DE MV_ASIENTOS TIENEN 1 FILA(S)")));
    EXPECT_EQ(Asientos().size(), antes.size());
    EXPECT_TRUE(espia->Con("Delete MV_ASIENTOS").empty());
}

}  // namespace
}  // namespace dep::prueba
