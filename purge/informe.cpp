// The end-of-run report.
#include "purge/informe.hpp"

#include "runtime/conversions.hpp"

namespace dep {

namespace {

const char* Titulo(const std::string& purga) {
    if (purga == "stock") return "Movimientos de Stock, ventas, compras";
    if (purga == "asientos") return "Asientos";
    return "Temporales e historial cambio de precios";
}

std::string Duracion(long s) {
    return TextoHora(Fecha::DesdeSerie(0, static_cast<std::int32_t>(s % 86400)));
}

}  // namespace

Informe ArmarInforme(const Diario& d) {
    Informe i;
    const CorridaDiario& c = d.Corrida();
    i.hasta = c.hasta;
    i.cancelado = c.cancelado;
    i.fechaGrabada = c.fechaGrabada;
    const long dias = c.fin.Dias() - c.inicio.Dias();
    i.segundos = dias * 86400 + c.fin.SegundosDelDia() - c.inicio.SegundosDelDia();
    if (i.segundos < 0) i.segundos = 0;
    const std::pair<const char*, bool> purgas[] = {
        {"stock", c.stock}, {"asientos", c.asientos}, {"temporales", c.temporales}};
    for (const auto& [nombre, marcada] : purgas) {
        InformePurga p;
        p.purga = nombre;
        p.marcada = marcada;
        bool cancelada = false, omitida = false;
        for (const auto& u : d.Unidades()) {
            if (u.purga != nombre) continue;
            if (u.unidad == "purga") {
                cancelada = u.resultado == "cancelada";
                omitida = u.resultado == "omitida";
                continue;
            }
            ++p.unidades;
            if (u.resultado == "rechazada") {
                ++p.rechazadas;
                if (u.purga == "asientos" && u.unidad != "refechado") i.fechasDeshechas.push_back(u.unidad);
                continue;
            }
            if (u.purga == "asientos") {
                if (u.unidad == "refechado") {
                    i.comprobantes.push_back({u.pasada, u.comprobante, u.filas});
                } else {
                    p.filas += u.borradas;
                    i.fusiones += u.filas - u.borradas;
                }
            } else if (u.filas > 0) {
                p.filas += u.filas;
            }
        }
        p.resultado = cancelada ? "cancelada" : omitida ? "omitida" : p.rechazadas ? "con rechazos" : "ok";
        i.purgas.push_back(p);
    }
    return i;
}

std::string TextoInforme(const Informe& i) {
    std::string r = "RESUMEN DE LA DEPURACION HASTA EL " + i.hasta + "\n";
    for (const auto& p : i.purgas) {
        r += std::string("  ") + Titulo(p.purga) + ": ";
        if (!p.marcada) {
            r += "no marcada\n";
            continue;
        }
        if (p.resultado == "cancelada") {
            r += "cancelada\n";
            continue;
        }
        if (p.purga == "stock")
            r += p.unidades ? "procedimiento KS_DEPURA_STOCK ejecutado" : "sin ejecutar";
        else if (p.purga == "asientos")
            r += TextoEntero(p.filas) + " asientos consolidados y borrados";
        else
            r += TextoEntero(p.filas) + " filas borradas";
        if (p.rechazadas) r += " (" + TextoEntero(p.rechazadas) + " rechazada(s) por la base de datos)";
        r += "\n";
    }
    for (const auto& c : i.comprobantes)
        r += "  Comprobante de saldo inicial " + c.tipo + " " + c.clave + ": " + TextoEntero(c.filas) +
             " renglones\n";
    if (!i.fechasDeshechas.empty()) {
        r += "  Fechas deshechas:";
        for (const auto& f : i.fechasDeshechas) r += " " + f;
        r += "\n";
    }
    r += "  Duracion: " + Duracion(i.segundos) + "\n";
    r += i.cancelado      ? "  Proceso cancelado: no se grabo la fecha de ultima depuracion\n"
         : i.fechaGrabada ? "  Fecha de ultima depuracion grabada: " + i.hasta + "\n"
                          : "  No se grabo la fecha de ultima depuracion\n";
    return r;
}

std::string JsonInforme(const Informe& i) {
    std::string j = "{\"informe\":true,\"hasta\":\"" + JsonTexto(i.hasta) + "\",\"purgas\":[";
    bool primero = true;
    for (const auto& p : i.purgas) {
        j += std::string(primero ? "" : ",") + "{\"purga\":\"" + p.purga +
             "\",\"marcada\":" + (p.marcada ? "true" : "false") + ",\"resultado\":\"" + p.resultado +
             "\",\"filas\":" + TextoEntero(p.filas) + ",\"unidades\":" + TextoEntero(p.unidades) +
             ",\"rechazadas\":" + TextoEntero(p.rechazadas) + "}";
        primero = false;
    }
    j += "],\"comprobantes\":[";
    primero = true;
    for (const auto& c : i.comprobantes) {
        j += std::string(primero ? "" : ",") + "{\"tipo\":\"" + JsonTexto(c.tipo) + "\",\"clave\":\"" +
             JsonTexto(c.clave) + "\",\"filas\":" + TextoEntero(c.filas) + "}";
        primero = false;
    }
    j += "],\"fechas_deshechas\":[";
    primero = true;
    for (const auto& f : i.fechasDeshechas) {
        j += std::string(primero ? "" : ",") + "\"" + JsonTexto(f) + "\"";
        primero = false;
    }
    j += "],\"fusiones\":" + TextoEntero(i.fusiones) + ",\"segundos\":" + TextoEntero(i.segundos) +
         ",\"cancelado\":" + (i.cancelado ? "true" : "false") +
         ",\"fecha_grabada\":" + (i.fechaGrabada ? "true" : "false") + "}\n";
    return j;
}

}  // namespace dep
