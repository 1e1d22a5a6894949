// The run's outcome recorder and its journal file.
#include "purge/diario.hpp"

#include "runtime/archivo_acotado.hpp"

#include <cstdio>
#include <ctime>
#include <fstream>

#include "common/trata_error.hpp"
#include "purge/depuracion.hpp"
#include "purge/verificacion.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_texto.hpp"
#include "runtime/plataforma/hora.hpp"

namespace dep {

namespace {

// A password never reaches the journal, whatever text an engine put in its message.
std::string SinClave(const std::string& texto) {
    const std::string m = Mayusculas(texto);
    if (m.find("PWD") == std::string::npos && m.find("PASSWORD") == std::string::npos) return texto;
    return odbc::OcultarClave(texto);
}

std::string Bool(bool b) {
    return b ? "true" : "false";
}

}  // namespace

std::string JsonTexto(const std::string& s) {
    std::string r;
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                r += "\\\"";
                break;
            case '\\':
                r += "\\\\";
                break;
            case '\n':
                r += "\\n";
                break;
            case '\r':
                r += "\\r";
                break;
            case '\t':
                r += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char b[8];
                    std::snprintf(b, sizeof b, "\\u%04x", c);
                    r += b;
                } else {
                    r += static_cast<char>(c);
                }
        }
    }
    return r;
}

std::string JsonHora(const Fecha& f) {
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02dT%02d:%02d:%02d", f.Anio(), f.Mes(), f.Dia(), f.Hora(),
                  f.Minuto(), f.Segundo());
    return b;
}

Diario::Diario(std::string ruta, std::function<Fecha()> reloj)
    : ruta_(std::move(ruta)), reloj_(std::move(reloj)) {
    if (ruta_.empty()) ruta_ = RutaPorDefecto();
}

std::string Diario::RutaPorDefecto() {
    try {
        return CarpetaRegistro() + "DEPURACION.DIARIO.jsonl";
    } catch (const std::exception&) {
        // No folder for the log: the journal goes to the working folder.
        return "DEPURACION.DIARIO.jsonl";
    }
}

Fecha Diario::Ahora() const {
    if (reloj_) return reloj_();
    const std::tm tm = plataforma::TiempoLocal(std::time(nullptr));
    return Fecha::DesdeYMD(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

void Diario::Iniciar(const std::string& hasta, bool stock, bool asientos, bool temporales) {
    unidades_.clear();
    final_.reset();
    corrida_ = CorridaDiario{};
    corrida_.hasta = hasta;
    corrida_.stock = stock;
    corrida_.asientos = asientos;
    corrida_.temporales = temporales;
    corrida_.inicio = Ahora();
}

void Diario::Unidad(UnidadDiario u) {
    u.error = SinClave(u.error);
    unidades_.push_back(u);
    Anexar(JsonUnidad(u));
}

void Diario::Purga(const std::string& purga, const std::string& resultado, const std::string& motivo) {
    UnidadDiario u;
    u.purga = purga;
    u.unidad = "purga";
    u.inicio = u.fin = Ahora();
    u.resultado = resultado;
    u.error = motivo;
    Unidad(u);
}

void Diario::Pendiente(const std::string& purga, const std::string& que) {
    UnidadDiario u;
    u.purga = purga;
    u.unidad = "pendiente";
    u.inicio = u.fin = Ahora();
    u.resultado = resultado::kPendiente;
    u.error = que;
    Unidad(u);
}

void Diario::Terminar(bool cancelado) {
    corrida_.cancelado = cancelado;
    corrida_.fin = final_ ? *final_ : Ahora();
    const struct {
        const char* purga;
        bool marcada;
    } purgas[] = {
        {"stock", corrida_.stock}, {"asientos", corrida_.asientos}, {"temporales", corrida_.temporales}};
    for (const auto& p : purgas) {
        bool alguna = false;
        for (const auto& u : unidades_) alguna = alguna || u.purga == p.purga;
        if (alguna) continue;
        UnidadDiario u;
        u.purga = p.purga;
        u.unidad = "purga";
        u.inicio = u.fin = corrida_.fin;
        u.resultado = !p.marcada  ? resultado::kOmitida
                      : cancelado ? resultado::kCancelada
                                  : resultado::kOmitida;
        u.error = !p.marcada ? "no marcada" : cancelado ? "" : "nada que depurar";
        Unidad(u);
    }
    Anexar(JsonCorrida());
}

std::string Diario::JsonUnidad(const UnidadDiario& u) {
    std::string j = "{\"registro\":\"unidad\",\"purga\":\"" + JsonTexto(u.purga) + "\",\"unidad\":\"" +
                    JsonTexto(u.unidad) + "\"";
    if (!u.pasada.empty()) j += ",\"pasada\":\"" + JsonTexto(u.pasada) + "\"";
    if (!u.comprobante.empty()) j += ",\"comprobante\":\"" + JsonTexto(u.comprobante) + "\"";
    if (u.purga == "compactacion")
        j += ",\"bytes_antes\":" + std::to_string(u.bytesAntes) +
             ",\"bytes_despues\":" + std::to_string(u.bytesDespues);
    if (u.unidad == "verificacion") {
        std::string d = TextoCentavos(u.diferencia);
        d[d.find(',')] = '.';
        j += ",\"grupos\":" + std::to_string(u.filas) + ",\"diferencia\":" + d +
             ",\"filas_nuevas\":" + std::to_string(u.nuevas);
    }
    j += ",\"inicio\":\"" + JsonHora(u.inicio) + "\",\"fin\":\"" + JsonHora(u.fin) +
         "\",\"filas\":" + std::to_string(u.filas) +
         (u.unidad != "refechado" && u.purga == "asientos" ? ",\"borradas\":" + std::to_string(u.borradas)
                                                           : "") +
         ",\"resultado\":\"" + JsonTexto(u.resultado) + "\"";
    if (!u.error.empty()) j += ",\"error\":\"" + JsonTexto(u.error) + "\"";
    return j + "}";
}

std::string Diario::JsonCorrida() const {
    const CorridaDiario& c = corrida_;
    std::string marcadas;
    auto sumar = [&](bool b, const char* n) {
        if (b) marcadas += std::string(marcadas.empty() ? "" : ",") + "\"" + n + "\"";
    };
    sumar(c.stock, "stock");
    sumar(c.asientos, "asientos");
    sumar(c.temporales, "temporales");
    std::string comprobantes;
    long total = 0;
    int rechazadas = 0;
    for (const auto& u : unidades_) {
        if (u.filas > 0) total += u.filas;
        rechazadas += u.resultado == resultado::kRechazada;
        if (!u.comprobante.empty() && u.unidad == "refechado" && u.resultado == resultado::kOk)
            comprobantes += std::string(comprobantes.empty() ? "" : ",") + "{\"tipo\":\"" +
                            JsonTexto(u.pasada) + "\",\"clave\":\"" + JsonTexto(u.comprobante) +
                            "\",\"filas\":" + std::to_string(u.filas) + "}";
    }
    return "{\"registro\":\"corrida\",\"hasta\":\"" + JsonTexto(c.hasta) + "\",\"purgas\":[" + marcadas +
           "],\"inicio\":\"" + JsonHora(c.inicio) + "\",\"fin\":\"" + JsonHora(c.fin) +
           "\",\"comprobantes\":[" + comprobantes + "],\"unidades\":" + std::to_string(unidades_.size()) +
           ",\"filas\":" + std::to_string(total) + ",\"rechazadas\":" + std::to_string(rechazadas) +
           ",\"cancelado\":" + Bool(c.cancelado) + ",\"fecha_grabada\":" + Bool(c.fechaGrabada) + "}";
}

void Diario::Anexar(const std::string& linea) {
    // Never lets a failure out: the run goes on exactly as without a journal.
    // It names vouchers, amounts and the database's refusals: readable by its owner only, and
    // never written through a link someone planted under its name.
    try {
        std::string motivo;
        ArchivoAbierto f = AbrirArchivoAcotado(ruta_, Apertura::kAnadir, 0600, motivo);
        if (!f || !f.Escribir(linea + "\n")) escrito_ = false;
    } catch (...) {
        escrito_ = false;
    }
}

DiarioEnCorrida::DiarioEnCorrida(Depuracion& d, Diario& diario) : d_(d) {
    d_.FijarDiario(&diario);
}

DiarioEnCorrida::~DiarioEnCorrida() {
    d_.FijarDiario(nullptr);
}

}  // namespace dep
