#pragma once
// The window on a fresh demo database, with a scripted operator answering every dialog.
#include <memory>
#include <string>

#include <QTemporaryDir>

#include "app/ventana/frm_depuracion.hpp"
#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "tests/apoyo/rechazos.hpp"

namespace dep {

struct Banco {
    QTemporaryDir dir;
    std::string base;
    OperadorGuionado op;
    std::shared_ptr<Conexion> cn;
    std::unique_ptr<DataServices> datos;
    FormServices formularios{op};
    LookupServices consultas{op};
    std::unique_ptr<Servicios> s;
    std::unique_ptr<FrmDepuracion> w;
    int terminado = 0;

    // conBase false: the program started without a database. `rechazos`: statements the database
    // refuses, as ConRechazos reads them.
    explicit Banco(bool conBase = true, const std::string& rechazos = {}) {
        FormServices::FijarCarpetaPrograma(dir.path().toStdString());
        base = dir.filePath("demo.db").toStdString();
        if (conBase) {
            OpcionesDemo o;
            o.asientos = 3000;
            GenerarDemo(base, o);
            AjustesConexion a;
            a.motor = "sqlite";
            a.base = base;
            cn = AbrirConexion(a);
            if (!rechazos.empty()) cn = prueba::ConRechazos(cn, rechazos);
        }
        datos = std::make_unique<DataServices>(cn, op);
        s = std::make_unique<Servicios>(Servicios{*datos, formularios, consultas, op});
        NuevaVentana();
    }
    void NuevaVentana() {
        w.reset();
        w = std::make_unique<FrmDepuracion>(*s);
        w->FijarTerminar([this] { ++terminado; });
        w->FijarDiario(RutaDiario());  // the journal stays in the test's folder
        w->Form_Load();
    }
    std::string RutaDiario() const { return dir.filePath("diario.jsonl").toStdString(); }
    std::string Valor(const std::string& sql) {
        auto r = cn->Consultar(sql);
        if (r.filas.empty() || r.filas[0].empty()) return "<nada>";
        const Value& v = r.filas[0][0];
        return v.EsNulo() ? "<nulo>" : v.ATexto();
    }
    std::string FechaGuardada() {
        return Valor("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE='FECHAULTIMADEPURACION'");
    }
};

}  // namespace dep
