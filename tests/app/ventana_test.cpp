// The real window on a real demo database: GRABAR, the runs, cancel, the date field and the bar.
#include <atomic>
#include <thread>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "apoyo.hpp"
#include "app/ventana/animacion.hpp"
#include "app/ventana/barra_estado.hpp"
#include "app/ventana/dlg_texto.hpp"
#include "app/ventana/pic_msg.hpp"
#include "app/ventana/util_kit.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"
#include "tests/apoyo/conexion_espia.hpp"

using namespace dep;
using Tipo = OperadorGuionado::Tipo;

class VentanaTest : public QObject {
    Q_OBJECT
  private:
    static void SoloCasilla(FrmDepuracion& w, int i) {
        for (int k = 0; k < 3; ++k) w.ChkStock(k).setChecked(k == i);
    }
    // Only box `i` ticked and the date 31/12/2021 typed, ready for GRABAR.
    static void Preparar(Banco& b, int i) {
        SoloCasilla(*b.w, i);
        b.w->txtFields(0).setText("31/12/2021");
    }
    static void Orden(Banco& b, std::string orden) { b.w->UtilKit1_click(orden); }

  private slots:
    void grabarRechazaFechasInvalidas() {
        Banco b;
        const std::string antes = b.FechaGuardada();
        // "Fecha incorrecta" first, then why; a mistyped year says so.
        const char* const kIncorrecta = "Fecha incorrecta\n\n";
        const struct {
            const char *t, *inicio, *por;
        } casos[] = {
            {" ", kIncorrecta, "No se escribió ninguna fecha."},
            {"31/02/2020", kIncorrecta, "El día 31/02/2020 no existe en el calendario."},
            {"", kIncorrecta, "No se escribió ninguna fecha."},
            {"31/12/9999", kIncorrecta, "entre el 01/01/1753 y el 30/12/9999"},
            {"31/12/1752", kIncorrecta, "entre el 01/01/1753 y el 30/12/9999"},
            {"3l/12/2021", kIncorrecta, "Escriba la fecha como día/mes/año"},
            {"30/06/2202", "La fecha de corte no puede ser posterior a hoy (", ""},
        };
        for (const auto& [t, inicio, por] : casos) {
            b.op.Olvidar();
            b.w->txtFields(0).setText(t);
            Orden(b, "grabar");  // any letter case
            QCOMPARE(b.op.Mensajes().size(), std::size_t{1});
            QVERIFY2(b.op.Mensajes()[0].rfind(inicio, 0) == 0, t);
            QVERIFY2(b.op.Mensajes()[0].find(por) != std::string::npos, b.op.Mensajes()[0].c_str());
            QCOMPARE(b.op.llamadas[0].botones, vb::kSoloAceptar | vb::kExclamacion);
            if (inicio == kIncorrecta) QCOMPARE(b.op.llamadas[0].titulo, std::string("Fecha incorrecta"));
            QCOMPARE(b.w->Label2(0).text(), QString());  // no run started
        }
        QCOMPARE(b.FechaGuardada(), antes);
        // The preview checks the date alike.
        b.op.Olvidar();
        b.w->txtFields(0).setText("31/02/2021");
        b.w->CmdVistaPrevia().click();
        QCOMPARE(b.op.Mensajes().size(), std::size_t{1});
        QVERIFY(b.op.Mensajes()[0].rfind("Fecha incorrecta\n\nEl día 31/02/2021 no existe", 0) == 0);
        QVERIFY(!b.w->DlgVistaPrevia().isVisible());
    }

    // A date the check accepts is written back as day/month/four-digit year before anything uses
    // it: the question, the run's statements and the stored date all carry the year it was read as.
    void grabarEscribeLaFechaLeidaConElAnioCompleto() {
        Banco b;
        Preparar(b, 1);
        const struct {
            const char *escrita, *leida;
        } casos[] = {
            {"31/12/45", "31/12/1945"},    // a server reads 2045
            {"2021-03-01", "01/03/2021"},  // a server reading day/month reads 3 January
            {" 1.3.21", "01/03/2021"},
            {"31-12-21", "31/12/2021"},
        };
        b.op.defectoConfirmar = false;
        for (const auto& [escrita, leida] : casos) {
            b.op.Olvidar();
            b.w->txtFields(0).setText(escrita);
            Orden(b, "GRABAR");
            QCOMPARE(b.w->txtFields(0).text(), QString(leida));
            QCOMPARE(b.op.llamadas.size(), std::size_t{1});
            QVERIFY2(b.op.llamadas[0].texto.find(std::string("hasta el ") + leida + " inclusive?") !=
                         std::string::npos,
                     b.op.llamadas[0].texto.c_str());
        }
        b.op.defectoConfirmar = true;
        b.w->txtFields(0).setText("31.12.21");
        Orden(b, "GRABAR");
        QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
    }

    // GRABAR asks first, with what the preview computes; "No" changes nothing. The count before the
    // question keeps the window painted and says so; a close asked during it waits for it and then
    // closes, without asking or running anything.
    void grabarPreguntaAntesDeBorrar() {
        for (const bool cerrar : {false, true}) {
            Banco b;
            b.cn->Execute(
                "UPDATE TA_CONFIGURACION SET VALOR='30/06/2022' WHERE CLAVE='FECHAULTIMADEPURACION'");
            b.NuevaVentana();
            SoloCasilla(*b.w, 1);
            b.w->ChkStock(2).setChecked(true);
            b.w->txtFields(0).setText("31/12/2021");
            const std::string asientos = b.Valor("SELECT COUNT(*) FROM MV_ASIENTOS");
            const VistaPrevia v = CalcularVistaPrevia(*b.s, "31/12/2021", false, true, true);
            b.op.Olvidar();
            b.op.respuestasConfirmar.push_back(false);
            QString durante;
            bool cursor = false;
            // The first timer runs when the count starts; the one it posts, only while a statement runs.
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(0, [&] {
                    if (!b.w->Calculando()) return;
                    durante = b.w->SbStatusBar().Panel("MENSAJE")->text();
                    cursor = QApplication::overrideCursor() != nullptr;
                    // A click now is dropped, not kept: no preview opens after the count.
                    QTest::mouseClick(&b.w->CmdVistaPrevia(), Qt::LeftButton);
                    if (!cerrar) return;
                    b.w->close();
                    QCoreApplication::processEvents();  // the window's filter answers on the next turn
                    durante = b.w->SbStatusBar().Panel("MENSAJE")->text();
                });
            });
            b.w->UtilKit1().Pulsar("GRABAR");
            QCOMPARE(durante, QString::fromUtf8(cerrar ? "El programa se cerrará al terminar el cálculo..."
                                                       : "Calculando lo que hará la depuración..."));
            QVERIFY(cursor);
            QVERIFY(!QApplication::overrideCursor());
            QCOMPARE(b.op.llamadas.size(), cerrar ? std::size_t{0} : std::size_t{1});
            QCoreApplication::processEvents();
            QVERIFY(!b.w->DlgVistaPrevia().isVisible());
            QCOMPARE(b.terminado, cerrar ? 1 : 0);
            QCOMPARE(b.Valor("SELECT COUNT(*) FROM MV_ASIENTOS"), asientos);
            QCOMPARE(b.FechaGuardada(), std::string("30/06/2022"));
            QCOMPARE(b.w->Label2(0).text(), QString());
            QVERIFY(!b.w->DlgResumen().isVisible());
            if (cerrar) continue;
            const auto& q = b.op.llamadas[0];
            QVERIFY(q.tipo == Tipo::Confirmar);
            long long n = 0;
            for (const auto& p : v.pasadas) n += p.asientos + p.cierres;
            for (const std::string& t : std::vector<std::string>{
                     "hasta el 31/12/2021 inclusive?", "Última depuración grabada: 30/06/2022",
                     "ATENCIÓN: la fecha de corte es anterior a la última depuración grabada",
                     "Purgas marcadas: Asientos; Temporales e historial cambio de precios",
                     "se consolidarán " + TextoEntero(n) + " asientos, fechados del " +
                         v.pasadas[0].primeraFecha,
                     "Copia de seguridad: no se hará"})
                QVERIFY2(q.texto.find(t) != std::string::npos, (t + "\n" + q.texto).c_str());
        }
    }

    // The preview's numbering waits for another program's write lock with the window painted: the
    // other program, told by the window's timer, lets go, and the preview is shown.
    void laVistaPreviaEsperaElBloqueoDeOtroProgramaPintada() {
        Banco b;
        // The count's transaction begins where it waits for the lock.
        struct Espia : prueba::ConexionEspia {
            using ConexionEspia::ConexionEspia;
            bool empezada = false;
            void BeginTrans() override {
                empezada = true;
                ConexionEspia::BeginTrans();
            }
        };
        auto espia = std::make_shared<Espia>(b.cn);
        b.cn = espia;
        b.datos = std::make_unique<DataServices>(b.cn, b.op);
        b.s = std::make_unique<Servicios>(Servicios{*b.datos, b.formularios, b.consultas, b.op});
        b.NuevaVentana();
        b.w->txtFields(0).setText("31/12/2021");
        demo::Bd otro(b.base);
        otro.Ejecutar("BEGIN IMMEDIATE");
        bool soltado = false;
        QTimer reloj;
        QObject::connect(&reloj, &QTimer::timeout, [&] {
            if (!espia->empezada || soltado || !b.w->Calculando()) return;
            otro.Ejecutar("COMMIT");
            soltado = true;
        });
        reloj.start(10);
        b.op.Olvidar();
        b.w->CmdVistaPrevia().click();
        QVERIFY(soltado);
        QVERIFY2(b.op.Mensajes().empty(), b.op.Mensajes().empty() ? "" : b.op.Mensajes()[0].c_str());
        QVERIFY(b.w->DlgVistaPrevia().isVisible());
    }

    // A statement of the run that takes long (here one held by the test, which calls the engine's
    // progress callback as the engine would) keeps the window's loop running: the cancel pressed
    // then stops the run.
    void unaSentenciaLargaDeLaCorridaNoCongelaLaVentana() {
        Banco b;
        struct Espia : prueba::ConexionEspia {
            using ConexionEspia::ConexionEspia;
            std::function<void()> progreso;
            void FijarAlProgresar(std::function<void()> f) override {
                progreso = f;
                ConexionEspia::FijarAlProgresar(std::move(f));
            }
        };
        auto espia = std::make_shared<Espia>(b.cn);
        b.cn = espia;
        b.datos = std::make_unique<DataServices>(b.cn, b.op);
        b.s = std::make_unique<Servicios>(Servicios{*b.datos, b.formularios, b.consultas, b.op});
        b.NuevaVentana();
        Preparar(b, 1);
        const std::string antes = b.FechaGuardada();
        bool atendido = false, durante = false;
        espia->antes = [&](const std::string& q) {
            if (atendido || !b.w->EnCorrida() || q.find("DISABLE TRIGGER") == std::string::npos) return;
            QTimer::singleShot(0, [&] {
                atendido = true;
                b.w->CmdCancelar().click();
            });
            for (int i = 0; i < 5 && !atendido && espia->progreso; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                espia->progreso();
            }
            durante = atendido;
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QVERIFY(durante);
        QCOMPARE(b.op.Mensajes(), std::vector<std::string>{"Proceso Cancelado"});
        QCOMPARE(b.FechaGuardada(), antes);
    }

    // The backup box: ticked, the run first copies the database beside it; the choice stays.
    void copiaDeSeguridadAntesDeLaCorrida() {
        Banco b;
        Preparar(b, 2);
        b.w->ChkCopia().setChecked(true);
        b.w->UtilKit1().Pulsar("GRABAR");
        const QStringList copias = QDir(b.dir.path()).entryList({"demo-*.db"}, QDir::Files);
        QCOMPARE(copias.size(), 1);
        QVERIFY(b.w->DlgResumen().Texto().find(copias[0].toStdString()) != std::string::npos);
        QVERIFY(b.w->ChkCopia().isChecked());
        // In a folder the operator chose: the next run's copy goes there.
        const QString elegida = b.dir.filePath("copias");
        b.w->FijarCarpetaCopia(elegida.toStdString());
        QCOMPARE(b.w->LblCarpetaCopia().text(), "La copia se hará en " + elegida);  // shown on the window
        b.w->txtFields(0).setText("31/12/2021");
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(QDir(elegida).entryList({"demo-*.db"}, QDir::Files).size(), 1);
    }

    // A run without errors, GRABAR by F12: the date stored and shown, the picture's last step, the
    // window at rest.
    void corridaSinErrorGuardaLaFechaYLaMuestra() {
        Banco b;
        Preparar(b, 1);
        b.w->ChkStock(2).setChecked(true);
        b.w->CmdCancelar().click();       // while no run goes on: not the next run's cancel
        b.w->UtilKit1().TeclaAbajo(123);  // F12: GRABAR
        QCOMPARE(b.op.Cuantas(Tipo::DialogoError), std::size_t{0});
        QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
        QVERIFY(b.w->PicMsg_().Visible());
        QCOMPARE(b.w->PicMsg_().Ultimo().leyenda, std::string(" Finalizado Temporales 100%"));
        QVERIFY(b.w->Label2(2).text().startsWith("Final: "));
        QCOMPARE(b.w->CmdCancelar().text(), QString("Cancelar Proceso"));
        QVERIFY(!b.w->Timer1().isActive());
        QVERIFY(!b.w->AniGIF1().isVisible() && !b.w->AniGIF1().Animando());
        QCOMPARE(b.w->txtFields(0).text(), QString("31/12/2021"));
        QCOMPARE(b.w->txtFields(0).selectedText(), QString("31/12/2021"));
        b.NuevaVentana();
        QCOMPARE(b.w->txtFields(0).text(), QString("31/12/2021"));
    }

    // A purge's error trap during a run keeps the state; a second GRABAR meanwhile is ignored, not
    // nested (no second question).
    void errorDeUnaPurgaConservaElEstado() {
        Banco b;
        Preparar(b, 1);
        int cedidas = 0, profundidad = 0, maxima = 0;
        b.w->alCeder = [&] {
            maxima = std::max(maxima, ++profundidad);
            if (++cedidas == 2) {
                b.w->UtilKit1().Pulsar("GRABAR");
                b.w->FijarHayError(true);  // as a purge's error trap does
                b.w->CmdCancelar().click();
            }
            --profundidad;
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(maxima, 1);
        QCOMPARE(b.op.Cuantas(Tipo::Confirmar), std::size_t{1});
        QCOMPARE(b.op.Mensajes(), std::vector<std::string>{"Proceso Cancelado"});
        QVERIFY(!b.w->EnCorrida());
        // No Inicializa: the cancel request stays pending and the typed date stays.
        QVERIFY(b.w->HayError());
        QVERIFY(b.w->Cancelado());
        QCOMPARE(b.w->txtFields(0).text(), QString("31/12/2021"));
        QVERIFY(!b.w->AniGIF1().Animando());
    }

    // The date chooser: CONSULTAR opens it (cancelled, the field keeps its date), a right click
    // too, on the field's date, a left click does not.
    void selectorDeFechaPorConsultarYClicDerecho() {
        Banco b;
        b.w->show();
        b.op.respuestasFecha = {"", "05/05/2022"};
        const std::string antes = b.w->txtFields(0).text().toStdString();
        Orden(b, "Consultar");
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{1});
        QCOMPARE(b.w->txtFields(0).text().toStdString(), antes);
        b.op.Olvidar();
        QTest::mouseClick(&b.w->txtFields(0), Qt::LeftButton);
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{0});
        QCOMPARE(b.w->IndiceCampo(), 0);
        QTest::mouseClick(&b.w->txtFields(0), Qt::RightButton);
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{1});
        QCOMPARE(b.op.llamadas[0].texto, antes);
        QCOMPARE(b.w->txtFields(0).text(), QString("05/05/2022"));
    }

    // GRABAR's date and boxes hold for the run: typing, the lookup (CONSULTAR, F3, right click)
    // and clicks on the boxes change nothing until it ends. The status bar names each pass.
    void entradasFijasDuranteLaCorridaYPasadaVisible() {
        Banco b;
        b.w->show();
        SoloCasilla(*b.w, 1);
        b.w->ChkStock(0).setChecked(true);  // the stock call runs on a worker thread first
        b.w->txtFields(0).setText("31/12/2021");
        b.op.respuestasFecha.assign(3, "30/06/2021");
        int cedidas = 0;
        QStringList pasadas;
        b.w->alCeder = [&] {
            const QString m = QString::fromStdString(b.w->SbStatusBar().Texto("MENSAJE"));
            if (!m.isEmpty() && (pasadas.isEmpty() || pasadas.back() != m)) pasadas << m;
            if (++cedidas != 3) return;
            QLineEdit& f = b.w->txtFields(0);
            f.selectAll();
            QTest::keyClicks(&f, "30/06/2021");
            QTest::keyClick(&f, Qt::Key_Backspace);
            QTest::keyClick(&f, Qt::Key_F3);
            QTest::mouseClick(&f, Qt::RightButton);
            Orden(b, "CONSULTAR");
            QTest::mouseClick(&b.w->ChkStock(1), Qt::LeftButton);
            QTest::mouseClick(&b.w->ChkStock(2), Qt::LeftButton);
            QCOMPARE(f.text(), QString("31/12/2021"));
            QCOMPARE(b.w->TextoFecha(), std::string("31/12/2021"));
            QVERIFY(b.w->ChkStock(1).isChecked() && !b.w->ChkStock(2).isChecked());
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QVERIFY(cedidas >= 3);
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{0});
        QCOMPARE(b.op.Cuantas(Tipo::DialogoError), std::size_t{0});
        QVERIFY(b.w->DlgResumen().Texto().find("Movimientos de Stock, ventas, compras\nHecha") !=
                std::string::npos);
        QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
        QCOMPARE(pasadas, (QStringList{"Pasada 1 de 2: CC (todos menos proveedores)",
                                       "Pasada 2 de 2: FP (proveedores: FP, CBFP, FPC, PGFP)"}));
        QCOMPARE(b.w->SbStatusBar().Texto("MENSAJE"), std::string());
        // Usable again once the run has ended.
        QVERIFY(!b.w->txtFields(0).isReadOnly() && b.w->ChkStock(2).isEnabled());
        QTest::mouseClick(&b.w->ChkStock(2), Qt::LeftButton);
        QVERIFY(b.w->ChkStock(2).isChecked());
    }

    // Closing during a run asks; yes cancels as the cancel button does and the program ends
    // once the run has ended (journal and summary written), no leaves the run going.
    void cerrarDuranteUnaCorridaPregunta() {
        struct Caso {
            const char* como;
            int respuesta;
        };
        for (const Caso& c : {Caso{"F10", vb::kNo}, Caso{"CERRAR", vb::kSi}, Caso{"ventana", vb::kSi}}) {
            Banco b;
            b.w->show();
            const std::string antes = b.FechaGuardada();
            Preparar(b, 1);
            b.op.respuestasMensaje.push_back(c.respuesta);
            int cedidas = 0, terminadoEnCorrida = 0;
            bool visible = false;
            b.w->alCeder = [&] {
                terminadoEnCorrida += b.terminado;
                if (++cedidas != 3) return;
                if (std::string(c.como) == "F10")
                    QTest::keyClick(b.w.get(), Qt::Key_F10);
                else if (std::string(c.como) == "CERRAR")
                    b.w->UtilKit1().Accion("CERRAR")->trigger();
                else
                    b.w->close();
                visible = b.w->isVisible();
            };
            b.w->UtilKit1().Pulsar("GRABAR");
            QVERIFY2(visible && terminadoEnCorrida == 0, c.como);
            const auto m = b.op.DeTipo(Tipo::Mensaje);
            QVERIFY2(!m.empty() && m[0].botones == (vb::kSiNo | vb::kPregunta), c.como);
            QVERIFY(m[0].texto.find("¿Desea detenerla y cerrar el programa?") != std::string::npos);
            QVERIFY(b.w->DlgResumen().isVisible());
            if (c.respuesta == vb::kNo) {
                QCOMPARE(m.size(), std::size_t{1});
                QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
                QCOMPARE(b.terminado, 0);
            } else {
                QCOMPARE(b.op.Mensajes().back(), std::string("Proceso Cancelado"));
                QCOMPARE(b.FechaGuardada(), antes);
                // The program ends once the operator has closed the run's summary.
                QCOMPARE(b.terminado, 0);
                b.w->DlgResumen().reject();
                QCOMPARE(b.terminado, 1);
                QVERIFY(b.Valor("SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA >= '2022-01-01' AND DETALLE = "
                                "'Depuracion'") == "0");
            }
        }
    }

    // A stock procedure that takes its time (a trigger of the database's own): the window keeps
    // its clock, names the step, drops clicks and keys, and answers the cancel button and a close
    // at once (the procedure cannot be interrupted); the run stops after it and the program ends
    // once its summary is closed. "Cancelar proceso" takes no click outside a run.
    void pasoDeStockLargoContestaCancelarYCerrar() {
        Banco b;
        demo::Bd(b.base).Ejecutar(
            "CREATE TABLE LENTO_PRUEBA (I INTEGER); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
            "FROM n WHERE i < 300) INSERT INTO LENTO_PRUEBA SELECT i FROM n; CREATE TABLE LENTO_HECHO (I "
            "INTEGER); CREATE TRIGGER LENTO BEFORE DELETE ON V_MV_STOCK_ITEMS WHEN NOT EXISTS (SELECT 1 FROM "
            "LENTO_HECHO) BEGIN INSERT INTO LENTO_HECHO VALUES (1); SELECT SUM(a.I * b.I + c.I) FROM "
            "LENTO_PRUEBA a, LENTO_PRUEBA b, LENTO_PRUEBA c; END");
        b.w->show();
        SoloCasilla(*b.w, 0);
        b.w->ChkStock(1).setChecked(true);
        b.w->txtFields(0).setText("31/12/2021");
        QVERIFY(!b.w->CmdCancelar().isEnabled());
        b.op.respuestasMensaje = {vb::kAceptar, vb::kSi};
        bool esperando = false, habilitados = true, primera = true;
        std::string paso;
        std::size_t respondidas = 0;
        b.w->alCeder = [&] {
            if (!primera) return;
            primera = false;  // right before the stock step
            QTimer::singleShot(100, [&] {
                esperando = b.w->Esperando();
                paso = b.w->SbStatusBar().Texto("MENSAJE");
                habilitados = b.w->txtFields(0).isEnabled() || b.w->CmdVistaPrevia().isEnabled() ||
                              b.w->UtilKit1().Accion("GRABAR")->isEnabled();
                QTest::mouseClick(&b.w->ChkStock(2), Qt::LeftButton);  // dropped
                QTest::mouseClick(&b.w->CmdCancelar(), Qt::LeftButton);
                QTest::keyClick(b.w.get(), Qt::Key_F10);
                QTimer::singleShot(50, [&] {
                    respondidas = b.op.DeTipo(Tipo::Mensaje).size();
                    esperando = esperando && b.w->Esperando();
                });
            });
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QVERIFY(esperando);
        QVERIFY(!habilitados);
        QCOMPARE(paso,
                 std::string("Movimientos de Stock, ventas, compras: procedimiento de la base de datos"));
        const auto m = b.op.DeTipo(Tipo::Mensaje);
        QCOMPARE(respondidas, std::size_t{2});  // both answered while the procedure still waited
        QVERIFY2(m[0].texto.find("que no se puede interrumpir") != std::string::npos, m[0].texto.c_str());
        QVERIFY(m[1].texto.find("¿Desea detenerla y cerrar el programa?") != std::string::npos);
        QVERIFY(m[1].texto.find("que no se puede interrumpir") != std::string::npos);
        QVERIFY(!b.w->ChkStock(2).isChecked());
        QVERIFY(b.w->Label2(1).text().startsWith("Actual: "));
        const std::string resumen = b.w->DlgResumen().Texto();
        QVERIFY2(resumen.rfind("Depuración cancelada: repita la depuración hasta el 31/12/2021", 0) == 0,
                 resumen.c_str());
        QCOMPARE(b.terminado, 0);
        b.w->DlgResumen().reject();
        QCOMPARE(b.terminado, 1);
        QVERIFY(!b.w->CmdCancelar().isEnabled());
        QVERIFY_THROWS_EXCEPTION(Falla,
                                 b.w->EsperarSinEntrada([] { throw Falla(5, "rechazada"); }, "paso", false));
        QTest::mouseClick(&b.w->ChkStock(2), Qt::LeftButton);  // input reaches the window again
        QVERIFY(b.w->ChkStock(2).isChecked());
    }

    // Another program holds the write lock when the consolidation begins: the window keeps its
    // clock, says what it waits for, and the run goes on once the lock is released.
    void bloqueoAjenoNoCongelaLaVentana() {
        Banco b;
        Preparar(b, 1);
        AjustesConexion a;
        a.motor = "sqlite";
        a.base = b.base;
        auto otro = AbrirConexion(a);
        bool tomado = false;
        QString pie, reloj;
        b.w->alCeder = [&] {
            if (tomado) return;
            tomado = true;  // the first yield, before the consolidation
            otro->BeginTrans();
            otro->Execute("UPDATE V_TA_Cajas SET DESCRIPCION = DESCRIPCION");
            b.w->Label2(1).clear();
            QTimer::singleShot(300, [&] {
                pie = b.w->LBLPIE().text();
                reloj = b.w->Label2(1).text();
                otro->RollbackTrans();
            });
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(pie, QString("Esperando a que otro programa termine de escribir en la base de datos..."));
        QVERIFY(reloj.startsWith("Actual: "));
        QCOMPARE(b.op.Cuantas(Tipo::DialogoError), std::size_t{0});
        QVERIFY(b.w->DlgResumen().Texto().rfind("Depuración terminada", 0) == 0);
        QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
    }

    void focoColoresYEstadoDeConsulta() {
        Banco b;
        b.w->UtilKit1().FijarEstado(5, false);
        b.w->txtFields_GotFocus(0);
        QCOMPARE(b.w->ColorCampo(0), std::uint32_t{0xFFFF00});
        QVERIFY(b.w->txtFields(0).styleSheet().contains("#00ffff"));  // 0x00BBGGRR: cyan
        QVERIFY(b.w->UtilKit1().Estado(5));
        QVERIFY(b.w->UtilKit1().Accion("CONSULTAR")->isEnabled());
        b.w->txtFields_LostFocus(0);
        QCOMPARE(b.w->ColorCampo(0), std::uint32_t{0xFFFFFF});
        // DetalleOn: GRABAR usable, the lookup state untouched.
        QVERIFY(b.w->UtilKit1().Accion("GRABAR")->isEnabled());
        QVERIFY(b.w->UtilKit1().Accion("CERRAR")->isEnabled());
        QVERIFY(!b.w->UtilKit1().Accion("CANCELAR")->isEnabled());
        b.w->DetalleOn(false);
        QVERIFY(b.w->UtilKit1().Estado(5));
        QCOMPARE(b.w->txtFields_KeyPress(0, 27), 27);  // Esc passes the date field's key filter
    }

    // The toolbar's keys reach it from the date field; its commands by name, in any letter case:
    // those without an action do nothing, CERRAR ends the program.
    void comandosYTeclasDelToolbar() {
        Banco b;
        b.w->show();
        b.w->txtFields(0).setText(" ");
        QTest::keyClick(&b.w->txtFields(0), Qt::Key_F12);  // GRABAR
        QCOMPARE(b.op.Mensajes().size(), std::size_t{1});
        QVERIFY(b.op.Mensajes()[0].rfind("Fecha incorrecta", 0) == 0);
        QTest::keyClick(&b.w->txtFields(0), Qt::Key_F8);  // CANCELAR: disabled and without action
        for (const char* t : {"NUEVO", "BORRAR", "PLANILLA", "REPORTE", "CANCELAR", "OTRO"}) Orden(b, t);
        QCOMPARE(b.op.llamadas.size(), std::size_t{1});
        QCOMPARE(b.w->txtFields(0).text(), QString(" "));
        b.w->txtFields(0).setText("");
        QTest::keyClicks(&b.w->txtFields(0), "1x/2");  // the key filter drops the letter
        QCOMPARE(b.w->txtFields(0).text(), QString("1/2"));
        QCOMPARE(b.terminado, 0);
        Orden(b, "cErRaR");
        QCOMPARE(b.terminado, 1);
    }

    void barraDeEstado() {
        Banco b;
        BarraEstado& sb = b.w->SbStatusBar();
        QVERIFY(sb.Texto("SERVER").rfind("Srv: ", 0) == 0);
        QCOMPARE(sb.Texto("BASEDEDATOS"), "Db: " + b.s->datos.NombreBaseDatos());
        QCOMPARE(sb.Texto("USUARIO"), "Uid: " + b.s->datos.NombreUsuario());
        QCOMPARE(sb.Texto("VERSION"), std::string("V.1.0.0"));
        for (const char* k : {"SERVER", "USUARIO", "BASEDEDATOS", "CAJA"}) QCOMPARE(sb.Ayuda(k), sb.Texto(k));
        QCOMPARE(sb.PanelEn(6)->text(), QDate::currentDate().toString("dd/MM/yyyy"));
        QCOMPARE(sb.Texto("CAJA"), "1 " + b.Valor("SELECT DESCRIPCION FROM V_TA_Cajas WHERE IDCAJAS='1'"));
        // A second fill only changes MENSAJE.
        b.cn->Execute("UPDATE V_TA_Cajas SET DESCRIPCION='OTRA' WHERE IDCAJAS='1'");
        const std::string caja = sb.Texto("CAJA");
        CargaBarraEstado(sb, "hola", *b.s);
        QCOMPARE(sb.Texto("MENSAJE"), std::string("hola"));
        QCOMPARE(sb.Texto("CAJA"), caja);
        // A box that does not exist is made.
        b.cn->Execute("DELETE FROM V_TA_Cajas WHERE IDCAJAS='1'");
        BarraEstado nueva;
        CargaBarraEstado(nueva, "", *b.s);
        QCOMPARE(b.Valor("SELECT DESCRIPCION FROM V_TA_Cajas WHERE IDCAJAS='1'"), std::string("CAJA 1"));
        QCOMPARE(nueva.Texto("CAJA"), std::string("1 CAJA 1"));
    }

    void sinBaseLaVentanaAbreYGrabarYLaVistaPreviaSeNiegan() {
        Banco b(false);
        QCOMPARE(b.w->txtFields(0).text(), QString());  // Cfg on a closed connection
        b.w->txtFields(0).setText("31/12/2021");
        b.w->UtilKit1().Pulsar("GRABAR");
        const auto m = b.op.Mensajes();
        QCOMPARE(m.size(), std::size_t{1});
        QVERIFY(m[0].find("la base de datos no está abierta") != std::string::npos);
        QCOMPARE(b.w->Label2(0).text(), QString());
        b.op.Olvidar();
        b.w->CmdVistaPrevia().click();
        QCOMPARE(b.op.Mensajes().size(), std::size_t{1});
        QVERIFY(b.op.Mensajes()[0].rfind("No se puede calcular la vista previa", 0) == 0);
        QVERIFY(!b.w->DlgVistaPrevia().isVisible());
        b.w->FijarMotivoSinConexion("Revise cn000pr.ini");
        QVERIFY(b.w->LBLPIE().text().startsWith("Sin conexión con la base de datos"));
    }
};

QTEST_MAIN(VentanaTest)
#include "ventana_test.moc"
