// The console program: options, connection, the run and its exit status.
#include <filesystem>

#include "app/consola/anfitrion_consola.hpp"
#include "app/consola/resumenes.hpp"
#include "purge/diario.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/conversions.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/odbc/odbc_texto.hpp"
#include "runtime/servicios.hpp"

namespace dep::consola {

namespace {
constexpr int kTerminado = 0, kCancelado = 1, kUsoIncorrecto = 2, kConErrores = 3;
}

int Correr(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal,
           const std::function<void()>& alProcesar) {
    std::string error;
    auto leidas = LeerOpciones(args, error);
    if (!leidas) {
        err << "depuracion-consola: " << error << "\nPruebe 'depuracion-consola --help'.\n";
        return kUsoIncorrecto;
    }
    const Opciones& o = *leidas;
    if (o.ayuda) {
        out << TextoAyuda();
        return kTerminado;
    }
    // The same date test as the window's GRABAR.
    if (!ReconocerFecha(o.hasta)) {
        out << "Fecha incorrecta" << std::endl;
        return kUsoIncorrecto;
    }

    AjustesConexion a = LeerAjustesConexion();
    if (!o.base.empty()) {
        a.motor = "sqlite";
        a.base = o.base;
    } else if (!o.odbc.empty()) {
        a.motor = "odbc";
        a.odbc = o.odbc;
    }
    if (!o.traza.empty()) a.traza = o.traza;
    if (a.motor == "sqlite" && !std::filesystem::exists(a.base)) {
        err << "No se pudo abrir la base de datos: no existe el archivo '" << a.base << "'.\n";
        return kConErrores;
    }
    std::shared_ptr<Conexion> cn;
    try {
        cn = AbrirConexion(a);
    } catch (const std::exception& e) {
        err << "No se pudo abrir la base de datos '"
            << (a.motor == "odbc" ? odbc::OcultarClave(a.odbc) : a.base) << "': " << e.what() << "\n";
        return kConErrores;
    }

    Avance avance(err, terminal);
    OperadorConsola op(out, avance, o.anteError);
    DataServices datos(cn, op);
    FormServices formularios(op);
    LookupServices consultas(op);
    Servicios s{datos, formularios, consultas, op};
    AnfitrionConsola host(o, avance, op);
    host.alProcesar = alProcesar;
    Depuracion d(s, host);
    host.Asociar(&d);
    InstalarCtrlC();

    if (o.vistaPrevia) {
        const int r = ImprimirVistaPrevia(s, o.hasta, o.stock, o.asientos, o.temporales, o.json, out, err);
        // An error dialog during the counts (the numbering's) leaves figures that cannot be trusted.
        return r == 0 && op.Dialogos() > 0 ? kConErrores : r;
    }

    if (o.aplicaciones) {
        try {
            d.ControlarAplicaciones(*o.aplicaciones, o.soloFP, *ReconocerFecha(o.hasta));
        } catch (const std::exception& e) {
            avance.Vaciar();
            out << "ERROR: " << e.what() << std::endl;
            return kConErrores;
        }
        avance.Vaciar();
        return host.Cancelado() ? kCancelado : kTerminado;
    }

    // The journal watches the connection only while the purges run.
    Diario diario(o.diario);
    {
        DiarioEnCorrida mirando(datos, diario);
        diario.Iniciar(o.hasta, o.stock, o.asientos, o.temporales);
        d.Depurar();
        diario.Terminar(host.Cancelado());
    }
    d.Timer1_Timer();
    avance.Vaciar();
    err << host.Etiqueta(3) << " " << host.Etiqueta(0) << "\n"
        << host.Etiqueta(1) << "\n"
        << host.Etiqueta(2) << "\n";
    if (!diario.Escrito()) err << "No se pudo escribir el diario de corridas '" << diario.Ruta() << "'.\n";
    ImprimirInforme(diario, o.json, out);
    // An error dialog means a trap ran, also one of a routine that does not set HayError (the
    // numbering's): the run is not a clean one.
    if (host.HayError() || op.Dialogos() > 0) return kConErrores;
    if (host.Cancelado()) return kCancelado;
    return kTerminado;
}

}  // namespace dep::consola
