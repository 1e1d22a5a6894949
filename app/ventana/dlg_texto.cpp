#include "app/ventana/dlg_texto.hpp"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace dep {

DlgTexto::DlgTexto(const QString& nombre, QWidget* padre) : QDialog(padre) {
    setObjectName(nombre);
    setModal(false);
    auto* capa = new QVBoxLayout(this);
    texto_ = new QTextBrowser(this);
    texto_->setObjectName("Texto");
    texto_->setOpenLinks(false);
    // The tables take the dialog's width and wrap: there is never anything to scroll sideways.
    texto_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    capa->addWidget(texto_);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Close, this);
    botones->button(QDialogButtonBox::Close)->setText("Cerrar");
    // reject() hides it and tells who waits for it to be closed.
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    capa->addWidget(botones);
    resize(760, 520);
}

void DlgTexto::Mostrar(const std::string& titulo, const std::string& html) {
    setWindowTitle(QString::fromStdString(titulo));
    html_ = html;
    texto_->setHtml(QString::fromStdString(html));
    show();
    raise();
}

std::string DlgTexto::Texto() const {
    return texto_->toPlainText().toStdString();
}

}  // namespace dep
