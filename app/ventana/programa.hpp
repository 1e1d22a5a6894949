#pragma once
// The desktop program around the window: the operator's dialogs, the database the settings
// name, the services on it and FrmDepuracion, built in that order and torn down in reverse.
// The program's main and the test-only capture program share it.
#include <memory>
#include <string>

#include <QTranslator>

#include "app/ventana/frm_depuracion.hpp"
#include "app/ventana/operador_qt.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"

namespace dep {

class Programa {
  public:
    // Needs the QApplication. A database that cannot be opened is told to the operator and
    // the window opens without it (GRABAR and the preview then refuse, saying why).
    Programa();
    ~Programa();
    Programa(const Programa&) = delete;
    Programa& operator=(const Programa&) = delete;

    FrmDepuracion& Ventana() { return *w_; }
    OperadorQt& Operador_() { return op_; }
    Servicios& Servicios_() { return *s_; }

  private:
    // Qt's own dialogs (the folder chooser, a message box's details button) in Spanish.
    QTranslator traductor_;
    OperadorQt op_;
    std::shared_ptr<Conexion> cn_;
    std::unique_ptr<DataServices> datos_;
    std::unique_ptr<FormServices> formularios_;
    std::unique_ptr<LookupServices> consultas_;
    std::unique_ptr<Servicios> s_;
    std::unique_ptr<FrmDepuracion> w_;
};

// Why the window has no database, in the operator's words: what to check for the engine the
// settings name ("sqlite", "odbc", or anything else). `detalle` is the failure's own text,
// which may carry the database's English; it goes last, marked as a detail.
std::string TextoSinConexion(const std::string& motor, const std::string& detalle);

}  // namespace dep
