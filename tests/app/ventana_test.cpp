// The real window on a real demo database: GRABAR, the runs, cancel, the date field and the bar.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "apoyo.hpp"
#include "app/ventana/animacion.hpp"
#include "app/ventana/barra_estado.hpp"
#include "app/ventana/pic_msg.hpp"
#include "app/ventana/util_kit.hpp"

using namespace dep;
using Tipo = OperadorGuionado::Tipo;

class VentanaTest : public QObject {
    Q_OBJECT
  private:
    static void SoloCasilla(FrmDepuracion& w, int i) {
        for (int k = 0; k < 3; ++k) w.ChkStock(k).setChecked(k == i);
    }

  private slots:
    void grabarRechazaFechasInvalidas() {
        Banco b;
        const std::string antes = b.FechaGuardada();
        for (const char* t : {" ", "31/02/2020", ""}) {
            b.op.Olvidar();
            b.w->txtFields(0).setText(t);
            std::string tecla = "grabar";  // any letter case
            b.w->UtilKit1_click(tecla);
            QCOMPARE(b.op.Mensajes(), std::vector<std::string>{"Fecha incorrecta"});
            QCOMPARE(b.op.llamadas[0].botones, vb::kSoloAceptar);
            QCOMPARE(b.op.llamadas[0].titulo, std::string());
            QCOMPARE(b.w->Label2(0).text(), QString());  // no run started
        }
        QCOMPARE(b.FechaGuardada(), antes);
    }

    void soloTemporalesMuestraSuFinal() {
        Banco b;
        SoloCasilla(*b.w, 2);
        b.w->txtFields(0).setText("31/12/2021");
        b.w->UtilKit1().TeclaAbajo(123);  // F12: GRABAR
        QVERIFY(b.w->PicMsg_().Visible());
        QCOMPARE(b.w->PicMsg_().Ultimo().leyenda, std::string(" Finalizado Temporales 100%"));
        QVERIFY(b.w->Label2(2).text().startsWith("Final: "));
        QCOMPARE(b.w->CmdCancelar().text(), QString("Cancelar Proceso"));
        QVERIFY(!b.w->Timer1().isActive());
        QVERIFY(!b.w->AniGIF1().isVisible() && !b.w->AniGIF1().Animando());
        QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
    }

    void cancelarDuranteLaConsolidacion() {
        Banco b;
        const std::string antes = b.FechaGuardada();
        SoloCasilla(*b.w, 1);
        b.w->txtFields(0).setText("31/12/2021");
        int cedidas = 0;
        bool animaba = false;
        b.w->alCeder = [&] {
            if (++cedidas == 3) {
                animaba = b.w->AniGIF1().Animando() && !b.w->AniGIF1().isHidden();
                b.w->CmdCancelar().click();
                QCOMPARE(b.w->CmdCancelar().text(), QString("CANCELANDO Espere..."));
            }
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QVERIFY(cedidas >= 3);
        QVERIFY(animaba);
        QCOMPARE(b.op.Mensajes(), std::vector<std::string>{"Proceso Cancelado"});
        QCOMPARE(b.FechaGuardada(), antes);
        // No error trap ran: the window is back to its initial state with the previous date.
        QVERIFY(!b.w->Cancelado());
        QCOMPARE(b.w->txtFields(0).text().toStdString(), antes);
    }

    void corridaSinErrorGuardaLaFechaYLaMuestra() {
        Banco b;
        SoloCasilla(*b.w, 1);
        b.w->txtFields(0).setText("31/12/2021");
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(b.op.Cuantas(Tipo::DialogoError), std::size_t{0});
        QCOMPARE(b.FechaGuardada(), std::string("31/12/2021"));
        QCOMPARE(b.w->txtFields(0).text(), QString("31/12/2021"));
        QCOMPARE(b.w->txtFields(0).selectedText(), QString("31/12/2021"));
        b.NuevaVentana();
        QCOMPARE(b.w->txtFields(0).text(), QString("31/12/2021"));
    }

    void errorDeUnaPurgaConservaElEstado() {
        Banco b;
        SoloCasilla(*b.w, 1);
        b.w->txtFields(0).setText("31/12/2021");
        int cedidas = 0;
        b.w->alCeder = [&] {
            if (++cedidas != 2) return;
            b.w->FijarHayError(true);  // as a purge's error trap does
            b.w->CmdCancelar().click();
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        // No Inicializa: the cancel request stays pending and the typed date stays.
        QVERIFY(b.w->HayError());
        QVERIFY(b.w->Cancelado());
        QCOMPARE(b.w->txtFields(0).text(), QString("31/12/2021"));
        QVERIFY(!b.w->AniGIF1().Animando());
    }

    void segundoGrabarDuranteUnaCorridaSeIgnora() {
        Banco b;
        SoloCasilla(*b.w, 1);
        b.w->txtFields(0).setText("31/12/2021");
        int cedidas = 0, profundidad = 0, maxima = 0;
        b.w->alCeder = [&] {
            ++profundidad;
            maxima = std::max(maxima, profundidad);
            if (++cedidas == 2) b.w->UtilKit1().Pulsar("GRABAR");
            --profundidad;
        };
        b.w->UtilKit1().Pulsar("GRABAR");
        QCOMPARE(maxima, 1);
        QVERIFY(b.op.Mensajes().empty());
        QVERIFY(!b.w->EnCorrida());
    }

    void clicDerechoAbreElSelectorYClicIzquierdoNo() {
        Banco b;
        b.w->show();
        b.op.respuestasFecha.push_back("05/05/2022");
        QTest::mouseClick(&b.w->txtFields(0), Qt::LeftButton);
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{0});
        QCOMPARE(b.w->IndiceCampo(), 0);
        QTest::mouseClick(&b.w->txtFields(0), Qt::RightButton);
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{1});
        QCOMPARE(b.w->txtFields(0).text(), QString("05/05/2022"));
    }

    void consultarAbreElSelectorDeFecha() {
        Banco b;
        b.op.respuestasFecha.push_back("");  // cancelled: the empty answer is written too
        std::string t = "Consultar";
        b.w->UtilKit1_click(t);
        QCOMPARE(b.op.Cuantas(Tipo::ElegirFecha), std::size_t{1});
        QCOMPARE(b.w->txtFields(0).text(), QString());
    }

    void comandosSinAccionYCerrar() {
        Banco b;
        const QString antes = b.w->txtFields(0).text();
        for (const char* t : {"NUEVO", "BORRAR", "PLANILLA", "REPORTE", "CANCELAR", "OTRO"}) {
            std::string k = t;
            b.w->UtilKit1_click(k);
        }
        QVERIFY(b.op.llamadas.empty());
        QCOMPARE(b.w->txtFields(0).text(), antes);
        QCOMPARE(b.terminado, 0);
        std::string k = "cErRaR";
        b.w->UtilKit1_click(k);
        QCOMPARE(b.terminado, 1);
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
        // The key filter of the date field.
        QCOMPARE(b.w->txtFields_KeyPress(0, 'a'), 0);
        QCOMPARE(b.w->txtFields_KeyPress(0, '7'), int('7'));
        QCOMPARE(b.w->txtFields_KeyPress(0, 27), 27);
    }

    void teclasDeLaVentanaLleganAlToolbar() {
        Banco b;
        b.w->show();
        b.w->txtFields(0).setText(" ");
        QTest::keyClick(&b.w->txtFields(0), Qt::Key_F12);  // GRABAR
        QCOMPARE(b.op.Mensajes(), std::vector<std::string>{"Fecha incorrecta"});
        QTest::keyClick(&b.w->txtFields(0), Qt::Key_F8);  // CANCELAR: disabled and without action
        QCOMPARE(b.op.llamadas.size(), std::size_t{1});
        b.w->txtFields(0).setText("");
        QTest::keyClicks(&b.w->txtFields(0), "1x/2");  // the key filter drops the letter
        QCOMPARE(b.w->txtFields(0).text(), QString("1/2"));
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
    }

    void cajaInexistenteSeCrea() {
        Banco b;
        b.cn->Execute("DELETE FROM V_TA_Cajas WHERE IDCAJAS='1'");
        BarraEstado sb;
        CargaBarraEstado(sb, "", *b.s);
        QCOMPARE(b.Valor("SELECT DESCRIPCION FROM V_TA_Cajas WHERE IDCAJAS='1'"), std::string("CAJA 1"));
        QCOMPARE(sb.Texto("CAJA"), std::string("1 CAJA 1"));
    }

    void sinBaseLaVentanaAbreYGrabarSeNiega() {
        Banco b(false);
        QCOMPARE(b.w->txtFields(0).text(), QString());  // Cfg on a closed connection
        b.w->txtFields(0).setText("31/12/2021");
        b.w->UtilKit1().Pulsar("GRABAR");
        const auto m = b.op.Mensajes();
        QCOMPARE(m.size(), std::size_t{1});
        QVERIFY(m[0].find("la base de datos no está abierta") != std::string::npos);
        QCOMPARE(b.w->Label2(0).text(), QString());
    }
};

QTEST_MAIN(VentanaTest)
#include "ventana_test.moc"
