// The console program: options, connection, the run and its exit status.
#include <filesystem>

#include "app/consola/anfitrion_consola.hpp"
#include "app/consola/resumenes.hpp"
#include "purge/desenlace.hpp"
#include "purge/diario.hpp"
#include "purge/informe.hpp"
#include "purge/pasada_en_curso.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/conversions.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/motores.hpp"
#include "runtime/odbc/odbc_texto.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "runtime/servicios.hpp"
#include "runtime/version.hpp"

namespace dep::consola {

namespace {

constexpr int kTerminado = 0, kCancelado = 1, kUsoIncorrecto = 2, kConErrores = 3;

// The payment applications control: under the run lock, on a summary voucher that exists.
int Aplicaciones(const Opciones& o, Servicios& s, Depuracion& d, AnfitrionConsola& host, Avance& avance,
                 std::ostream& out) {
    const std::string tipo = o.soloFP ? "FP" : "CC";
    try {
        if (!ExisteComprobanteResumen(s.datos, tipo, *o.aplicaciones)) {
            out << "No hay ningún comprobante " << tipo << " " << *o.aplicaciones
                << " en MV_ASIENTOS: no se modificó nada." << std::endl;
            return kUsoIncorrecto;
        }
        const Purga purga = Purga::Aplicaciones;
        const auto candado = d.TomarCandado(&purga, 1);
        if (!candado) return kConErrores;
        d.ControlarAplicaciones(*o.aplicaciones, o.soloFP, *LeerFechaCorte(o.hasta));
    } catch (const std::exception& e) {
        avance.Vaciar();
        out << "ERROR: " << e.what() << std::endl;
        return kConErrores;
    }
    avance.Vaciar();
    return host.Cancelado() ? kCancelado : kTerminado;
}

}  // namespace

int Correr(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal,
           const std::function<void()>& alProcesar, const Envoltura& envolver) {
    std::string error;
    auto leidas = LeerOpciones(args, error);
    if (!leidas) {
        err << "depuracion-consola: " << error << "\nPruebe 'depuracion-consola --help'.\n";
        return kUsoIncorrecto;
    }
    Opciones o = *leidas;
    if (o.ayuda) {
        out << TextoAyuda();
        return kTerminado;
    }
    if (o.version) {
        out << TextoVersion("depuracion-consola");
        return kTerminado;
    }
    // The same date test as the window's GRABAR.
    if (const std::string rechazo = RechazoFechaCorte(o.hasta, Depuracion::Ahora()); !rechazo.empty()) {
        out << rechazo << std::endl;
        if (rechazo == kFechaIncorrecta) err << PorQueFechaIncorrecta(o.hasta) << "\n";
        return kUsoIncorrecto;
    }
    // The statements and the stored last purge date carry it as it was read.
    o.hasta = TextoFechaCorte(o.hasta);

    AjustesConexion a = LeerAjustesConexion();
    if (!o.base.empty()) {
        a.motor = "sqlite";
        a.base = o.base;
    } else if (!o.odbc.empty()) {
        a.motor = "odbc";
        a.odbc = o.odbc;
    }
    if (!o.traza.empty()) a.traza = o.traza;
    for (const auto& aviso : a.avisos) err << aviso << "\n";
    if (a.motor == "sqlite") {
        // The journal or the trace written over the database or its journals would destroy it.
        for (const auto& [opcion, ruta] : {std::pair<const char*, std::string>{"--diario", o.diario},
                                           std::pair<const char*, std::string>{"--traza", a.traza}})
            if (!ruta.empty() && EsArchivoDeLaBase(ruta, a.base)) {
                err << "depuracion-consola: " << opcion << " '" << ruta
                    << "' es la base de datos o uno de sus archivos; elija otro archivo.\n";
                return kUsoIncorrecto;
            }
    }
    if (a.motor == "sqlite" && !std::filesystem::exists(Ruta(a.base))) {
        err << "No se pudo abrir la base de datos: no existe el archivo '" << a.base << "'.\n";
        return kConErrores;
    }
    std::shared_ptr<Conexion> cn;
    try {
        cn = AbrirConexion(a);
    } catch (const std::exception& e) {
        // The embedded engine's message already names the file: said once.
        const std::string texto = e.what();
        const std::string engine = "No se puede abrir la base de datos ";
        if (texto.rfind(engine, 0) == 0)
            err << "No se pudo abrir la base de datos " << texto.substr(engine.size()) << "\n";
        else
            err << "No se pudo abrir la base de datos '"
                << (a.motor == "odbc" ? odbc::OcultarClave(a.odbc) : a.base) << "': " << texto << "\n";
        return kConErrores;
    }

    if (envolver) cn = envolver(std::move(cn));

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

    if (o.aplicaciones) return Aplicaciones(o, s, d, host, avance, out);

    d.FijarCopia(o.copia);
    d.FijarCompactar(o.compactar);
    // The journal watches the connection only while the purges run.
    Diario diario(o.diario);
    {
        DiarioEnCorrida mirando(d, diario);
        diario.Iniciar(o.hasta, o.stock, o.asientos, o.temporales);
        d.Depurar();
        diario.Terminar(host.Cancelado());
    }
    d.Timer1_Timer();
    avance.Vaciar();
    err << host.Etiqueta(kRotuloTituloInicio) << " " << host.Etiqueta(kRotuloInicio) << "\n"
        << host.Etiqueta(kRotuloTranscurrido) << "\n"
        << host.Etiqueta(kRotuloFinal) << "\n";
    if (!diario.Escrito()) err << "No se pudo escribir el diario de corridas '" << diario.Ruta() << "'.\n";
    // An error dialog means a trap ran, also one of a routine that does not set HayError (the
    // numbering's). The exit status is the report's first line: they never disagree.
    const bool conError = host.HayError() || op.Dialogos() > 0;
    ImprimirInforme(diario, o.json, conError, out);
    Informe informe = ArmarInforme(diario);
    informe.errorEnLaCorrida = conError;
    switch (TitularDe(informe).desenlace) {
        case Desenlace::kConErrores:
            return kConErrores;
        case Desenlace::kCancelada:
            return kCancelado;
        case Desenlace::kTerminada:
            break;
    }
    return host.Cancelado() ? kCancelado : kTerminado;
}

}  // namespace dep::consola
