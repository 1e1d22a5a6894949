#pragma once
// A window beside the main window for the preview of a run and the end-of-run report, laid out
// as HTML tables. Not modal, so the main window stays usable while it is open.
#include <string>

#include <QDialog>

class QTextBrowser;

namespace dep {

class DlgTexto : public QDialog {
    Q_OBJECT
  public:
    DlgTexto(const QString& nombre, QWidget* padre);
    void Mostrar(const std::string& titulo, const std::string& html);
    std::string Texto() const;                  // what it shows, as plain text
    std::string Html() const { return html_; }  // what it was given

  private:
    QTextBrowser* texto_ = nullptr;
    std::string html_;
};

}  // namespace dep
