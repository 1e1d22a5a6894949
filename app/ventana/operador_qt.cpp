#include "app/ventana/operador_qt.hpp"
#include "app/ventana/texto_qt.hpp"

#include <chrono>

#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "runtime/conversions.hpp"
#include "runtime/data_services.hpp"
#include "runtime/recordset.hpp"

namespace dep {
namespace {

struct Boton {
    QMessageBox::StandardButton qt;
    const char* texto;
    int respuesta;
};

std::vector<Boton> BotonesDe(int botones) {
    switch (botones & 7) {
        case vb::kAceptarCancelar:
            return {{QMessageBox::Ok, "Aceptar", vb::kAceptar},
                    {QMessageBox::Cancel, "Cancelar", vb::kCancelar}};
        case vb::kAbortarReintentarIgnorar:
            return {{QMessageBox::Abort, "Abortar", vb::kAbortar},
                    {QMessageBox::Retry, "Reintentar", vb::kReintentar},
                    {QMessageBox::Ignore, "Ignorar", vb::kIgnorar}};
        case vb::kSiNoCancelar:
            return {{QMessageBox::Yes, "Sí", vb::kSi},
                    {QMessageBox::No, "No", vb::kNo},
                    {QMessageBox::Cancel, "Cancelar", vb::kCancelar}};
        case vb::kSiNo:
            return {{QMessageBox::Yes, "Sí", vb::kSi}, {QMessageBox::No, "No", vb::kNo}};
        case vb::kReintentarCancelar:
            return {{QMessageBox::Retry, "Reintentar", vb::kReintentar},
                    {QMessageBox::Cancel, "Cancelar", vb::kCancelar}};
        default:
            return {{QMessageBox::Ok, "Aceptar", vb::kAceptar}};
    }
}

QMessageBox::Icon IconoDe(int botones) {
    switch (botones & 0x70) {
        case vb::kCritico:
            return QMessageBox::Critical;
        case vb::kPregunta:
            return QMessageBox::Question;
        case vb::kExclamacion:
            return QMessageBox::Warning;
        case vb::kInformacion:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

std::string TextoError(const Falla& e) {
    return "Error " + TextoEntero(e.Numero()) + ": " + e.Descripcion() + "\nOrigen: " + e.Origen();
}

}  // namespace

std::string FallaEnPalabras(const std::string& descripcion) {
    // The engines' own words (SQLite's, the ODBC drivers' and SQL Server's), any case.
    static const std::pair<const char*, const char*> kFrases[] = {
        {"database is locked", "La base de datos está bloqueada por otro programa."},
        {"bloqueada por otro", "La base de datos está bloqueada por otro programa."},
        {"deadlock", "El servidor detuvo esta operación para destrabar un bloqueo con otro programa."},
        {"disk is full", "No queda espacio en el disco de la base de datos."},
        {"disco lleno", "No queda espacio en el disco de la base de datos."},
        {"no such table", "Falta una tabla en la base de datos."},
        {"invalid object name", "Falta una tabla en la base de datos."},
        {"no such column", "Falta una columna en una tabla de la base de datos."},
        {"invalid column name", "Falta una columna en una tabla de la base de datos."},
        {"constraint",
         "La base de datos rechazó el cambio: contradice una de sus reglas (clave repetida o dato "
         "obligatorio)."},
        {"readonly", "La base de datos es de solo lectura."},
        {"solo lectura", "La base de datos es de solo lectura."},
        {"permission", "El usuario no tiene permiso para esta operación en la base de datos."},
        {"i/o error", "No se pudo leer o escribir el archivo de la base de datos."},
        {"timeout", "La base de datos tardó demasiado en responder."},
        {"communication link", "Se perdió la conexión con la base de datos."},
        {"could not find stored procedure", "Falta el procedimiento almacenado en la base de datos."},
        {"no existe el procedimiento", "Falta el procedimiento almacenado en la base de datos."},
    };
    std::string t = descripcion;
    for (char& c : t)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const auto& [clave, frase] : kFrases)
        if (t.find(clave) != std::string::npos) return frase;
    return "La base de datos rechazó la operación.";
}

int OperadorQt::Mensaje(const std::string& texto, int botones, const std::string& titulo) {
    QMessageBox m(IconoDe(botones), Q(titulo.empty() ? kTituloAplicacion : titulo), Q(texto),
                  QMessageBox::NoButton, padre_);
    return Mostrar(m, botones);
}

int OperadorQt::Mostrar(QMessageBox& m, int botones) {
    const auto lista = BotonesDe(botones);
    for (const auto& b : lista) m.addButton(b.qt)->setText(QString::fromUtf8(b.texto));
    // Escape answers like the last button that can cancel, or the only one.
    for (const auto& b : lista)
        if (b.respuesta == vb::kCancelar || lista.size() == 1) m.setEscapeButton(m.button(b.qt));
    // A question before something that cannot be undone: Enter and Esc both answer the second.
    if ((botones & vb::kBotonDefecto2) && lista.size() > 1) {
        m.setDefaultButton(lista[1].qt);
        m.setEscapeButton(m.button(lista[1].qt));
    }
    const auto desde = std::chrono::steady_clock::now();
    m.exec();
    segundosEnDialogos_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - desde).count();
    const auto pulsado = m.standardButton(m.clickedButton());
    for (const auto& b : lista)
        if (b.qt == pulsado) return b.respuesta;
    return lista.size() == 1 ? lista[0].respuesta : vb::kCancelar;
}

int OperadorQt::Abortar(const std::string& texto, const std::string& detalle) {
    const int botones = vb::kAbortarReintentarIgnorar | vb::kCritico;
    QMessageBox m(
        IconoDe(botones), Q(kTituloAplicacion),
        Q(texto + "\n\n«Reintentar» repite el paso, «Ignorar» lo salta y sigue, «Abortar» deja esta "
                  "purga."),
        QMessageBox::NoButton, padre_);
    m.setDetailedText(Q("Detalle técnico:\n" + detalle));
    const int r = Mostrar(m, botones);
    return r == vb::kCancelar ? vb::kAbortar : r;
}

int OperadorQt::DialogoError(const Falla& e) {
    return Abortar(FallaEnPalabras(e.Descripcion()), TextoError(e));
}

int OperadorQt::ErrorRutina(const Falla& e, const std::string& rutina) {
    return Abortar(FallaEnPalabras(e.Descripcion()), "Error en la rutina " + rutina + "\n" + TextoError(e));
}

// Aceptar and Cancelar at the foot of `d`, in the suite's language.
static void BotonesAceptarCancelar(QDialog& d, QLayout* lay) {
    auto* bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    bb->button(QDialogButtonBox::Ok)->setText("Aceptar");
    bb->button(QDialogButtonBox::Cancel)->setText("Cancelar");
    lay->addWidget(bb);
    QObject::connect(bb, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(bb, &QDialogButtonBox::rejected, &d, &QDialog::reject);
}

std::string OperadorQt::ElegirFecha(const std::string& inicial) {
    QDialog d(padre_);
    d.setObjectName("ElegirFecha");
    d.setWindowTitle("Elegir fecha");
    auto* lay = new QVBoxLayout(&d);
    auto* cal = new QCalendarWidget(&d);
    cal->setObjectName("Calendario");
    cal->setGridVisible(true);
    // Month and day names in the suite's language, whatever the machine's locale.
    cal->setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    // On the date the field holds, so that a nearby date is a click or two away.
    QDate desde = QDate::currentDate();
    if (const auto f = ReconocerFecha(inicial)) desde = QDate(f->Anio(), f->Mes(), f->Dia());
    cal->setSelectedDate(desde);
    cal->setCurrentPage(desde.year(), desde.month());
    lay->addWidget(cal);
    BotonesAceptarCancelar(d, lay);
    QObject::connect(cal, &QCalendarWidget::activated, &d, &QDialog::accept);
    if (d.exec() != QDialog::Accepted) return {};
    return cal->selectedDate().toString("dd/MM/yyyy").toStdString();
}

std::string ConsultaDeLista(const PedidoLista& p) {
    const std::string o = Recortar(p.origen);
    if (o.size() >= 7 && IgualesSinCaso(o.substr(0, 7), "select ")) return p.origen;
    if (!Recortar(p.seleccion).empty()) return p.seleccion;
    return "SELECT * FROM " + p.origen + (p.filtro.empty() ? "" : " " + p.filtro);
}

std::string OperadorQt::AbrirLista(const PedidoLista& p) {
    Resultado filas;
    try {
        if (!datos_ || !datos_->EstaConectado())
            throw Falla(err::kConexion, "No hay conexión con la base de datos.");
        Recordset rs;
        datos_->AbrirRecordset(ConsultaDeLista(p), rs);
        filas.columnas = rs.Columnas();
        for (; !rs.EOF(); rs.MoveNext()) {
            std::vector<Value> f;
            for (const auto& c : filas.columnas) f.push_back(rs.Fields(c));
            filas.filas.push_back(std::move(f));
        }
        datos_->CerrarRecordset(rs);
    } catch (const Falla& e) {
        Mensaje("No se pudo abrir la lista de " + p.origen + ":\n" + e.Descripcion(), vb::kExclamacion,
                "Aviso al Operador");
        return {};
    }
    int codigo = 0;
    for (std::size_t i = 0; i < filas.columnas.size(); ++i)
        if (IgualesSinCaso(filas.columnas[i], p.campoCodigo)) codigo = static_cast<int>(i);

    QDialog d(padre_);
    d.setObjectName("AbrirLista");
    d.setWindowTitle("Consulta");
    d.resize(520, 360);
    auto* lay = new QVBoxLayout(&d);
    auto* buscar = new QLineEdit(&d);
    buscar->setObjectName("Buscar");
    buscar->setPlaceholderText("Buscar...");
    lay->addWidget(buscar);
    auto* tabla =
        new QTableWidget(static_cast<int>(filas.filas.size()), static_cast<int>(filas.columnas.size()), &d);
    tabla->setObjectName("Filas");
    tabla->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabla->setSelectionMode(QAbstractItemView::SingleSelection);
    tabla->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabla->verticalHeader()->hide();
    for (std::size_t c = 0; c < filas.columnas.size(); ++c)
        tabla->setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(Q(filas.columnas[c])));
    for (std::size_t r = 0; r < filas.filas.size(); ++r)
        for (std::size_t c = 0; c < filas.columnas.size(); ++c) {
            const Value& v = filas.filas[r][c];
            tabla->setItem(static_cast<int>(r), static_cast<int>(c),
                           new QTableWidgetItem(Q(v.EsNulo() ? std::string() : v.ATexto())));
        }
    tabla->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(tabla);
    BotonesAceptarCancelar(d, lay);
    QObject::connect(tabla, &QTableWidget::cellDoubleClicked, &d, &QDialog::accept);
    // The search shows the rows where any column contains the text, without regard to case.
    QObject::connect(buscar, &QLineEdit::textChanged, &d, [tabla](const QString& t) {
        int primera = -1;
        for (int r = 0; r < tabla->rowCount(); ++r) {
            bool ve = t.isEmpty();
            for (int c = 0; !ve && c < tabla->columnCount(); ++c)
                ve = tabla->item(r, c)->text().contains(t, Qt::CaseInsensitive);
            tabla->setRowHidden(r, !ve);
            if (ve && primera < 0) primera = r;
        }
        if (primera >= 0) tabla->selectRow(primera);
    });
    if (tabla->rowCount() > 0) tabla->selectRow(0);
    if (d.exec() != QDialog::Accepted) return {};
    const int fila = tabla->currentRow();
    if (fila < 0 || tabla->isRowHidden(fila) || codigo >= tabla->columnCount()) return {};
    return tabla->item(fila, codigo)->text().toStdString();
}

}  // namespace dep
