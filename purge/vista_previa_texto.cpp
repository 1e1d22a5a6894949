// The preview as the console and the window show it: a Spanish table or JSON.
#include <cstdio>

#include "purge/json.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Fila(const std::string& a, const std::string& b) {
    std::string r = "  " + a;
    std::size_t letras = 0;  // characters, not bytes: accented letters take two in UTF-8
    for (unsigned char ch : r) letras += (ch & 0xC0) != 0x80;
    if (letras < 44) r.append(44 - letras, ' ');
    return r + " " + b + "\n";
}

std::string Si(bool b) {
    return b ? "sí" : "no";
}

std::string Num(long long n) {
    return TextoEntero(n);
}

Json JsonTablas(const std::vector<ConteoTabla>& v) {
    Json j = Json::array();
    for (const auto& t : v) {
        Json f = {{"tabla", t.tabla}, {"existe", t.existe}, {"filas", t.filas}};
        if (!t.aviso.empty()) f["aviso"] = t.aviso;
        j.push_back(f);
    }
    return j;
}

// The line of the vouchers an interrupted run left behind; nothing when there are none.
std::string LineaVarados(const PreviaPasada& p) {
    if (p.varados.empty()) return {};
    std::string r;
    for (const auto& c : p.varados)
        r += std::string(r.empty() ? "" : ", ") + p.tipo + " " + c.comprobante + " (" + Num(c.filas) +
             (c.filas == 1 ? " renglón" : " renglones") + ", al " + c.corte + ")";
    return "    Comprobante de una corrida interrumpida que se pasará a su fecha de corte: " + r + "\n";
}

Json JsonVarados(const PreviaPasada& p) {
    Json j = Json::array();
    for (const auto& c : p.varados)
        j.push_back({{"comprobante", c.comprobante}, {"filas", c.filas}, {"corte", c.corte}});
    return j;
}

}  // namespace

std::string TextoVistaPrevia(const VistaPrevia& v) {
    std::string r = "VISTA PREVIA DE LA DEPURACIÓN HASTA EL " + v.hasta + " (no se modifica nada)\n";
    r += "Purgas marcadas: ";
    std::string m;
    if (v.stock) m += "Movimientos de Stock, ventas, compras";
    if (v.asientos) m += std::string(m.empty() ? "" : "; ") + "Asientos";
    if (v.temporales) m += std::string(m.empty() ? "" : "; ") + "Temporales e historial cambio de precios";
    r += (m.empty() ? "ninguna" : m) + "\n";
    if (!v.corridaEnCurso.empty())
        r += "ATENCIÓN: hay una depuración en curso en esta base de datos (" + v.corridaEnCurso +
             "): una corrida ahora sería rechazada.\n";

    if (v.temporales) {
        r += "\nTEMPORALES                                   FILAS A BORRAR\n";
        long long total = 0;
        for (const auto& t : v.trabajo) {
            r += Fila(t.tabla, t.existe ? Num(t.filas) : "(no existe)");
            total += t.filas;
        }
        for (const auto& t : v.historial) {
            r += Fila(t.tabla + " hasta " + v.hasta, t.existe ? Num(t.filas) : "(no existe)");
            if (!t.aviso.empty()) r += "    " + t.aviso + "\n";
            total += t.filas;
        }
        r += Fila("Total", Num(total));
    }
    if (v.stock)
        r += "\nSTOCK\n  Lo decide el procedimiento KS_DEPURA_STOCK de la base de datos: no se cuenta de "
             "antemano.\n";
    if (v.asientos) {
        r += "\nASIENTOS\n";
        r += Fila("Código CC en V_TA_CPTE", Si(v.existeCC));
        r += Fila("Código FP en V_TA_CPTE", Si(v.existeFP));
        if (!v.fechasAsientos.empty()) r += "  " + v.fechasAsientos + "\n";
        if (!v.importesAsientos.empty()) r += "  " + v.importesAsientos + "\n";
        for (const auto& p : v.pasadas) {
            r += "  Pasada " + p.tipo +
                 (p.tipo == "FP" ? " (FP, CBFP, FPC, PGFP)" : " (todos menos FP, CBFP, FPC, PGFP)") + "\n";
            if (!p.correria) {
                if (!p.comprobante.empty())
                    r += Fila("  Comprobante de saldo inicial", p.tipo + " " + p.comprobante);
                r += Fila("  No se consolida", p.motivo);
                continue;
            }
            r += Fila("  Comprobante de saldo inicial", p.tipo + " " + p.comprobante);
            r += LineaVarados(p);
            r += Fila("  Fechas a recorrer",
                      Num(p.fechas) + " (" + p.primeraFecha + " a " + p.ultimaFecha + ")");
            r += Fila("  Asientos a consolidar", Num(p.asientos));
            r += Fila("  Cierres y aperturas a borrar", Num(p.cierres));
            r += Fila("  Renglones del comprobante resumen", Num(p.grupos));
        }
    }
    return r;
}

std::string JsonVistaPrevia(const VistaPrevia& v) {
    Json j = {{"vista_previa", true},
              {"hasta", v.hasta},
              {"purgas", {{"stock", v.stock}, {"asientos", v.asientos}, {"temporales", v.temporales}}}};
    if (!v.corridaEnCurso.empty()) j["corrida_en_curso"] = v.corridaEnCurso;
    if (v.temporales) {
        j["temporales"] = JsonTablas(v.trabajo);
        j["historial"] = JsonTablas(v.historial);
    }
    if (v.asientos) {
        j["existe_cc"] = v.existeCC;
        j["existe_fp"] = v.existeFP;
        if (!v.fechasAsientos.empty()) j["fechas_no_validas"] = v.fechasAsientos;
        if (!v.importesAsientos.empty()) j["importes_no_validos"] = v.importesAsientos;
        Json pasadas = Json::array();
        for (const auto& p : v.pasadas) {
            Json jp = {{"tipo", p.tipo},
                       {"correria", p.correria},
                       {"comprobante", p.comprobante},
                       {"primera_fecha", p.primeraFecha},
                       {"ultima_fecha", p.ultimaFecha},
                       {"fechas", p.fechas},
                       {"asientos", p.asientos},
                       {"cierres", p.cierres},
                       {"grupos", p.grupos},
                       {"varados", JsonVarados(p)}};
            if (!p.motivo.empty()) jp["motivo"] = p.motivo;
            pasadas.push_back(jp);
        }
        j["pasadas"] = pasadas;
    }
    return LineaJson(j) + "\n";
}

}  // namespace dep
