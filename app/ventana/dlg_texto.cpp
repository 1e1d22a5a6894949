#include "app/ventana/dlg_texto.hpp"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dep {

DlgTexto::DlgTexto(const QString& nombre, QWidget* padre) : QDialog(padre) {
    setObjectName(nombre);
    setModal(false);
    auto* capa = new QVBoxLayout(this);
    texto_ = new QPlainTextEdit(this);
    texto_->setReadOnly(true);
    texto_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    texto_->setLineWrapMode(QPlainTextEdit::NoWrap);
    capa->addWidget(texto_);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Close, this);
    botones->button(QDialogButtonBox::Close)->setText("Cerrar");
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::hide);
    capa->addWidget(botones);
    resize(720, 420);
}

void DlgTexto::Mostrar(const std::string& titulo, const std::string& texto) {
    setWindowTitle(QString::fromStdString(titulo));
    texto_->setPlainText(QString::fromStdString(texto));
    show();
    raise();
}

std::string DlgTexto::Texto() const {
    return texto_->toPlainText().toStdString();
}

}  // namespace dep
