#pragma once
// A window of text beside the main window: the preview of a run and the end-of-run report.
// Not modal, so the main window stays usable while it is open.
#include <string>

#include <QDialog>

class QPlainTextEdit;

namespace dep {

class DlgTexto : public QDialog {
    Q_OBJECT
  public:
    DlgTexto(const QString& nombre, QWidget* padre);
    void Mostrar(const std::string& titulo, const std::string& texto);
    std::string Texto() const;

  private:
    QPlainTextEdit* texto_ = nullptr;
};

}  // namespace dep
