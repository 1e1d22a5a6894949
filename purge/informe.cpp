// The end-of-run report.
#include "purge/informe.hpp"

#include "purge/desenlace.hpp"
#include "purge/json.hpp"
#include "purge/verificacion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Duracion(long s) {
    return TextoHora(Fecha::DesdeSerie(0, static_cast<std::int32_t>(s % 86400)));
}

}  // namespace

const char* TituloDePurga(Purga purga) {
    if (purga == Purga::Stock) return "Movimientos de Stock, ventas, compras";
    if (purga == Purga::Asientos) return "Asientos";
    return "Temporales e historial cambio de precios";
}

Informe ArmarInforme(const Diario& d) {
    Informe i;
    const CorridaDiario& c = d.Corrida();
    i.hasta = c.hasta;
    i.cancelado = c.cancelado;
    i.fechaGrabada = c.fechaGrabada;
    const long dias = c.fin.Dias() - c.inicio.Dias();
    i.segundos = dias * 86400 + c.fin.SegundosDelDia() - c.inicio.SegundosDelDia();
    if (i.segundos < 0) i.segundos = 0;
    const std::pair<Purga, bool> purgas[] = {
        {Purga::Stock, c.stock}, {Purga::Asientos, c.asientos}, {Purga::Temporales, c.temporales}};
    for (const auto& u : d.Unidades())
        if (u.purga == Purga::Copia && u.resultado == resultado::kOk) {
            i.copia = u.unidad;
            i.copiaBytes = u.filas;
        } else if (u.purga == Purga::Compactacion) {
            i.compactacion = u.resultado;
            i.motivoCompactacion = u.error;
            i.bytesAntes = u.bytesAntes;
            i.bytesDespues = u.bytesDespues;
        }
    // A unit refused and then done on a retry is a done one: the refusal is only noted.
    const auto& us = d.Unidades();
    std::vector<bool> reintentada(us.size(), false);
    for (std::size_t k = 0; k < us.size(); ++k)
        for (std::size_t m = k + 1; m < us.size() && us[k].resultado == resultado::kRechazada; ++m)
            if (us[m].purga == us[k].purga && us[m].tipo == us[k].tipo && us[m].unidad == us[k].unidad &&
                us[m].pasada == us[k].pasada && us[m].resultado == resultado::kOk) {
                reintentada[k] = true;
                break;
            }
    for (const auto& [nombre, marcada] : purgas) {
        InformePurga p;
        p.purga = nombre;
        p.marcada = marcada;
        std::string general, generalMotivo, primerRechazo, pendiente;
        bool hecha = false;
        for (std::size_t k = 0; k < us.size(); ++k) {
            const UnidadDiario& u = us[k];
            if (u.purga != nombre) continue;
            if (reintentada[k]) {
                ++p.reintentadas;
                continue;
            }
            if (u.tipo == TipoUnidad::Purga) {
                // The most serious word about the purge as a whole stays.
                if (general.empty() || general == resultado::kOmitida) {
                    general = u.resultado;
                    generalMotivo = u.error;
                }
                continue;
            }
            if (u.tipo == TipoUnidad::Pendiente) {
                i.pendientes.push_back(u.error);
                if (pendiente.empty()) pendiente = u.error;
                continue;
            }
            if (u.tipo == TipoUnidad::Verificacion) {
                i.verificaciones.push_back(
                    {u.pasada, u.resultado, static_cast<long>(u.filas), u.diferencia, u.nuevas, u.error});
                if (u.resultado == resultado::kDiferencias && general.empty())
                    generalMotivo = "los saldos de la pasada " + u.pasada + " no cuadran: " + u.error;
                continue;
            }
            ++p.unidades;
            if (u.resultado == resultado::kRechazada || u.resultado == resultado::kNoEjecutada) {
                ++p.rechazadas;
                if (primerRechazo.empty()) primerRechazo = u.error;
                if (u.tipo == TipoUnidad::Fecha) i.fechasDeshechas.push_back(u.unidad);
                continue;
            }
            hecha = hecha || u.resultado == resultado::kOk;
            if (u.purga == Purga::Asientos) {
                if (u.tipo == TipoUnidad::Refechado) {
                    i.comprobantes.push_back({u.pasada, u.comprobante, static_cast<long>(u.filas)});
                } else if (u.tipo != TipoUnidad::Recuperado) {
                    p.filas += u.borradas;
                    i.fusiones += u.filas - u.borradas;
                }
            } else if (u.filas > 0) {
                p.filas += u.filas;
            }
        }
        if (!general.empty() && !(general == resultado::kOmitida && hecha)) {
            p.resultado = general;
            p.motivo = generalMotivo;
        } else if (nombre == Purga::Stock && p.rechazadas && !hecha) {
            // A procedure that never ran to its end did nothing the report can call done.
            p.resultado = resultado::kNoEjecutada;
            p.motivo = primerRechazo;
        } else {
            p.resultado = p.rechazadas ? resultado::kConRechazos : resultado::kOk;
            if (p.rechazadas) p.motivo = primerRechazo;
        }
        // A purge whose books do not balance, or that left something behind, is no "ok" one.
        const bool completa = p.resultado == resultado::kOk || p.resultado == resultado::kConRechazos;
        if (completa && general.empty() && !generalMotivo.empty()) {
            p.resultado = resultado::kDiferencias;
            p.motivo = generalMotivo;
        } else if (completa && !pendiente.empty()) {
            p.resultado = resultado::kPendiente;
            p.motivo = pendiente;
        }
        i.purgas.push_back(p);
    }
    return i;
}

std::string TextoInforme(const Informe& i) {
    std::string r = "RESUMEN DE LA DEPURACIÓN HASTA EL " + i.hasta + "\n  " + TitularDe(i).texto + "\n";
    if (!i.copia.empty())
        r += "  Copia de seguridad: " + i.copia +
             (i.copiaBytes >= 0 ? " (" + TextoEntero(i.copiaBytes / 1024) + " KB)" : std::string()) + "\n";
    for (const auto& p : i.purgas) {
        r += std::string("  ") + TituloDePurga(p.purga) + ": ";
        if (!p.marcada) {
            r += "no marcada\n";
            continue;
        }
        if (p.resultado == resultado::kCancelada && p.unidades == 0) {
            r += "cancelada\n";
            continue;
        }
        if (p.resultado == resultado::kNoEjecutada && p.unidades == p.rechazadas) {
            r += "no se ejecutó: " + p.motivo + "\n";
            continue;
        }
        if (p.purga == Purga::Stock)
            r += "procedimiento KS_DEPURA_STOCK ejecutado";
        else if (p.purga == Purga::Asientos)
            r += TextoEntero(p.filas) + " asientos consolidados y borrados";
        else
            r += TextoEntero(p.filas) + " filas borradas";
        if (p.rechazadas) r += " (" + TextoEntero(p.rechazadas) + " rechazada(s) por la base de datos)";
        if (p.resultado == resultado::kInterrumpida || p.resultado == resultado::kNoEjecutada)
            r += "; no terminó: " + p.motivo;
        else if (p.resultado == resultado::kCancelada)
            r += "; cancelada" + (p.motivo.empty() ? std::string() : ": " + p.motivo);
        else if (p.resultado == resultado::kOmitida && !p.motivo.empty() && p.unidades == 0)
            r += " (" + p.motivo + ")";
        r += "\n";
    }
    for (const auto& v : i.verificaciones) {
        r += "  Pasada " + v.tipo + ": ";
        if (v.estado == resultado::kOk)
            r += "Saldos verificados: " + TextoEntero(v.grupos) + " grupos, diferencia " +
                 TextoCentavos(v.diferencia);
        else if (v.estado == resultado::kDiferencias)
            r += "ATENCIÓN, LOS SALDOS NO CUADRAN: " + TextoEntero(v.grupos) + " grupos, diferencia " +
                 TextoCentavos(v.diferencia) + " (" + v.detalle + ")";
        else
            r += "saldos no verificados: " + v.detalle;
        if (v.nuevas != 0)
            r += std::string("; otro programa ") + (v.nuevas > 0 ? "agregó " : "borró ") +
                 TextoEntero(v.nuevas > 0 ? v.nuevas : -v.nuevas) + " asiento(s) durante la corrida";
        r += "\n";
    }
    if (!i.verificaciones.empty())
        r += "  (La verificación prueba los saldos de una corrida durante la que nadie más escribió "
             "asientos.)\n";
    for (const auto& q : i.pendientes) r += "  PENDIENTE: " + q + "\n";
    for (const auto& c : i.comprobantes)
        r += "  Comprobante de saldo inicial " + c.tipo + " " + c.clave + ": " + TextoEntero(c.filas) +
             " renglones\n";
    if (!i.fechasDeshechas.empty()) {
        r += "  Fechas deshechas:";
        for (const auto& f : i.fechasDeshechas) r += " " + f;
        r += "\n";
    }
    // Whole arithmetic: printf's separator follows the process's locale, which a Qt program
    // takes from the environment.
    auto mb = [](long long b) {
        const long long decimas = (b * 10 + 524288) / 1048576;
        return TextoEntero(decimas / 10) + "," + TextoEntero(decimas % 10) + " MB";
    };
    if (i.compactacion == resultado::kOk)
        r += "  Tamaño de la base de datos: " + mb(i.bytesAntes) + " antes, " + mb(i.bytesDespues) +
             " después\n";
    else if (i.compactacion == resultado::kOmitida && i.bytesAntes >= 0 && i.bytesDespues >= 0)
        r += "  Espacio de las tablas depuradas: " + mb(i.bytesAntes) + " antes, " + mb(i.bytesDespues) +
             " después (" + i.motivoCompactacion + ")\n";
    else if (i.compactacion == resultado::kCancelada)
        r += "  Compactación: cancelada; la base de datos quedó como estaba\n";
    else if (!i.compactacion.empty())
        r += "  Compactación: no se hizo: " + i.motivoCompactacion + "\n";
    r += "  Duración: " + Duracion(i.segundos) + "\n";
    r += i.cancelado      ? "  Proceso cancelado: no se grabó la fecha de última depuración\n"
         : i.fechaGrabada ? "  Fecha de última depuración grabada: " + i.hasta + "\n"
                          : "  No se grabó la fecha de última depuración\n";
    return r;
}

std::string JsonInforme(const Informe& i) {
    Json purgas = Json::array();
    for (const auto& p : i.purgas) {
        Json jp = {{"purga", NombrePurga(p.purga)}, {"marcada", p.marcada},
                   {"resultado", p.resultado},      {"filas", p.filas},
                   {"unidades", p.unidades},        {"rechazadas", p.rechazadas}};
        if (!p.motivo.empty()) jp["motivo"] = p.motivo;
        if (p.reintentadas) jp["reintentadas"] = p.reintentadas;
        purgas.push_back(jp);
    }
    Json comprobantes = Json::array();
    for (const auto& c : i.comprobantes)
        comprobantes.push_back({{"tipo", c.tipo}, {"clave", c.clave}, {"filas", c.filas}});
    Json pasadas = Json::array();
    for (const auto& v : i.verificaciones) {
        Json jv = {{"grupos", v.grupos},
                   {"diferencia", ImporteJson(v.diferencia)},
                   {"estado", v.estado},
                   {"filas_nuevas", v.nuevas}};
        if (!v.detalle.empty()) jv["detalle"] = v.detalle;
        pasadas.push_back({{"tipo", v.tipo}, {"verificacion", jv}});
    }
    const Titular titular = TitularDe(i);
    Json j = {{"informe", true},
              {"hasta", i.hasta},
              {"desenlace", ClaveDesenlace(titular.desenlace)},
              {"titular", titular.texto},
              {"purgas", purgas},
              {"comprobantes", comprobantes},
              {"fechas_deshechas", i.fechasDeshechas},
              {"pendientes", i.pendientes},
              {"pasadas", pasadas}};
    if (!i.copia.empty()) j["copia"] = {{"archivo", i.copia}, {"bytes", i.copiaBytes}};
    if (!i.compactacion.empty()) {
        j["compactacion"] = {
            {"estado", i.compactacion}, {"bytes_antes", i.bytesAntes}, {"bytes_despues", i.bytesDespues}};
        if (!i.motivoCompactacion.empty()) j["compactacion"]["motivo"] = i.motivoCompactacion;
    }
    j["fusiones"] = i.fusiones;
    j["segundos"] = i.segundos;
    j["cancelado"] = i.cancelado;
    j["fecha_grabada"] = i.fechaGrabada;
    return LineaJson(j) + "\n";
}

bool ConErrores(const Informe& i) {
    // The compaction is housekeeping: what became of it never makes finished purges a failure.
    if (!i.pendientes.empty()) return true;
    for (const auto& v : i.verificaciones)
        if (v.estado == resultado::kDiferencias) return true;
    for (const auto& p : i.purgas) {
        if (!p.marcada) continue;
        if (p.resultado == resultado::kNoEjecutada || p.resultado == resultado::kInterrumpida) return true;
        // A stock procedure refused and then gone past is no clean run either.
        if (p.purga == Purga::Stock && p.rechazadas) return true;
    }
    return false;
}

}  // namespace dep
