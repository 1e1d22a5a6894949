// The run's outcome recorder and its journal file.
#include "purge/diario.hpp"

#include "runtime/archivo_acotado.hpp"

#include <cstdio>

#include "common/trata_error.hpp"
#include "purge/depuracion.hpp"
#include "purge/json.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_texto.hpp"

namespace dep {

namespace {

// A password never reaches the journal, whatever text an engine put in its message.
std::string SinClave(const std::string& texto) {
    const std::string m = Mayusculas(texto);
    if (m.find("PWD") == std::string::npos && m.find("PASSWORD") == std::string::npos) return texto;
    return odbc::OcultarClave(texto);
}

}  // namespace

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
    return AhoraLocal();
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

const char* NombrePurga(Purga p) {
    switch (p) {
        case Purga::Stock:
            return "stock";
        case Purga::Asientos:
            return "asientos";
        case Purga::Temporales:
            return "temporales";
        case Purga::Copia:
            return "copia";
        case Purga::Compactacion:
            return "compactacion";
        case Purga::Aplicaciones:
            return "aplicaciones";
    }
    return "";
}

std::string Diario::TextoUnidad(const UnidadDiario& u) {
    switch (u.tipo) {
        case TipoUnidad::Sentencia:
        case TipoUnidad::Fecha:
        case TipoUnidad::Copia:
            return u.unidad;
        case TipoUnidad::Refechado:
            return "refechado";
        case TipoUnidad::Recuperado:
            return "recuperado";
        case TipoUnidad::Verificacion:
            return "verificacion";
        case TipoUnidad::Purga:
            return "purga";
        case TipoUnidad::Pendiente:
            return "pendiente";
        case TipoUnidad::Compactacion:
            return "compactar";
    }
    return u.unidad;
}

void Diario::Estado(Purga purga, const std::string& resultado, const std::string& motivo) {
    UnidadDiario u(purga, TipoUnidad::Purga);
    u.inicio = u.fin = Ahora();
    u.resultado = resultado;
    u.error = motivo;
    Unidad(u);
}

void Diario::Pendiente(Purga purga, const std::string& que) {
    UnidadDiario u(purga, TipoUnidad::Pendiente);
    u.inicio = u.fin = Ahora();
    u.resultado = resultado::kPendiente;
    u.error = que;
    Unidad(u);
}

void Diario::Terminar(bool cancelado) {
    corrida_.cancelado = cancelado;
    corrida_.fin = final_ ? *final_ : Ahora();
    const struct {
        Purga purga;
        bool marcada;
    } purgas[] = {{Purga::Stock, corrida_.stock},
                  {Purga::Asientos, corrida_.asientos},
                  {Purga::Temporales, corrida_.temporales}};
    for (const auto& p : purgas) {
        bool alguna = false;
        for (const auto& u : unidades_) alguna = alguna || u.purga == p.purga;
        if (alguna) continue;
        UnidadDiario u(p.purga, TipoUnidad::Purga);
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
    Json j = {{"registro", "unidad"}, {"purga", NombrePurga(u.purga)}, {"unidad", TextoUnidad(u)}};
    if (!u.pasada.empty()) j["pasada"] = u.pasada;
    if (!u.comprobante.empty()) j["comprobante"] = u.comprobante;
    if (u.purga == Purga::Compactacion) {
        j["bytes_antes"] = u.bytesAntes;
        j["bytes_despues"] = u.bytesDespues;
    }
    if (u.tipo == TipoUnidad::Verificacion) {
        j["grupos"] = u.filas;
        j["diferencia"] = ImporteJson(u.diferencia);
        j["filas_nuevas"] = u.nuevas;
    }
    j["inicio"] = JsonHora(u.inicio);
    j["fin"] = JsonHora(u.fin);
    j["filas"] = u.filas;
    if (u.tipo != TipoUnidad::Refechado && u.purga == Purga::Asientos) j["borradas"] = u.borradas;
    j["resultado"] = u.resultado;
    if (!u.error.empty()) j["error"] = u.error;
    return LineaJson(j);
}

std::string Diario::JsonCorrida() const {
    const CorridaDiario& c = corrida_;
    Json marcadas = Json::array();
    for (const auto& [marcada, nombre] :
         {std::pair{c.stock, NombrePurga(Purga::Stock)}, std::pair{c.asientos, NombrePurga(Purga::Asientos)},
          std::pair{c.temporales, NombrePurga(Purga::Temporales)}})
        if (marcada) marcadas.push_back(nombre);
    Json comprobantes = Json::array();
    long long total = 0;
    int rechazadas = 0;
    for (const auto& u : unidades_) {
        // The backup's `filas` is its size in bytes: no rows.
        if (u.filas > 0 && u.purga != Purga::Copia) total += u.filas;
        rechazadas += u.resultado == resultado::kRechazada;
        if (!u.comprobante.empty() && u.tipo == TipoUnidad::Refechado && u.resultado == resultado::kOk)
            comprobantes.push_back({{"tipo", u.pasada}, {"clave", u.comprobante}, {"filas", u.filas}});
    }
    return LineaJson({{"registro", "corrida"},
                      {"hasta", c.hasta},
                      {"purgas", marcadas},
                      {"inicio", JsonHora(c.inicio)},
                      {"fin", JsonHora(c.fin)},
                      {"comprobantes", comprobantes},
                      {"unidades", unidades_.size()},
                      {"filas", total},
                      {"rechazadas", rechazadas},
                      {"cancelado", c.cancelado},
                      {"fecha_grabada", c.fechaGrabada}});
}

void Diario::Anexar(const std::string& linea) {
    // Never lets a failure out: the run goes on exactly as without a journal.
    // It names vouchers, amounts and the database's refusals: readable by its owner only, and
    // never written through a link or into a file someone else planted under its name.
    try {
        // A last line cut short (a full disk) or left without its end by an editor would run into
        // this one, and neither would read as JSON: this one starts on a line of its own.
        const std::optional<char> ultimo = AbrirParaLeer(ruta_).UltimoByte();
        const std::string separar = ultimo && *ultimo != '\n' ? "\n" : "";
        std::string motivo;
        ArchivoAbierto f = AbrirArchivoAcotado(ruta_, Apertura::kAnadir, Propios(0600), motivo);
        if (!f || !f.Escribir(separar + linea + "\n")) escrito_ = false;
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
