// The window's preview button, and the journal and report of its runs, on a real demo database.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <fstream>

#include <nlohmann/json.hpp>
#include "apoyo.hpp"
#include "app/ventana/animacion.hpp"
#include "app/ventana/dlg_texto.hpp"
#include "app/ventana/informe_html.hpp"
#include "app/ventana/util_kit.hpp"
#include "purge/desenlace.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"

using namespace dep;
using Json = nlohmann::json;

namespace {

std::vector<Json> LeerDiario(const std::string& ruta) {
    std::vector<Json> v;
    std::ifstream f(ruta);
    for (std::string l; std::getline(f, l);) v.push_back(Json::parse(l));
    return v;
}

bool Contiene(const std::string& s, const std::string& t) {
    return s.find(t) != std::string::npos;
}

// The dialogs lay the report out in tables: as plain text, a row is its cells one a line.
std::string Celdas(std::initializer_list<std::string> c) {
    std::string r;
    for (const auto& x : c) r += (r.empty() ? "" : "\n") + x;
    return r;
}

// The consolidation comes first and the names of tables and procedures only under "Detalles".
void AsientosPrimeroYNombresAlFinal(const std::string& texto) {
    const auto detalles = texto.find("Detalles");
    QVERIFY2(detalles != std::string::npos, texto.c_str());
    QVERIFY2(texto.find("Asientos") < texto.find("Movimientos de Stock"), texto.c_str());
    for (const char* nombre : {"MV_ASIENTOS", "KS_DEPURA_STOCK", "AUX_", "V_TA_CPTE"}) {
        const auto p = texto.find(nombre);
        QVERIFY2(p == std::string::npos || p > detalles, nombre);
    }
}

}  // namespace

class ResumenTest : public QObject {
    Q_OBJECT
  private slots:
    void vistaPreviaAntesDeGrabarYResumenAlTerminar() {
        Banco b;
        b.w->ChkStock(0).setChecked(false);
        b.w->txtFields(0).setText("31/12/2021");
        const std::string asientos = b.Valor("SELECT COUNT(*) FROM MV_ASIENTOS");

        QCOMPARE(b.w->CmdVistaPrevia().text(), QString("Vista previa"));
        b.w->CmdVistaPrevia().click();
        QVERIFY(b.w->DlgVistaPrevia().isVisible());
        QVERIFY(b.op.llamadas.empty());
        // The preview of the ticked boxes only, and nothing changed by it.
        const VistaPrevia v = CalcularVistaPrevia(*b.s, "31/12/2021", false, true, true);
        const std::string previa = b.w->DlgVistaPrevia().Texto();
        QCOMPARE(b.w->DlgVistaPrevia().Html(), HtmlVistaPrevia(v));
        QVERIFY2(Contiene(previa, "Purgas marcadas: Asientos; Temporales"), previa.c_str());
        QCOMPARE(b.Valor("SELECT COUNT(*) FROM MV_ASIENTOS"), asientos);
        QVERIFY(!b.w->DlgResumen().isVisible());

        // The run then reports the figures the preview showed. A preview asked for at a yield of the
        // run would roll back the run's open transaction: it does nothing.
        b.w->DlgVistaPrevia().hide();
        int cedidas = 0;
        b.w->alCeder = [&] {
            if (++cedidas == 5) b.w->CmdVistaPrevia().click();
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QVERIFY(cedidas >= 5);
        QVERIFY(!b.w->DlgVistaPrevia().isVisible());
        QVERIFY(b.w->DlgResumen().isVisible());
        const std::string resumen = b.w->DlgResumen().Texto();
        QVERIFY2(!Contiene(resumen, "rechazado"), resumen.c_str());
        QVERIFY2(resumen.rfind("Depuración terminada\nResumen de la depuración hasta el 31/12/2021", 0) == 0,
                 resumen.c_str());
        QCOMPARE(v.pasadas.size(), std::size_t{2});
        long long consolidados = 0;
        for (const auto& p : v.pasadas) {
            QVERIFY2(p.correria, p.motivo.c_str());
            QVERIFY2(Contiene(resumen,
                              Celdas({p.tipo + " " + ClaveLegible(p.comprobante), TextoEntero(p.grupos)})),
                     resumen.c_str());
            consolidados += p.asientos + p.cierres;
        }
        QVERIFY2(Contiene(resumen, Celdas({"Asientos", "Hecha",
                                           TextoEntero(consolidados) + " asientos consolidados"})),
                 resumen.c_str());
        QVERIFY(Contiene(resumen, Celdas({"Movimientos de Stock, ventas, compras", "No marcada"})));
        QVERIFY(Contiene(resumen, "Fecha de última depuración grabada: 31/12/2021"));
        AsientosPrimeroYNombresAlFinal(resumen);
        b.w->ChkStock(0).setChecked(true);
        b.w->CmdVistaPrevia().click();
        AsientosPrimeroYNombresAlFinal(b.w->DlgVistaPrevia().Texto());

        // The journal in the folder the window was given: its run record closes it.
        const auto diario = LeerDiario(b.RutaDiario());
        QVERIFY(diario.size() > 2);
        const Json& corrida = diario.back();
        QCOMPARE(corrida.at("registro").get<std::string>(), std::string("corrida"));
        QCOMPARE(corrida.at("comprobantes").size(), std::size_t{2});
        QCOMPARE(corrida.at("comprobantes")[0].at("clave").get<std::string>(), v.pasadas[0].comprobante);
    }

    // Cancelled during the consolidation: the animation ran, the button said so, and the window
    // is back to its initial state with the previous date (no error trap ran).
    void corridaCanceladaMuestraElResumen() {
        Banco b;
        const std::string antes = b.FechaGuardada();
        for (int k = 0; k < 3; ++k) b.w->ChkStock(k).setChecked(k == 1);
        b.w->txtFields(0).setText("31/12/2021");
        int cedidas = 0;
        bool animaba = false;
        b.w->alCeder = [&] {
            if (++cedidas != 3) return;
            animaba = b.w->AniGIF1().Animando() && !b.w->AniGIF1().isHidden();
            b.w->CmdCancelar().click();
            QCOMPARE(b.w->CmdCancelar().text(), QString("CANCELANDO Espere..."));
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QVERIFY(cedidas >= 3 && animaba);
        QVERIFY(!b.w->Cancelado());
        QCOMPARE(b.w->txtFields(0).text().toStdString(), antes);
        QCOMPARE(b.op.Mensajes(), std::vector<std::string>{"Proceso Cancelado"});
        QVERIFY(b.w->DlgResumen().isVisible());
        const std::string resumen = b.w->DlgResumen().Texto();
        // What to do comes first; the consolidation that stopped half-way is no "Hecha".
        QVERIFY2(
            resumen.rfind("Depuración cancelada: repita la depuración hasta el 31/12/2021 para completarla\n",
                          0) == 0,
            resumen.c_str());
        QVERIFY2(Contiene(resumen, "Proceso cancelado: no se grabó la fecha de última depuración"),
                 resumen.c_str());
        QVERIFY2(Contiene(resumen, Celdas({"Asientos", "Cancelada"})), resumen.c_str());
        QCOMPARE(b.FechaGuardada(), antes);
    }

    // The stock procedure refused and given up on its error dialog (Abortar, Esc, Alt+F4): the run
    // goes on, and its first line says it did not end well, as the console's status does.
    void purgaAbandonadaEnElDialogoDeError() {
        Banco b;
        b.w->ChkStock(2).setChecked(false);
        b.w->txtFields(0).setText("31/12/2021");
        b.cn->Execute("DROP TABLE V_MV_STOCK");
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(b.op.Cuantas(OperadorGuionado::Tipo::DialogoError), std::size_t{1});
        const std::string resumen = b.w->DlgResumen().Texto();
        QVERIFY2(resumen.rfind("Depuración con errores: Movimientos de Stock, ventas, compras", 0) == 0,
                 resumen.c_str());
        QVERIFY2(
            b.w->DlgResumen().Html().find("color:#a12a1a;\">Depuración con errores") != std::string::npos,
            resumen.c_str());
        QVERIFY2(Contiene(resumen, Celdas({"Asientos", "Hecha"})), resumen.c_str());
    }

    // A refusal the operator had tried again, with success: done, the retry noted in the details;
    // the time the error dialog stayed open is no part of the duration.
    void pasoReintentadoConExitoEsHecho() {
        Banco b(true, "KS_DEPURA_STOCK|1|database is locked");
        for (int k = 0; k < 3; ++k) b.w->ChkStock(k).setChecked(k == 0);
        b.w->txtFields(0).setText("31/12/2021");
        b.op.respuestasDialogo = {vb::kReintentar};
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(b.op.Cuantas(OperadorGuionado::Tipo::DialogoError), std::size_t{1});
        const std::string resumen = b.w->DlgResumen().Texto();
        QVERIFY2(resumen.rfind("Depuración terminada", 0) == 0, resumen.c_str());
        QVERIFY2(Contiene(resumen, Celdas({"Movimientos de Stock, ventas, compras", "Hecha"})),
                 resumen.c_str());
        QVERIFY2(Contiene(resumen, "hechos al reintentarlos: Movimientos de Stock, ventas, compras: 1 paso"),
                 resumen.c_str());
        Informe i;
        i.segundos = 44;
        QVERIFY(Contiene(HtmlResumen(i, 40), "Duración: 00:00:04 (sin contar 40 segundos con mensajes"));
    }

    // Each way a purge can fail to do its work reads as such, with why, and what a run left behind
    // comes first; none of them reads as done.
    void estadosQueNoSonUnaPurgaHecha() {
        struct Caso {
            InformePurga p;
            const char* palabras;
            const char* motivo;
        };
        const Caso casos[] = {
            {{Purga::Stock, true, "no ejecutada", "No se encontro el procedimiento", 0, 1, 1},
             "No se ejecutó",
             "no se ejecutó: No se encontro el procedimiento"},
            {{Purga::Asientos, true, "no ejecutada", "pasada FP: falta el codigo FP", 120, 9, 0},
             "Incompleta",
             "no terminó: pasada FP: falta el código FP"},
            {{Purga::Asientos, true, "interrumpida", "detenida por un error: disco lleno", 40, 3, 1},
             "Detenida por un error",
             "no terminó: detenida por un error: disco lleno"},
            {{Purga::Asientos, true, "omitida", "no hay asientos hasta la fecha (No hay datos)", 0, 0, 0},
             "No se hizo",
             "no hay asientos hasta la fecha (No hay datos)"},
        };
        for (const auto& c : casos) {
            Informe i;
            i.hasta = "31/12/2021";
            i.purgas = {c.p};
            i.pendientes = {"el comprobante CC 000100000002X de saldo inicial quedo con fecha 01/01/2022"};
            const std::string h = HtmlResumen(i);
            QVERIFY2(Contiene(h, c.palabras), h.c_str());
            QVERIFY2(Contiene(h, c.motivo), h.c_str());
            QVERIFY2(!Contiene(h, ">Hecha<"), h.c_str());
            QVERIFY2(h.find("Pendiente:") < h.find("Purgas"), h.c_str());
            QVERIFY2(Contiene(h, "quedó con fecha 01/01/2022"), h.c_str());
            // The headline names the purge before anything else, also in the console's report.
            const std::string titular = TitularDe(i).texto;
            QVERIFY2(titular.rfind("Depuración con errores: ", 0) == 0, titular.c_str());
            QVERIFY2(h.find(titular.substr(0, 30)) < h.find("Resumen de la depuración"), h.c_str());
            QVERIFY(Contiene(TextoInforme(i), titular));
        }
        VistaPrevia v;
        v.corridaEnCurso = "proceso 7 del usuario ana";
        v.fechasAsientos = "LA COLUMNA FECHA DE MV_ASIENTOS TIENE 3 VALOR(ES) QUE NO SON FECHAS";
        const std::string p = HtmlVistaPrevia(v);
        QVERIFY2(
            Contiene(p, "depuración en curso") && Contiene(p, "proceso 7") && Contiene(p, "NO SON FECHAS"),
            p.c_str());
        Informe i;
        i.verificaciones = {{"CC", "ok", 12, 0, 0, ""},
                            {"FP", "diferencias", 7, 125, 1, "X|D: antes 1,00, despues 2,25"}};
        const std::string h = HtmlResumen(i);
        QVERIFY2(Contiene(h, "Verificados") && Contiene(h, "NO CUADRAN") && Contiene(h, "1,25"), h.c_str());
        QVERIFY2(Contiene(h, "después 2,25") && Contiene(h, "agregó 1 asiento(s)"), h.c_str());
        // A server compacts nothing: the window gives the purged tables' space, as the console does.
        Informe servidor;
        servidor.compactacion = resultado::kOmitida;
        servidor.bytesAntes = 3 << 20;
        servidor.bytesDespues = 1 << 20;
        servidor.motivoCompactacion = "reducir los archivos es decision del administrador";
        const std::string e = HtmlResumen(servidor);
        QVERIFY2(Contiene(e, "Espacio de las tablas depuradas: 3072 KB antes, 1024 KB después") &&
                     Contiene(e, "decisión del administrador"),
                 e.c_str());
    }
};

QTEST_MAIN(ResumenTest)
#include "resumen_test.moc"
