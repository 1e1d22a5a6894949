#include "runtime/data_services.hpp"

#include <algorithm>
#include <cctype>
#include <vector>

#include "runtime/conversions.hpp"

namespace dep {

namespace {

[[noreturn]] void FallaSinConexion() {
    throw Falla(err::kConexion, "No hay conexión con la base de datos", "DataServices");
}

// Words, bracketed names and single characters of a statement; quoted texts as one token, so
// that nothing inside a value is taken for a name.
struct Pieza {
    enum Clase { Palabra, Corchetes, Texto, Signo } clase;
    std::string texto;  // brackets and quotes removed
};

std::vector<Pieza> Trocear(std::string_view s) {
    std::vector<Pieza> r;
    size_t i = 0;
    auto esPalabra = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#' || c == '$' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '[' || c == '"' || c == '\'') {
            const char cierre = c == '[' ? ']' : c;
            std::string t;
            ++i;
            while (i < s.size()) {
                if (s[i] == cierre) {
                    if (i + 1 < s.size() && s[i + 1] == cierre) {
                        t += cierre;
                        i += 2;
                        continue;
                    }
                    break;
                }
                t += s[i++];
            }
            ++i;
            r.push_back({c == '\'' ? Pieza::Texto : Pieza::Corchetes, t});
        } else if (esPalabra(c)) {
            size_t j = i;
            while (j < s.size() && esPalabra(s[j])) ++j;
            r.push_back({Pieza::Palabra, std::string(s.substr(i, j - i))});
            i = j;
        } else {
            r.push_back({Pieza::Signo, std::string(1, c)});
            ++i;
        }
    }
    return r;
}

bool EsPalabra(const Pieza& p, std::string_view w) {
    return p.clase == Pieza::Palabra && IgualesSinCaso(p.texto, w);
}

// The table of "SELECT * FROM <table> [with(nolock)] [WHERE ...]"; empty when the statement reads
// anything else (a column list, a join, several tables), which cannot be written back.
std::string TablaDeSelect(std::string_view sql) {
    const auto p = Trocear(sql);
    if (p.size() < 4 || !EsPalabra(p[0], "SELECT") || p[1].clase != Pieza::Signo || p[1].texto != "*" ||
        !EsPalabra(p[2], "FROM"))
        return {};
    size_t i = 3;
    std::vector<std::string> partes;
    while (i < p.size() && (p[i].clase == Pieza::Palabra || p[i].clase == Pieza::Corchetes)) {
        if (!IgualesSinCaso(p[i].texto, "dbo")) partes.push_back(p[i].texto);
        ++i;
        if (i < p.size() && p[i].clase == Pieza::Signo && p[i].texto == ".") {
            ++i;
            continue;
        }
        break;
    }
    if (partes.empty()) return {};
    if (i < p.size()) {
        const Pieza& sigue = p[i];
        const bool fin = EsPalabra(sigue, "WITH") || EsPalabra(sigue, "WHERE") || EsPalabra(sigue, "ORDER") ||
                         (sigue.clase == Pieza::Signo && (sigue.texto == "(" || sigue.texto == ";"));
        if (!fin) return {};
    }
    std::string tabla;
    for (const auto& parte : partes) tabla += (tabla.empty() ? "" : ".") + parte;
    return tabla;
}

// The literal of a looked-up value by its variant type: 8 text, 7 date, numbers bare.
std::string LiteralBuscado(const std::string& valor, int tipo) {
    switch (tipo) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 14:
        case 17:
        case 20:
            return LiteralSQL(Value(valor), '@');
        default:
            return LiteralSQL(Value(valor), '\'');
    }
}

}  // namespace

DataServices::DataServices(std::shared_ptr<Conexion> cn, Operador& op) : cn_(std::move(cn)), op_(op) {}

bool DataServices::EstaConectado() const {
    return cn_ && cn_->EstaAbierta();
}

Conexion& DataServices::Conexion_() {
    if (!EstaConectado()) FallaSinConexion();
    return *cn_;
}

std::string DataServices::NombreServidor() const {
    return cn_ ? cn_->NombreServidor() : std::string();
}
std::string DataServices::NombreBaseDatos() const {
    return cn_ ? cn_->NombreBaseDatos() : std::string();
}
std::string DataServices::NombreUsuario() const {
    return cn_ ? cn_->NombreUsuario() : std::string();
}

bool DataServices::ExisteRegistro(const std::string& tabla, const std::string& valor,
                                  const std::string& columna, int tipo) {
    const Resultado r =
        Conexion_().Consultar("SELECT " + columna + " FROM " + tabla + " with(nolock) WHERE " + columna +
                              " = " + LiteralBuscado(valor, tipo));
    return !r.filas.empty();
}

Value DataServices::BuscarValor(const std::string& tabla, const std::string& clave,
                                const std::string& columnaResultado, const std::string& columnaClave,
                                int tipo) {
    const Resultado r =
        Conexion_().Consultar("SELECT " + columnaResultado + " FROM " + tabla + " with(nolock) WHERE " +
                              columnaClave + " = " + LiteralBuscado(clave, tipo));
    if (r.filas.empty() || r.filas.front().empty()) return Value();
    return r.filas.front().front();
}

void DataServices::CerrarRecordset(Recordset& rs) noexcept {
    rs.Close();
}

const std::string& Ejecucion::Error() const {
    static const std::string kNinguno;
    return rechazo ? rechazo->descripcion : kNinguno;
}

void Ejecucion::Exigir() const {
    if (rechazo) throw Falla(numero, rechazo->descripcion, rechazo->fuente);
}

Ejecucion DataServices::Ejecutar(const std::string& sql, Recordset* /*rs*/) {
    Conexion& cn = Conexion_();
    auto& errores = cn.Errors();
    errores.clear();
    Ejecucion r;
    try {
        r.filas = cn.Execute(sql);
    } catch (const Falla& e) {
        // Callers show the first entry: the refusal goes before any message printed on the way.
        std::stable_partition(errores.begin(), errores.end(),
                              [](const ErrorBD& x) { return !x.informativo; });
        if (errores.empty() || errores.front().informativo) {
            ErrorBD x;
            x.numero = e.Numero();
            x.descripcion = e.Descripcion();
            x.fuente = e.Origen();
            errores.insert(errores.begin(), x);
        }
        r.rechazo = errores.front();
        r.numero = e.Numero();
        return r;
    }
    // Success: whatever the engine printed on the way is no refusal.
    errores.clear();
    return r;
}

void DataServices::AbrirRecordset(const std::string& sql, Recordset& rs, Conexion* cn, int cursor,
                                  int bloqueo, int /*opciones*/, bool /*final*/) {
    Conexion* c = cn != nullptr ? cn : cn_.get();
    if (c == nullptr || !c->EstaAbierta()) FallaSinConexion();
    if (rs.State() != ado::kCerrado) rs.Close();
    Resultado r = c->Consultar(sql);
    const bool actualizable = bloqueo == 2 || bloqueo == ado::kOptimista;
    std::string tabla = actualizable ? TablaDeSelect(sql) : std::string();
    Conexion* escritura = tabla.empty() ? nullptr : c;
    rs.Abrir(std::move(r), cursor, bloqueo, escritura, std::move(tabla));
}

int DataServices::ErrorRutina(const Falla& e, const std::string& rutina) {
    return op_.ErrorRutina(e, rutina);
}

}  // namespace dep
