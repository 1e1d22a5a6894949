// The window's parts on their own: the progress picture, the skins, the toolbar keys and the
// operator's dialogs.
#include <fstream>

#include <QApplication>
#include <QCalendarWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/ventana/operador_qt.hpp"
#include "app/ventana/pic_msg.hpp"
#include "app/ventana/programa.hpp"
#include "app/ventana/skin.hpp"
#include "app/ventana/util_kit.hpp"
#include "common/barra_progreso.hpp"
#include "runtime/conversions.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"

using namespace dep;

namespace {

QRgb Px(const QImage& im, int x, int y) {
    return im.pixel(x, y) & 0xFFFFFF;
}

void Escribir(const QString& ruta, const std::string& texto) {
    std::ofstream(ruta.toStdString()) << texto;
}

// Answers the next modal dialog by pressing the button whose text is given.
void Responder(const QString& boton) {
    QTimer::singleShot(0, [boton] {
        QWidget* m = QApplication::activeModalWidget();
        QVERIFY(m);
        for (auto* b : m->findChildren<QPushButton*>())
            if (b->text() == boton) return b->click();
        QFAIL("no such button");
    });
}

}  // namespace

class PiezasTest : public QObject {
    Q_OBJECT
  private slots:
    void leyendaDibujoInvertidoYRepintado() {
        PicMsg p;
        p.resize(400, 24);
        BarraProgreso(p, Value(50), 255, "ASIENTOS Leidos: 3 DE 6");
        QCOMPARE(p.Ultimo().leyenda, std::string("ASIENTOS Leidos: 3 DE 6 50%"));
        const QImage& im = p.Imagen_();
        QCOMPARE(im.size(), QSize(400, 24));
        // Left of the edge only red (the bar on white) and cyan (the caption under it);
        // right of it only white and black, and the caption crosses the edge.
        int cian = 0, negro = 0;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) {
                const QRgb c = Px(im, x, y);
                if (x < 200) {
                    QVERIFY2(c == 0xFF0000 || c == 0x00FFFF, qPrintable(QString::number(c, 16)));
                    cian += c == 0x00FFFF;
                } else {
                    QVERIFY(c == 0xFFFFFF || c == 0x000000);
                    negro += c == 0x000000;
                }
            }
        QVERIFY(cian > 20);
        QVERIFY(negro > 20);

        BarraProgreso(p, Value(0), 255, "X");
        QCOMPARE(p.Ultimo().leyenda, std::string("X %"));
        QCOMPARE(Px(p.Imagen_(), 0, 0), QRgb(0xFFFFFF));
        BarraProgreso(p, Value(150), 255, "");
        QCOMPARE(p.Ultimo().leyenda, std::string(" 150%"));
        QCOMPARE(Px(p.Imagen_(), 399, 0), QRgb(0xFF0000));  // clipped at the right edge
        BarraProgreso(p, Value(33.4), 255, "T");
        QCOMPARE(Px(p.Imagen_(), 132, 0), QRgb(0xFF0000));
        QCOMPARE(Px(p.Imagen_(), 135, 0), QRgb(0xFFFFFF));
        QVERIFY_THROWS_EXCEPTION(Falla, BarraProgreso(p, Value(true), 255, "T"));
        // On the screen, the first draw of a quiet frame is painted at once.
        PicMsg q;
        q.resize(200, 24);
        q.show();
        const int antes = q.Repintados();
        q.Dibujar(DibujoBarra{10, 255, "A 10%"});
        QCOMPARE(q.Repintados(), antes + 1);
        QVERIFY(!q.Pendiente());
    }

    void skinSegunElNumero() {
        QTemporaryDir dir;
        FormServices::FijarCarpetaPrograma(dir.path().toStdString());
        QDir(dir.path()).mkpath("Styles/iTunes");
        Escribir(dir.filePath("Styles/Vista.cjstyles"), "QWidget { color: #010101; }");
        Escribir(dir.filePath("Styles/iTunes/Normalitunes.ini"), "QWidget { color: #040404; }");
        Escribir(dir.filePath("Styles/Office2007.cjstyles"), "QWidget { color: #070707; }");
        OperadorGuionado op;
        FormServices fs(op);
        const std::string entrada = Mayusculas(SystemServices::Identidad()) + "Styles";
        struct Caso {
            const char* ini;
            int nro;
            const char* archivo;
            const char* color;
        };
        for (const Caso& c :
             {Caso{nullptr, 1, "Styles/Vista.cjstyles", "#010101"}, Caso{"4", 4, "Styles/iTunes", "#040404"},
              Caso{"0", 0, "Styles/Office2007.cjstyles", "#070707"},
              Caso{"abc", 0, "Styles/Office2007.cjstyles", "#070707"},
              Caso{"2", 2, "Styles/WinXP.Luna.cjstyles", nullptr}}) {  // no such file: the default look
            QFile::remove(dir.filePath("cn000pr.ini"));
            if (c.ini) Escribir(dir.filePath("cn000pr.ini"), "[" + entrada + "]\nStyles=" + c.ini + "\n");
            QWidget w;
            SkinFramework sk;
            const Skin s = AplicaSkin(w, sk, fs);
            QCOMPARE(NroSkin(), c.nro);
            QCOMPARE(s.archivo, std::string(c.archivo));
            QCOMPARE(s.ajustes, std::string(c.nro == 4 ? "Normalitunes.ini" : ""));
            QVERIFY(c.color ? w.styleSheet().contains(c.color) : w.styleSheet().isEmpty());
            QCOMPARE(sk.ApplyOptions & 1, 1);
        }
        // The settings file DEPURACION_INI names gives the skin number too.
        QTemporaryDir otra;
        Escribir(otra.filePath("otro.ini"), "[" + entrada + "]\nStyles=4\n");
        qputenv("DEPURACION_INI", otra.filePath("otro.ini").toUtf8());
        QWidget w4;
        SkinFramework sk;
        QCOMPARE(AplicaSkin(w4, sk, fs).archivo, std::string("Styles/iTunes"));
        QVERIFY(w4.styleSheet().contains("#040404"));
        qunsetenv("DEPURACION_INI");
        // Installed: the program in <prefix>/bin, its skins in <prefix>/share/depuracion.
        QTemporaryDir prefijo;
        QDir(prefijo.path()).mkpath("bin");
        QDir(prefijo.path()).mkpath("share/depuracion/Styles");
        Escribir(prefijo.filePath("share/depuracion/Styles/Vista.cjstyles"), "QWidget { color: #020202; }");
        FormServices::FijarCarpetaPrograma(prefijo.filePath("bin").toStdString());
        QWidget w1;
        AplicaSkin(w1, sk, fs);
        QVERIFY(w1.styleSheet().contains("#020202"));
        FormServices::FijarCarpetaPrograma({});
    }

    void teclasDeComando() {
        UtilKit u;
        std::vector<std::string> clics;
        u.alClic = [&](std::string& t) { clics.push_back(t); };
        for (int i = 1; i <= 8; ++i) u.FijarEstado(i, true);
        QVERIFY(u.TeclaAbajo(123));
        QVERIFY(u.TeclaAbajo(114));
        QVERIFY(u.TeclaAbajo(121));
        QVERIFY(!u.TeclaAbajo(13));
        QCOMPARE(clics, (std::vector<std::string>{"GRABAR", "CONSULTAR", "CERRAR"}));
        u.FijarEstado(5, false);  // the lookup state governs CONSULTAR
        QVERIFY(u.TeclaAbajo(114));
        QCOMPARE(clics.size(), std::size_t{3});
        u.Accion("grabar")->trigger();
        QCOMPARE(clics.back(), std::string("GRABAR"));
        QCOMPARE(CodigoPlataforma(Qt::Key_F12), 123);
        QCOMPARE(CodigoPlataforma(Qt::Key_Return), 13);
    }

    void dialogosDelOperador() {
        OperadorQt op;
        Responder("No");
        QCOMPARE(op.Mensaje("¿Seguir?", vb::kSiNo | vb::kPregunta), vb::kNo);
        // The question before a run: "No" is the default, and Esc answers it.
        for (const auto tecla : {Qt::Key_Escape, Qt::Key_Return}) {
            QTimer::singleShot(0, [tecla] {
                QWidget* m = QApplication::activeModalWidget();
                QVERIFY(m);
                QTest::keyClick(m, tecla);
            });
            QVERIFY(!op.Confirmar("¿Depurar?", "Confirmar la depuración"));
        }
        Responder("Sí");
        QVERIFY(op.Confirmar("¿Depurar?", "Confirmar la depuración"));
        // A refusal in the operator's words; the engine's text in the technical detail.
        QTimer::singleShot(0, [] {
            auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(m);
            QVERIFY(m->text().startsWith("La base de datos está bloqueada por otro programa."));
            QVERIFY(m->detailedText().contains("DELETE AUX_TMP: database is locked"));
            m->button(QMessageBox::Retry)->click();
        });
        QCOMPARE(op.DialogoError(Falla(5, "DELETE AUX_TMP: database is locked")), vb::kReintentar);
        const std::pair<const char*, const char*> frases[] = {
            {"no such table: V_MV_STOCK", "Falta una tabla"},
            {"[SQL Server]Transaction (Process ID 52) was deadlocked", "destrabar un bloqueo"},
            {"database or disk is full", "No queda espacio"},
            {"algo que nadie previó", "La base de datos rechazó la operación."},
        };
        for (const auto& [motor, operador] : frases)
            QVERIFY2(FallaEnPalabras(motor).find(operador) != std::string::npos, motor);
        // A database that could not be opened: what to check follows the cause (a file held by
        // another program is sound, and its advice is to wait).
        const std::pair<const char*, const char*> sinConexion[] = {
            {"'d.db': la base de datos está bloqueada por otro proceso (database is locked)",
             "Otro programa está escribiendo en la base de datos"},
            {"'d.db': el archivo no es una base de datos (file is not a database)", "Revise el archivo"},
        };
        for (const auto& [detalle, consejo] : sinConexion) {
            const std::string t = TextoSinConexion("sqlite", detalle);
            QVERIFY2(t.find(consejo) != std::string::npos && t.find(detalle) != std::string::npos, t.c_str());
        }
        Responder("Reintentar");
        QCOMPARE(op.DialogoError(Falla(5, "fallo")), vb::kReintentar);
        Responder("Ignorar");
        QCOMPARE(op.ErrorRutina(Falla(5, "fallo"), "Obtener_Nro_Comprobante"), vb::kIgnorar);
        Responder("Abortar");
        QCOMPARE(op.DialogoError(Falla(5, "fallo")), vb::kAbortar);
        QTimer::singleShot(0, [] {
            QWidget* m = QApplication::activeModalWidget();
            QVERIFY(m);
            m->findChild<QCalendarWidget*>()->setSelectedDate(QDate(2021, 3, 7));
            for (auto* b : m->findChildren<QPushButton*>())
                if (b->text() == "Aceptar") b->click();
        });
        QCOMPARE(op.ElegirFecha(), std::string("07/03/2021"));
        Responder("Cancelar");
        QCOMPARE(op.ElegirFecha(), std::string());

        // The chooser opens on the field's date (today when it holds none), with Spanish month and
        // day names on an English system.
        const QLocale antes;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        struct Caso {
            const char* campo;
            QDate fecha;
        };
        for (const Caso& c : {Caso{"15/06/2022", QDate(2022, 6, 15)}, Caso{" ", QDate::currentDate()},
                              Caso{"31/02/2021", QDate::currentDate()}}) {
            QDate elegida;
            QString mes, dia;
            QTimer::singleShot(0, [&] {
                auto* cal = QApplication::activeModalWidget()->findChild<QCalendarWidget*>();
                elegida = cal->selectedDate();
                QVERIFY(cal->yearShown() == c.fecha.year() && cal->monthShown() == c.fecha.month());
                mes = cal->findChild<QToolButton*>("qt_calendar_monthbutton")->text();
                auto* vista = cal->findChild<QTableView*>("qt_calendar_calendarview");
                for (int col = 0; col < vista->model()->columnCount(); ++col)
                    dia += vista->model()->data(vista->model()->index(0, col)).toString() + " ";
                QApplication::activeModalWidget()->close();
            });
            op.ElegirFecha(c.campo);
            QCOMPARE(elegida, c.fecha);
            QCOMPARE(mes, QLocale(QLocale::Spanish).standaloneMonthName(c.fecha.month()));
            QVERIFY2(dia.contains("lun") && dia.contains("mié") && !dia.contains("Mon"), qPrintable(dia));
        }
        QLocale::setDefault(antes);
        PedidoLista p;
        p.origen = "SELECT A,B FROM T";
        QCOMPARE(ConsultaDeLista(p), p.origen);
        p.origen = 'T';
        p.seleccion = "select X,Y from T ";
        QCOMPARE(ConsultaDeLista(p), p.seleccion);
        p.seleccion.clear();
        p.filtro = "WHERE 1=1";
        QCOMPARE(ConsultaDeLista(p), std::string("SELECT * FROM T WHERE 1=1"));
    }
};

QTEST_MAIN(PiezasTest)
#include "piezas_test.moc"
