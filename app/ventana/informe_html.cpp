#include "app/ventana/informe_html.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/clave_comprobante.hpp"
#include "purge/desenlace.hpp"
#include "purge/verificacion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Esc(const std::string& s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&':
                r += "&amp;";
                break;
            case '<':
                r += "&lt;";
                break;
            case '>':
                r += "&gt;";
                break;
            case '"':
                r += "&quot;";
                break;
            default:
                r += c;
        }
    }
    return r;
}

std::string Num(long long n) {
    return TextoEntero(n);
}

std::string Plural(long long n, const char* uno, const char* varios) {
    return Num(n) + " " + (n == 1 ? uno : varios);
}

// The purges' own reasons are shared with the JSON report, which keeps them unaccented; the
// window shows them with their accents.
std::string Acentuar(std::string t) {
    static const std::pair<const char*, const char*> kPalabras[] = {
        {"consolidacion", "consolidación"},
        {"codigo", "código"},
        {"numero", "número"},
        {"llego", "llegó"},
        {"depuracion", "depuración"},
        {"ultima", "última"},
        {"quedo", "quedó"},
        {"proxima", "próxima"},
        {"pasara", "pasará"},
        {"dia", "día"},
        {"despues", "después"},
        {"decision", "decisión"},
    };
    auto letra = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c & 0x80); };
    for (const auto& [sin, con] : kPalabras) {
        const std::string a = sin, b = con;
        for (std::size_t p = t.find(a); p != std::string::npos; p = t.find(a, p + 1)) {
            const bool antes = p > 0 && letra(t[p - 1]);
            const bool despues = p + a.size() < t.size() && letra(t[p + a.size()]);
            if (antes || despues) continue;
            t.replace(p, a.size(), b);
            p += b.size() - 1;
        }
    }
    return t;
}

// A table: a header row and rows of cells, already HTML. Cells of the columns marked as
// numbers are aligned to the right.
struct Tabla {
    std::vector<std::string> encabezado;
    std::vector<std::vector<std::string>> filas;
    std::vector<bool> numerica;  // per column; missing: text
    std::vector<int> anchos;     // per column, percent of the width; missing: as the text needs

    std::string Html() const {
        std::string h =
            "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
            "style=\"border-collapse:collapse; border-color:#b9c3cf;\">";
        auto celda = [&](const char* etiqueta, std::size_t col, const std::string& c, const char* extra) {
            const bool der = col < numerica.size() && numerica[col];
            const std::string ancho =
                col < anchos.size() && anchos[col] > 0 ? " width=\"" + Num(anchos[col]) + "%\"" : "";
            return std::string("<") + etiqueta + " align=\"" + (der ? "right" : "left") + "\"" + ancho +
                   extra + ">" + c + "</" + etiqueta + ">";
        };
        if (!encabezado.empty()) {
            h += "<tr>";
            for (std::size_t c = 0; c < encabezado.size(); ++c)
                h += celda("th", c, encabezado[c], " bgcolor=\"#dfe7f1\"");
            h += "</tr>";
        }
        for (const auto& f : filas) {
            h += "<tr>";
            for (std::size_t c = 0; c < f.size(); ++c) h += celda("td", c, f[c], "");
            h += "</tr>";
        }
        return h + "</table>";
    }
};

std::string Titulo(const std::string& t) {
    return "<h3 style=\"margin-bottom:4px;\">" + Esc(t) + "</h3>";
}
std::string Seccion(const std::string& t) {
    return "<h4 style=\"margin-top:14px; margin-bottom:4px;\">" + Esc(t) + "</h4>";
}
std::string Parrafo(const std::string& html) {
    return "<p style=\"margin-top:2px; margin-bottom:2px;\">" + html + "</p>";
}
std::string Detalles(const std::string& html) {
    return "<hr/><h4 style=\"margin-bottom:4px; color:#555;\">Detalles</h4><div style=\"color:#444;\">" +
           html + "</div>";
}

constexpr const char* kStock = "Movimientos de Stock, ventas, compras";
constexpr const char* kAsientos = "Asientos";
constexpr const char* kTemporales = "Temporales e historial cambio de precios";

std::string QueConsolida(const std::string& tipo) {
    return tipo == "FP" ? "proveedores (FP, CBFP, FPC, PGFP)" : "todos menos proveedores";
}

std::string ComprobanteDe(const std::string& tipo, const std::string& clave) {
    return clave.empty() ? "—" : Esc(tipo + " " + ClaveLegible(clave));
}

// --- preview -----------------------------------------------------------------------------

std::string AsientosPrevia(const VistaPrevia& v) {
    Tabla t;
    t.encabezado.push_back("");
    for (std::size_t i = 0; i < v.pasadas.size(); ++i)
        t.encabezado.push_back("Pasada " + Num(static_cast<long long>(i + 1)) + ": " +
                               Esc(v.pasadas[i].tipo) + "<br/><span style=\"font-weight:normal;\">" +
                               Esc(QueConsolida(v.pasadas[i].tipo)) + "</span>");
    t.numerica.assign(t.encabezado.size(), false);
    t.anchos.assign(t.encabezado.size(), v.pasadas.empty() ? 0 : 64 / static_cast<int>(v.pasadas.size()));
    t.anchos[0] = 36;
    auto fila = [&](const std::string& rotulo, auto valor) {
        std::vector<std::string> f{Esc(rotulo)};
        for (const auto& p : v.pasadas) f.push_back(valor(p));
        t.filas.push_back(std::move(f));
    };
    auto cifra = [](auto campo) {
        return [campo](const PreviaPasada& p) { return p.correria ? Num(campo(p)) : std::string("—"); };
    };
    fila("¿Se consolida?", [](const PreviaPasada& p) {
        return p.correria ? std::string("Sí") : "No: " + Esc(Acentuar(p.motivo));
    });
    fila("Comprobante de saldo inicial",
         [](const PreviaPasada& p) { return ComprobanteDe(p.tipo, p.comprobante); });
    fila("Fechas a recorrer", [](const PreviaPasada& p) {
        if (!p.correria) return std::string("—");
        return Num(p.fechas) + " (del " + Esc(p.primeraFecha) + " al " + Esc(p.ultimaFecha) + ")";
    });
    fila("Asientos a consolidar", cifra([](const PreviaPasada& p) { return p.asientos; }));
    fila("Cierres y aperturas a borrar", cifra([](const PreviaPasada& p) { return p.cierres; }));
    fila("Renglones del comprobante de saldo inicial", cifra([](const PreviaPasada& p) { return p.grupos; }));
    bool varados = false;
    for (const auto& p : v.pasadas) varados = varados || !p.varados.empty();
    if (varados)
        fila("Comprobantes de una corrida interrumpida, que se pasan a la fecha de corte",
             [](const PreviaPasada& p) {
                 std::string r;
                 for (const auto& c : p.varados)
                     r += (r.empty() ? "" : "<br/>") + ComprobanteDe(p.tipo, c.comprobante) + " (" +
                          Plural(c.filas, "renglón", "renglones") + ")";
                 return r.empty() ? std::string("—") : r;
             });
    return Seccion(kAsientos) + t.Html();
}

long long Suma(const std::vector<ConteoTabla>& v) {
    long long n = 0;
    for (const auto& t : v) n += t.filas;
    return n;
}

long long Faltan(const std::vector<ConteoTabla>& v) {
    long long n = 0;
    for (const auto& t : v) n += !t.existe;
    return n;
}

}  // namespace

std::string ClaveLegible(const std::string& clave) {
    if (clave.size() != ClaveComprobante::kLargo) return clave;
    const ClaveComprobante c = ClaveComprobante::Leer(clave);
    return c.sucursal + "-" + c.numero + "-" + c.letra;
}

std::string HtmlVistaPrevia(const VistaPrevia& v) {
    std::string marcadas;
    for (const auto& [m, nombre] :
         {std::pair{v.asientos, kAsientos}, {v.stock, kStock}, {v.temporales, kTemporales}})
        if (m) marcadas += (marcadas.empty() ? "" : "; ") + std::string(nombre);
    std::string h = Titulo("Vista previa de la depuración hasta el " + v.hasta);
    h += Parrafo("No se modifica nada: esto es lo que haría una depuración con esta fecha.");
    h += Parrafo("Purgas marcadas: " + Esc(marcadas.empty() ? "ninguna" : marcadas));
    // What would stop a run now, in red before the figures.
    auto aviso = [&](const std::string& t) {
        h += Parrafo("<span style=\"color:#a12a1a;\"><b>" + Esc(t) + "</b></span>");
    };
    if (!v.corridaEnCurso.empty())
        aviso("Hay una depuración en curso en esta base de datos (" + v.corridaEnCurso +
              "): una corrida ahora sería rechazada.");
    if (!v.fechasAsientos.empty()) aviso(v.fechasAsientos);
    if (!v.importesAsientos.empty()) aviso(v.importesAsientos);
    for (const auto& t : v.historial)
        if (!t.aviso.empty()) aviso(t.aviso);

    if (v.asientos) h += AsientosPrevia(v);
    if (v.stock) {
        h += Seccion(kStock);
        h += Parrafo(
            "Los borra la propia base de datos con su procedimiento de depuración de stock: cuántos, "
            "no se puede saber de antemano.");
    }
    if (v.temporales) {
        Tabla t;
        t.encabezado = {"", "Filas a borrar"};
        t.numerica = {false, true};
        t.filas.push_back({"Tablas de trabajo, que se vacían", Num(Suma(v.trabajo))});
        t.filas.push_back({"Historial de transmisiones y de cambios de precio hasta el " + Esc(v.hasta),
                           Num(Suma(v.historial))});
        t.filas.push_back({"<b>Total</b>", "<b>" + Num(Suma(v.trabajo) + Suma(v.historial)) + "</b>"});
        h += Seccion(kTemporales) + t.Html();
        if (const long long n = Faltan(v.trabajo) + Faltan(v.historial))
            h += Parrafo(Plural(n, "tabla no existe en esta base de datos y se saltea",
                                "tablas no existen en esta base de datos y se saltean") +
                         " (ver los detalles).");
    }

    // Names of tables and procedures, for whoever checks the database itself.
    std::string d;
    if (v.asientos) {
        Tabla t;
        t.encabezado = {"Código de comprobante en V_TA_CPTE", "¿Existe?"};
        t.filas = {{"CC", v.existeCC ? "sí" : "no"}, {"FP", v.existeFP ? "sí" : "no"}};
        d += Parrafo("Asientos: tabla MV_ASIENTOS.") + t.Html();
    }
    if (v.stock) d += Parrafo("Movimientos de stock: procedimiento almacenado KS_DEPURA_STOCK.");
    if (v.temporales) {
        Tabla t;
        t.encabezado = {"Tabla", "Filas a borrar"};
        t.numerica = {false, true};
        for (const auto& c : v.trabajo)
            t.filas.push_back({Esc(c.tabla), c.existe ? Num(c.filas) : "no existe"});
        for (const auto& c : v.historial)
            t.filas.push_back(
                {Esc(c.tabla) + " (hasta el " + Esc(v.hasta) + ")", c.existe ? Num(c.filas) : "no existe"});
        d += Parrafo("Temporales e historial:") + t.Html();
    }
    if (!d.empty()) h += Detalles(d);
    return h;
}

// --- summary -----------------------------------------------------------------------------

namespace {

// The report's states in the operator's words; a state this window does not know yet is shown
// as the report gives it.
std::string EnPalabras(const InformePurga& p) {
    if (!p.marcada) return "No marcada";
    if (p.resultado == resultado::kOk) return "Hecha";
    if (p.resultado == resultado::kConRechazos) return "Hecha, con rechazos";
    if (p.resultado == resultado::kCancelada) return "Cancelada";
    if (p.resultado == resultado::kOmitida) return "No se hizo";
    if (p.resultado == resultado::kNoEjecutada)
        return p.unidades > p.rechazadas ? "Incompleta" : "No se ejecutó";
    if (p.resultado == resultado::kInterrumpida) return "Detenida por un error";
    if (p.resultado == resultado::kDiferencias) return "Hecha, pero los saldos no cuadran";
    if (p.resultado == resultado::kPendiente) return "Hecha, con algo pendiente";
    return p.resultado;
}

// What the purge did, one line a fact; a new fact of the report is one more line here.
std::vector<std::string> Hechos(const InformePurga& p) {
    std::vector<std::string> h;
    if (!p.marcada || (p.resultado == resultado::kCancelada && p.unidades == 0)) return h;
    const bool hizoAlgo = p.unidades > p.rechazadas;
    if (p.resultado == resultado::kNoEjecutada && !hizoAlgo) {
        h.push_back("no se ejecutó: " + Acentuar(p.motivo));
        return h;
    }
    if (p.purga == Purga::Stock && !p.unidades)
        h.push_back("no se ejecutó el procedimiento de depuración de stock");
    else if (p.purga == Purga::Stock)
        h.push_back(
            "la base de datos ejecutó su procedimiento de depuración de stock" +
            (p.filas > 0 ? " (" + Plural(p.filas, "fila borrada", "filas borradas") + ")" : std::string()));
    else if (p.purga == Purga::Asientos)
        h.push_back(Plural(p.filas, "asiento consolidado y borrado", "asientos consolidados y borrados"));
    else
        h.push_back(Plural(p.filas, "fila borrada", "filas borradas"));
    if (p.rechazadas)
        h.push_back(Plural(p.rechazadas, "paso rechazado", "pasos rechazados") + " por la base de datos");
    // Books that do not balance, or something left behind, come after a purge that did finish.
    const bool termino = p.resultado == resultado::kOmitida || p.resultado == resultado::kDiferencias ||
                         p.resultado == resultado::kPendiente;
    if (!p.motivo.empty() && p.resultado != resultado::kOk)
        h.push_back((termino ? "" : "no terminó: ") + Acentuar(p.motivo));
    else if (p.resultado == resultado::kCancelada)
        h.push_back("cancelada");
    return h;
}

}  // namespace

std::string HtmlResumen(const Informe& i, long enDialogos) {
    // How the run ended comes first, in the colour of what the operator has to do next.
    const Titular titular = TitularDe(i);
    const char* color = titular.desenlace == Desenlace::kTerminada   ? "#1b6e20"
                        : titular.desenlace == Desenlace::kCancelada ? "#9a5800"
                                                                     : "#a12a1a";
    std::string h = "<h3 style=\"margin-bottom:4px; color:" + std::string(color) + ";\">" +
                    Esc(Acentuar(titular.texto)) + "</h3>";
    h += Parrafo("<b>" + Esc("Resumen de la depuración hasta el " + i.hasta) + "</b>");
    const std::string estado = i.cancelado ? "Proceso cancelado: no se grabó la fecha de última depuración"
                               : i.fechaGrabada ? "Fecha de última depuración grabada: " + i.hasta
                                                : "No se grabó la fecha de última depuración";
    h += Parrafo(Esc(estado));
    if (i.compactacion == resultado::kOk && i.bytesAntes >= 0 && i.bytesDespues >= 0)
        h += Parrafo("Tamaño de la base de datos: " + Num(i.bytesAntes / 1024) + " KB antes, " +
                     Num(i.bytesDespues / 1024) + " KB después de compactarla");
    else if (i.compactacion == resultado::kOmitida && i.bytesAntes >= 0 && i.bytesDespues >= 0)
        h +=
            Parrafo("Espacio de las tablas depuradas: " + Num(i.bytesAntes / 1024) + " KB antes, " +
                    Num(i.bytesDespues / 1024) + " KB después (" + Esc(Acentuar(i.motivoCompactacion)) + ")");
    else if (i.compactacion == resultado::kCancelada)
        h += Parrafo("Compactación cancelada: la base de datos quedó como estaba");
    else if (!i.compactacion.empty() && i.compactacion != resultado::kOk)
        // A notice: the purges that finished are a finished run whatever became of it.
        h += Parrafo("No se compactó la base de datos: " + Esc(Acentuar(i.motivoCompactacion)));
    if (!i.copia.empty())
        h += Parrafo("Copia de seguridad: " + Esc(i.copia) +
                     (i.copiaBytes >= 0 ? " (" + Num(i.copiaBytes / 1024) + " KB)" : std::string()));
    // What the run left behind comes first and in red: the operator must act on it.
    for (const auto& q : i.pendientes)
        h += Parrafo("<span style=\"color:#a12a1a;\"><b>Pendiente:</b> " + Esc(Acentuar(q)) + "</span>");
    const long espera = std::min(std::max(enDialogos, 0L), i.segundos);
    h += Parrafo(
        "Duración: " +
        Esc(TextoHora(Fecha::DesdeSerie(0, static_cast<std::int32_t>((i.segundos - espera) % 86400)))) +
        (espera > 0 ? Esc(" (sin contar " + Plural(espera, "segundo", "segundos") +
                          " con mensajes esperando respuesta)")
                    : std::string()));

    // The consolidation first: it is what the operator checks.
    std::vector<const InformePurga*> orden;
    for (Purga nombre : {Purga::Asientos, Purga::Stock, Purga::Temporales})
        for (const auto& p : i.purgas)
            if (p.purga == nombre) orden.push_back(&p);

    Tabla t;
    t.encabezado = {"Purga", "Resultado", "Qué se hizo"};
    t.anchos = {30, 17, 53};
    for (const InformePurga* p : orden) {
        std::string hechos;
        for (const auto& x : Hechos(*p)) hechos += (hechos.empty() ? "" : "<br/>") + Esc(x);
        // Green when the purge did its whole work, dark red when it did not; grey when not ticked.
        const char* color = !p->marcada ? "#666666" : p->resultado == resultado::kOk ? "#1b6e20" : "#a12a1a";
        t.filas.push_back(
            {"<b>" + Esc(TituloDePurga(p->purga)) + "</b>",
             std::string("<span style=\"color:") + color + ";\">" + Esc(EnPalabras(*p)) + "</span>", hechos});
    }
    h += Seccion("Purgas") + t.Html();

    if (!i.comprobantes.empty()) {
        Tabla c;
        c.encabezado = {"Pasada", "Comprobante de saldo inicial", "Renglones"};
        c.numerica = {false, false, true};
        for (const auto& x : i.comprobantes)
            c.filas.push_back({Esc(x.tipo) + ": " + Esc(QueConsolida(x.tipo)), ComprobanteDe(x.tipo, x.clave),
                               Num(x.filas)});
        h += Seccion("Comprobantes de saldo inicial") + c.Html();
    }
    if (!i.verificaciones.empty()) {
        Tabla v;
        v.encabezado = {"Pasada", "Saldos", "Grupos", "Diferencia"};
        v.numerica = {false, false, true, true};
        for (const auto& x : i.verificaciones) {
            std::string estado =
                x.estado == resultado::kOk ? "<span style=\"color:#1b6e20;\">Verificados</span>"
                : x.estado == resultado::kDiferencias
                    ? "<span style=\"color:#a12a1a;\"><b>NO CUADRAN</b>: " + Esc(Acentuar(x.detalle)) +
                          "</span>"
                    : "No verificados: " + Esc(Acentuar(x.detalle));
            if (x.nuevas != 0)
                estado += "<br/>Otro programa " + std::string(x.nuevas > 0 ? "agregó " : "borró ") +
                          Num(x.nuevas > 0 ? x.nuevas : -x.nuevas) + " asiento(s) durante la corrida";
            v.filas.push_back({Esc(x.tipo), estado, Num(x.grupos), Esc(TextoCentavos(x.diferencia))});
        }
        h += Seccion("Verificación de saldos") + v.Html() +
             Parrafo(
                 "La verificación prueba los saldos de una corrida durante la que nadie más escribió "
                 "asientos.");
    }
    if (!i.fechasDeshechas.empty()) {
        std::string f;
        for (const auto& x : i.fechasDeshechas) f += (f.empty() ? "" : ", ") + Esc(x);
        h += Seccion("Fechas que la base de datos rechazó") +
             Parrafo("Quedaron sin consolidar (se deshizo lo hecho en ellas): " + f);
    }

    Tabla d;
    d.encabezado = {"Purga", "Pasos", "Rechazados", "Filas"};
    d.numerica = {false, true, true, true};
    for (const InformePurga* p : orden)
        d.filas.push_back(
            {Esc(TituloDePurga(p->purga)), Num(p->unidades), Num(p->rechazadas), Num(p->filas)});
    std::string reintentos;
    for (const InformePurga* p : orden)
        if (p->reintentadas)
            reintentos += (reintentos.empty() ? "" : "; ") + Esc(TituloDePurga(p->purga)) + ": " +
                          Plural(p->reintentadas, "paso", "pasos");
    if (!reintentos.empty())
        reintentos = Parrafo("Rechazados por la base de datos y hechos al reintentarlos: " + reintentos);
    h += Detalles(reintentos +
                  Parrafo("Renglones escritos o actualizados en los comprobantes de saldo inicial: " +
                          Num(i.fusiones)) +
                  Parrafo("Tablas: MV_ASIENTOS (asientos); procedimiento KS_DEPURA_STOCK (stock).") +
                  d.Html());
    return h;
}

}  // namespace dep
