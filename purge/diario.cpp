// The run journal and the connection that feeds it.
#include "purge/diario.hpp"

#include <cstdio>
#include <ctime>
#include <fstream>

#include "common/trata_error.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_texto.hpp"

namespace dep {

namespace {

// The statement's words in upper case, runs of blanks as one blank, for telling its kind.
std::string Forma(const std::string& sql) {
    std::string r;
    bool blanco = true;
    for (char c : sql) {
        const bool b = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (b) {
            if (!blanco) r += ' ';
        } else {
            r += c;
        }
        blanco = b;
    }
    return Mayusculas(Recortar(r));
}

bool Empieza(const std::string& s, const std::string& p) {
    return s.compare(0, p.size(), p) == 0;
}

// The texts between single quotes, in order, with doubled quotes made single again.
std::vector<std::string> Literales(const std::string& sql) {
    std::vector<std::string> v;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] != '\'') continue;
        std::string t;
        for (++i; i < sql.size(); ++i) {
            if (sql[i] == '\'') {
                if (i + 1 < sql.size() && sql[i + 1] == '\'') {
                    t += '\'';
                    ++i;
                } else {
                    break;
                }
            } else {
                t += sql[i];
            }
        }
        v.push_back(t);
    }
    return v;
}

// A password never reaches the journal, whatever text an engine put in its message.
std::string SinClave(const std::string& texto) {
    const std::string m = Mayusculas(texto);
    if (m.find("PWD") == std::string::npos && m.find("PASSWORD") == std::string::npos) return texto;
    return odbc::OcultarClave(texto);
}

std::string Pasada(const std::string& forma) {
    return forma.find("TC='FP' OR") != std::string::npos ? "FP" : "CC";
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
        return "DEPURACION.DIARIO.jsonl";
    }
}

Fecha Diario::Ahora() const {
    if (reloj_) return reloj_();
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Fecha::DesdeYMD(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

void Diario::Iniciar(const std::string& hasta, bool stock, bool asientos, bool temporales) {
    unidades_.clear();
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

void Diario::Terminar(bool cancelado) {
    corrida_.cancelado = cancelado;
    corrida_.fin = Ahora();
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
        u.resultado = !p.marcada ? "omitida" : cancelado ? "cancelada" : "omitida";
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
        rechazadas += u.resultado == "rechazada";
        if (!u.comprobante.empty() && u.resultado == "ok")
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
    try {
        std::ofstream f(ruta_, std::ios::app | std::ios::binary);
        if (!f) {
            escrito_ = false;
            return;
        }
        f << linea << '\n';
        f.flush();
        if (!f) escrito_ = false;
    } catch (...) {
        escrito_ = false;
    }
}

DiarioEnCorrida::DiarioEnCorrida(DataServices& datos, Diario& d)
    : datos_(datos), real_(datos.conexionCompartida()) {
    if (real_) datos_.FijarConexion(std::make_shared<ConexionDiario>(real_, d));
}

DiarioEnCorrida::~DiarioEnCorrida() {
    if (real_) datos_.FijarConexion(real_);
}

// ---- the connection ----

void ConexionDiario::BeginTrans() {
    const bool abre = real_->NivelTransaccion() == 0;
    real_->BeginTrans();
    if (!abre) return;
    try {
        tx_ = UnidadDiario{};
        tx_->purga = "asientos";
        tx_->inicio = d_.Ahora();
        tx_->resultado = "ok";
        txBorro_ = false;
    } catch (...) {
        tx_.reset();
    }
}

void ConexionDiario::CommitTrans() {
    real_->CommitTrans();
    if (real_->NivelTransaccion() == 0) CerrarTransaccion(true);
}

void ConexionDiario::RollbackTrans() {
    real_->RollbackTrans();
    if (real_->NivelTransaccion() == 0) CerrarTransaccion(false);
}

void ConexionDiario::CerrarTransaccion(bool confirmada) {
    try {
        if (!tx_) return;
        UnidadDiario u = std::move(*tx_);
        tx_.reset();
        // Transactions that touched no consolidation statement (the preview's, a caller's own)
        // are no unit of the run.
        if (u.unidad.empty()) return;
        u.fin = d_.Ahora();
        if (!confirmada) {
            u.resultado = "rechazada";
            if (u.error.empty()) u.error = "deshecha";
        } else if (!txBorro_ && u.comprobante.empty()) {
            u.resultado = "omitida";  // a walk date with nothing to consolidate
        }
        d_.Unidad(u);
    } catch (...) {
    }
}

long ConexionDiario::Execute(const std::string& sql) {
    long filas = 0;
    try {
        filas = real_->Execute(sql);
    } catch (const std::exception& e) {
        errores_ = real_->Errors();
        std::string texto = e.what();
        for (const auto& x : errores_)
            if (!x.informativo) {
                texto = x.descripcion;
                break;
            }
        Observar(sql, 0, texto.empty() ? "rechazada" : texto);
        throw;
    }
    errores_ = real_->Errors();
    Observar(sql, filas, "");
    return filas;
}

Resultado ConexionDiario::Consultar(const std::string& sql) {
    try {
        Resultado r = real_->Consultar(sql);
        errores_ = real_->Errors();
        if (tx_ && tx_->unidad.empty()) {
            // The grouping of a walk date names the date and the pass.
            const std::string f = Forma(sql);
            if (Empieza(f, "SELECT CUENTA, [DEBE-HABER], SUM(IMPORTE)")) {
                const auto l = Literales(sql);
                if (l.size() >= 2) tx_->unidad = l[1];
                tx_->pasada = Pasada(f);
            }
        }
        return r;
    } catch (...) {
        errores_ = real_->Errors();
        throw;
    }
}

void ConexionDiario::Observar(const std::string& sql, long filas, const std::string& error) {
    try {
        const std::string f = Forma(sql);
        UnidadDiario u;
        u.filas = filas;
        u.resultado = error.empty() ? "ok" : "rechazada";
        u.error = error;
        if (Empieza(f, "TRUNCATE TABLE ")) {
            u.purga = "temporales";
            u.unidad = Recortar(sql);
        } else if (Empieza(f, "DELETE MV_TRANSMISIONESLOG") || Empieza(f, "DELETE V_MV_PRECIOSHIS")) {
            u.purga = "temporales";
            u.unidad = f.substr(0, f.find(" WHERE"));
        } else if (Empieza(f, "EXEC KS_DEPURA_STOCK")) {
            u.purga = "stock";
            u.unidad = "EXEC KS_DEPURA_STOCK";
        } else if (tx_ && (Empieza(f, "IF NOT EXISTS(SELECT * FROM MV_ASIENTOS") ||
                           Empieza(f, "IF NOT EXISTS (SELECT * FROM MV_ASIENTOS"))) {
            if (filas > 0) tx_->filas += filas;
            if (!error.empty() && tx_->error.empty()) tx_->error = error;
            return;
        } else if (tx_ && Empieza(f, "DELETE MV_ASIENTOS WHERE FECHA <=")) {
            const auto l = Literales(sql);
            if (!l.empty()) tx_->unidad = l[0];
            tx_->pasada = Pasada(f);
            if (filas > 0) {
                tx_->filas += filas;
                tx_->borradas += filas;
            }
            txBorro_ = error.empty();
            if (!error.empty() && tx_->error.empty()) tx_->error = error;
            return;
        } else if (tx_ && Empieza(f, "UPDATE MV_ASIENTOS SET FECHA =")) {
            const auto l = Literales(sql);
            tx_->unidad = "refechado";
            if (l.size() >= 5) {
                tx_->pasada = l[1];
                tx_->comprobante = l[2] + l[3] + l[4];
            }
            tx_->filas = filas;
            if (!error.empty() && tx_->error.empty()) tx_->error = error;
            return;
        } else {
            if (error.empty() && f.find("TA_CONFIGURACION") != std::string::npos &&
                (Empieza(f, "INSERT INTO") || Empieza(f, "UPDATE")))
                d_.FechaGrabada();
            if (tx_ && !error.empty() && tx_->error.empty()) tx_->error = error;
            return;
        }
        u.inicio = u.fin = d_.Ahora();
        d_.Unidad(u);
    } catch (...) {
    }
}

}  // namespace dep
