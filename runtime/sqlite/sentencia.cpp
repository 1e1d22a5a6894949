// Translation of one T-SQL statement into one SQLite statement, token by token.
#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "runtime/falla.hpp"
#include "runtime/sqlite/colacion.hpp"
#include "runtime/sqlite/columnas_fecha.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep::sqlite::interno {

namespace {

constexpr std::string_view kColacion = "COLLATE DEP_CI";

const std::set<std::string, std::less<>> kReservadas = {
    "SELECT",  "FROM", "WHERE",  "AND",   "OR",       "NOT",      "IN",        "IS",     "NULL",   "LIKE",
    "BETWEEN", "SET",  "VALUES", "INTO",  "UPDATE",   "DELETE",   "INSERT",    "ON",     "AS",     "JOIN",
    "INNER",   "LEFT", "RIGHT",  "OUTER", "CROSS",    "GROUP",    "ORDER",     "BY",     "HAVING", "CASE",
    "WHEN",    "THEN", "ELSE",   "END",   "EXISTS",   "DISTINCT", "ALL",       "UNION",  "TOP",    "ASC",
    "DESC",    "WITH", "LIMIT",  "TABLE", "TRUNCATE", "EXCEPT",   "INTERSECT", "ESCAPE", "COLLATE"};

const std::set<std::string, std::less<>> kSugerencias = {
    "NOLOCK",  "READUNCOMMITTED", "ROWLOCK", "UPDLOCK", "HOLDLOCK",      "READPAST",     "PAGLOCK",
    "TABLOCK", "TABLOCKX",        "NOWAIT",  "XLOCK",   "READCOMMITTED", "SERIALIZABLE", "REPEATABLEREAD"};

enum class Clausula { Otra, GroupBy, OrderBy };

struct Nivel {
    std::string columnaIn;  // the column left of IN ( ... ), for the literals of the list
    Clausula clausula = Clausula::Otra;
    int cierresExtra = 0;  // LEN( -> length(rtrim( needs one more ')'
};

class Sentencia {
  public:
    Sentencia(const std::vector<Token>& t, std::string_view texto, std::size_t a, std::size_t b,
              Esquema& esquema, const std::string& baseAdmin, Plan& plan, Paso& p)
        : t_(t), texto_(texto), a_(a), b_(b), esquema_(esquema), baseAdmin_(baseAdmin), plan_(plan), p_(p) {}

    void Traducir(const std::string& prefijo, const std::string& sufijo);

  private:
    struct InfoColumna {
        bool fecha = false;
        bool texto = false;  // TEXT affinity
        std::string colacion;
        bool sinBlancos = false;  // indexed as rtrim(column) COLLATE NOCASE
        std::string tabla;        // the first table of the statement that has it
    };

    // One method a kind of token; those that consume more tokens return the last one's index.
    void ComprobarInicio();
    std::size_t Palabra(std::size_t k);
    bool Inicio(std::size_t& k, const std::string& u);
    bool Funcion(std::size_t& k, const std::string& u);
    std::optional<std::size_t> FinDeSugerencias(std::size_t k) const;
    void Literal(std::size_t k);
    bool OrdenaColumna(std::size_t k) const;
    std::string DescribirSinFecha(const std::string& columna) const;
    bool IgualdadBuscable(std::size_t k, const InfoColumna& info);
    bool ParBuscable(std::size_t k, std::size_t s);
    std::string Piezas(std::size_t desde, std::size_t hasta) const;
    std::string Comprobacion(bool media);
    std::size_t Simbolo(std::size_t k);

    [[noreturn]] void No(const std::string& motivo) { NoTraducible(t_, texto_, a_, b_, motivo); }
    bool Hay(std::size_t k) const { return k >= a_ && k < b_; }
    bool Sim(std::size_t k, std::string_view s) const { return Hay(k) && EsSimbolo(t_[k], s); }
    bool Pal(std::size_t k, std::string_view s) const { return Hay(k) && EsPalabra(t_[k], s); }
    bool EsNombre(std::size_t k) const {
        return Hay(k) &&
               (t_[k].tipo == TipoToken::Nombre || (t_[k].tipo == TipoToken::Palabra && !EsReservada(t_[k])));
    }
    // t[k] ends a column reference (not a function name, not a qualifier).
    bool FinDeColumna(std::size_t k) const { return EsNombre(k) && !Sim(k + 1, "(") && !Sim(k + 1, "."); }
    bool InicioDeColumna(std::size_t k, std::string& nombre) const {
        if (!EsNombre(k)) return false;
        if (Sim(k + 1, ".") && FinDeColumna(k + 2)) {
            nombre = t_[k + 2].texto;
            return true;
        }
        if (!FinDeColumna(k)) return false;
        nombre = t_[k].texto;
        return true;
    }
    void RecogerTablas();
    void AgregarTabla(const RefTabla& r);
    void RecogerValoresInsert();
    std::string ColumnaDeLiteral(std::size_t k) const;
    int TipoColumna(const std::string& nombre) const;  // 0 unknown, 1 other, 2 date
    void Emitir(std::size_t k, std::string s) {
        salida_.push_back(std::move(s));
        pieza_[k] = salida_.size() - 1;
    }
    // ISDATE(column) at t[k]: 1 when the column holds a text date in the stored form within the
    // server's datetime range, else 0 (numbers, other text forms, empty text, null). Written out
    // in SQLite's own functions so that any connection to the file (the ODBC driver's too) runs it.
    void EmitirEsFecha(std::size_t k) {
        if (!Sim(k + 1, "(") || !Hay(k + 2) ||
            !(t_[k + 2].tipo == TipoToken::Nombre || t_[k + 2].tipo == TipoToken::Palabra) ||
            !Sim(k + 3, ")"))
            No("ISDATE solo se admite sobre una columna");
        const std::string c = Comillas(t_[k + 2].texto);
        Emitir(k, "(CASE WHEN typeof(" + c + ") = 'text' AND (length(" + c + ") = 10 OR (length(" + c +
                      ") = 19 AND substr(" + c + ", 11, 1) = ' ' AND time(" + c + ") = substr(" + c +
                      ", 12, 8))) AND date(" + c + ") = substr(" + c + ", 1, 10) AND substr(" + c +
                      ", 1, 4) BETWEEN '1753' AND '9999'" + " THEN 1 ELSE 0 END)");
    }
    void Colacion(std::size_t k) {
        std::string& s = salida_[pieza_.at(k)];
        s += ' ';
        s += kColacion;
    }
    void TrasNombre(std::size_t k);
    void Fijo(std::size_t k) { plan_.literalesFijos.push_back(k); }
    std::string Unir(const std::string& prefijo, const std::string& sufijo) const;
    // The comparison at t[k] is a term of an OR (in its own parentheses or its clause).
    bool EnUnOr(std::size_t k) const;

    const std::vector<Token>& t_;
    std::string_view texto_;
    std::size_t a_, b_;
    Esquema& esquema_;
    const std::string& baseAdmin_;
    Plan& plan_;
    Paso& p_;
    bool ddl_ = false;
    std::vector<std::string> salida_;
    std::map<std::size_t, std::size_t> pieza_;
    std::map<std::string, InfoColumna> columnas_;  // upper-case name
    bool enSet_ = false;                           // between SET and WHERE of an UPDATE: '=' assigns
    std::set<std::string> tablasVistas_;
    std::vector<RefTabla> tablas_;
    bool tablaDesconocida_ = false;  // a table whose columns could not be read (SQLite will say why)
    struct Par {
        std::string a, b;  // the two columns' names
        FormaDeTexto forma;
        FormaDeTexto formaMedia;  // what the rtrim seek alone needs (forma when it is the only one)
    };
    std::vector<Par> pares_;
    std::set<std::string> sinBlancosEnAlguna_;  // names with an rtrim index in some table
    std::set<std::string> planoEnAlguna_;       // names with an index on the plain column
    bool paresBuscables_ = false;  // the statement writes no column it compares (see ParBuscable)
    std::map<std::size_t, std::string> valoresInsert_;
    std::vector<Nivel> niveles_{Nivel{}};
    std::string pendienteIn_;
    std::string limite_;
    std::vector<std::pair<std::size_t, std::string>> amplios_;  // piece -> its text in sqlAmplio
    std::vector<std::pair<std::size_t, std::string>> medios_;   // piece -> its text in sqlMedio
};

void Sentencia::AgregarTabla(const RefTabla& r) {
    const std::string clave = MayusculasAscii(r.base + "." + r.tabla);
    if (!tablasVistas_.insert(clave).second) return;
    tablas_.push_back(r);
    const auto* cols = esquema_.Columnas(r.base, r.tabla);
    if (!cols) {
        plan_.reutilizable = false;
        tablaDesconocida_ = true;
        return;
    }
    for (const auto& c : *cols) {
        const std::string tipo = MayusculasAscii(c.tipo);
        const bool texto = tipo.find("CHAR") != std::string::npos || tipo.find("TEXT") != std::string::npos ||
                           tipo.find("CLOB") != std::string::npos;
        if (c.indiceSinBlancos) sinBlancosEnAlguna_.insert(MayusculasAscii(c.nombre));
        if (c.indicePlano) planoEnAlguna_.insert(MayusculasAscii(c.nombre));
        const bool fecha = ColumnaLeidaComoFecha(r.tabla, c.nombre, c.tipo);
        const auto [it, nueva] = columnas_.emplace(
            MayusculasAscii(c.nombre),
            InfoColumna{fecha, texto, MayusculasAscii(c.colacion), c.indiceSinBlancos, r.tabla});
        // A name that is a date column in one of the tables joined is read as a date.
        if (!nueva && fecha) it->second.fecha = true;
    }
}

void Sentencia::RecogerTablas() {
    for (std::size_t j = a_; j < b_; ++j) {
        const bool inicioDelete = j == a_ && Pal(j, "DELETE") && !Pal(j + 1, "FROM");
        if (!(Pal(j, "FROM") || Pal(j, "JOIN") || Pal(j, "INTO") || Pal(j, "UPDATE") || Pal(j, "TABLE") ||
              inicioDelete))
            continue;
        std::size_t k = j + 1;
        for (;;) {
            RefTabla r;
            std::size_t fin = k;
            std::string error;
            if (!LeerTabla(t_, k, b_, baseAdmin_, r, fin, error)) break;
            AgregarTabla(r);
            if (!Pal(j, "FROM")) break;
            k = fin;  // FROM a x, b y: alias and hints, then a comma for the next table
            if (Pal(k, "AS")) ++k;
            if (EsNombre(k) && !Sim(k + 1, ".")) ++k;
            if (Pal(k, "WITH") && Sim(k + 1, "("))
                while (Hay(k) && !Sim(k, ")")) ++k;
            if (Sim(k, ")")) ++k;
            if (!Sim(k, ",")) break;
            ++k;
        }
    }
}

void Sentencia::RecogerValoresInsert() {
    if (!Pal(a_, "INSERT")) return;
    std::size_t j = a_ + 1;
    if (Pal(j, "INTO")) ++j;
    RefTabla r;
    std::size_t fin = j;
    std::string error;
    if (!LeerTabla(t_, j, b_, baseAdmin_, r, fin, error)) return;
    std::vector<std::string> cols;
    j = fin;
    if (Sim(j, "(")) {
        for (++j; Hay(j) && !Sim(j, ")"); ++j)
            if (EsNombre(j)) cols.push_back(t_[j].texto);
        ++j;
    } else if (const auto* c = esquema_.Columnas(r.base, r.tabla)) {
        for (const auto& col : *c) cols.push_back(col.nombre);
    }
    if (!Pal(j, "VALUES")) return;
    ++j;
    while (Sim(j, "(")) {
        std::size_t inicio = j + 1, indice = 0;
        int prof = 0;
        for (++j; Hay(j); ++j) {
            if (Sim(j, "(")) ++prof;
            if (Sim(j, ")") && prof-- == 0) break;
            if (prof == 0 && Sim(j, ",")) {
                if (j == inicio + 1 && t_[inicio].tipo == TipoToken::Texto && indice < cols.size())
                    valoresInsert_[inicio] = cols[indice];
                ++indice;
                inicio = j + 1;
            }
        }
        if (j == inicio + 1 && t_[inicio].tipo == TipoToken::Texto && indice < cols.size())
            valoresInsert_[inicio] = cols[indice];
        ++j;
        if (!Sim(j, ",")) break;
        ++j;
    }
}

std::string Sentencia::ColumnaDeLiteral(std::size_t k) const {
    if (auto it = valoresInsert_.find(k); it != valoresInsert_.end()) return it->second;
    if (Hay(k - 1) && EsComparacion(t_[k - 1]) && FinDeColumna(k - 2)) return t_[k - 2].texto;
    std::string nombre;
    if (Hay(k + 1) && EsComparacion(t_[k + 1]) && InicioDeColumna(k + 2, nombre)) return nombre;
    if (!niveles_.back().columnaIn.empty() && (Sim(k - 1, "(") || Sim(k - 1, ",")))
        return niveles_.back().columnaIn;
    if (Pal(k - 1, "BETWEEN") && FinDeColumna(k - 2)) return t_[k - 2].texto;
    if (Pal(k - 1, "AND") && Hay(k - 2) && t_[k - 2].tipo == TipoToken::Texto && Pal(k - 3, "BETWEEN") &&
        FinDeColumna(k - 4))
        return t_[k - 4].texto;
    return {};
}

int Sentencia::TipoColumna(const std::string& nombre) const {
    if (nombre.empty()) return 0;
    auto it = columnas_.find(MayusculasAscii(nombre));
    if (it == columnas_.end()) return 0;
    return it->second.fecha ? 2 : 1;
}

// After a name: GROUP BY / ORDER BY terms and column = column comparisons compare texts
// with the engine's collation.
void Sentencia::TrasNombre(std::size_t k) {
    if (!FinDeColumna(k)) return;
    if (niveles_.back().clausula != Clausula::Otra) {
        const std::size_t s = Sim(k - 1, ".") ? k - 2 : k;
        const bool inicioTermino = Pal(s - 1, "BY") || Sim(s - 1, ",");
        const bool finTermino = !Hay(k + 1) || Sim(k + 1, ",") || Sim(k + 1, ")") || Pal(k + 1, "ASC") ||
                                Pal(k + 1, "DESC") || Pal(k + 1, "HAVING") || Pal(k + 1, "ORDER") ||
                                Pal(k + 1, "LIMIT") || Pal(k + 1, "UNION");
        if (inicioTermino && finTermino) Colacion(k);
        return;
    }
    const std::size_t s = Sim(k - 1, ".") ? k - 2 : k;
    if (Hay(s - 1) && EsComparacion(t_[s - 1]) && FinDeColumna(s - 2) && !ParBuscable(k, s)) Colacion(k);
}

// "column = column" with the right one's name at t[k] (its first token at t[s]). DEP_CI decides,
// which no index can serve: so the same comparison under NOCASE or BINARY (or of rtrim under
// NOCASE, for the demo schema's indexes) is added, which SQLite seeks on. It gives the server's
// result while every text in those columns has the form it needs; `comprobacion` looks before
// each run and the wide form runs otherwise. Only where the statement writes none of them
// (SELECT, DELETE, IF conditions), so the look holds for the whole statement.
// Where a table indexes the column both ways, both comparisons are added: the planner then sees
// every term the statement as written offers it (an rtrim term alone would hide a key index on
// the plain columns and leave it a worse one); texts with trailing blanks run the rtrim one alone.
bool Sentencia::ParBuscable(std::size_t k, std::size_t s) {
    const std::size_t fin = s - 2, ini = Sim(fin - 1, ".") ? fin - 2 : fin;
    if (!paresBuscables_ || enSet_ || !Sim(s - 1, "=") || !pieza_.count(ini) || !pieza_.count(fin))
        return false;
    const auto x = columnas_.find(MayusculasAscii(t_[fin].texto));
    const auto y = columnas_.find(MayusculasAscii(t_[k].texto));
    if (x == columnas_.end() || y == columnas_.end()) return false;
    const InfoColumna& a = x->second;
    const InfoColumna& b = y->second;
    if (!a.texto || !b.texto || a.fecha || b.fecha) return false;
    const std::string izq = Piezas(ini, fin), der = Piezas(s, k);
    const bool sinBlancos = sinBlancosEnAlguna_.count(x->first) || sinBlancosEnAlguna_.count(y->first);
    const bool plano = planoEnAlguna_.count(x->first) || planoEnAlguna_.count(y->first);
    std::optional<FormaDeTexto> formaPlana;
    std::string comparacionPlana;
    if (a.colacion == "NOCASE" || b.colacion == "NOCASE") {
        formaPlana = FormaDeTexto::Nocase;
        comparacionPlana = izq + " = " + der + " COLLATE NOCASE";
    } else if (a.colacion == "BINARY" && b.colacion == "BINARY") {
        formaPlana = FormaDeTexto::Binaria;
        comparacionPlana = izq + " = " + der + " COLLATE BINARY";
    }
    const std::string comparacionSinBlancos = "rtrim(" + izq + ") COLLATE NOCASE = rtrim(" + der + ")";
    std::string estrecha, media;
    FormaDeTexto forma, formaMedia;
    if (sinBlancos && formaPlana && plano) {
        forma = *formaPlana;
        formaMedia = FormaDeTexto::SinPliegue;
        estrecha = comparacionSinBlancos + " AND " + comparacionPlana;
        media = comparacionSinBlancos;
    } else if (sinBlancos) {
        forma = formaMedia = FormaDeTexto::SinPliegue;
        estrecha = media = comparacionSinBlancos;
    } else if (formaPlana) {
        forma = formaMedia = *formaPlana;
        estrecha = media = comparacionPlana;
    } else {
        return false;
    }
    std::string& primera = salida_[pieza_.at(ini)];
    std::string& ultima = salida_[pieza_.at(k)];
    const std::string amplia = ultima + " " + std::string(kColacion);
    amplios_.emplace_back(pieza_.at(ini), primera);
    amplios_.emplace_back(pieza_.at(k), amplia);
    medios_.emplace_back(pieza_.at(k), amplia + " AND " + media + ")");
    primera = "(" + primera;
    ultima = amplia + " AND " + estrecha + ")";
    pares_.push_back(Par{t_[fin].texto, t_[k].texto, forma, formaMedia});
    return true;
}

std::string Sentencia::Piezas(std::size_t desde, std::size_t hasta) const {
    std::string r;
    for (std::size_t i = pieza_.at(desde); i <= pieza_.at(hasta); ++i) r += salida_[i];
    return r;
}

// SELECT 1 when a text of a compared column, in any table of the statement that has it, is not in
// its pair's form. Each column once, under the strictest form asked of it.
std::string Sentencia::Comprobacion(bool media) {
    std::map<std::string, std::pair<std::string, FormaDeTexto>> columnas;  // upper-case name
    for (const Par& par : pares_)
        for (const std::string* nombre : {&par.a, &par.b}) {
            const FormaDeTexto forma = media ? par.formaMedia : par.forma;
            auto [it, nueva] = columnas.emplace(MayusculasAscii(*nombre), std::pair{*nombre, forma});
            if (!nueva && forma > it->second.second) it->second.second = forma;
        }
    std::string r;
    for (const RefTabla& tabla : tablas_) {
        const auto* cols = esquema_.Columnas(tabla.base, tabla.tabla);
        if (!cols) continue;
        std::string condicion;
        for (const Columna& c : *cols) {
            const auto it = columnas.find(MayusculasAscii(c.nombre));
            if (it == columnas.end()) continue;
            condicion += condicion.empty() ? "" : " OR ";
            condicion += "dep_fuera_de_forma(" + Comillas(it->second.first) + ", " +
                         std::to_string(static_cast<int>(it->second.second)) + ")";
        }
        if (condicion.empty()) continue;
        r += r.empty() ? "SELECT " : " OR ";
        r += "EXISTS (SELECT 1 FROM " + NombreSqlite(tabla) + " WHERE " + condicion + ")";
    }
    return r;
}

void Sentencia::Traducir(const std::string& prefijo, const std::string& sufijo) {
    if (prefijo.empty()) ComprobarInicio();
    paresBuscables_ = !prefijo.empty() || Pal(a_, "SELECT") || Pal(a_, "DELETE");
    p_.tipo = Paso::Tipo::Sql;
    p_.cambiaEsquema = ddl_;
    RecogerTablas();
    RecogerValoresInsert();
    for (std::size_t k = a_; k < b_; ++k) {
        switch (t_[k].tipo) {
            case TipoToken::Palabra:
                k = Palabra(k);
                break;
            case TipoToken::Nombre:
                if (MayusculasAscii(t_[k].texto) == "DBO" && Sim(k + 1, ".")) {
                    ++k;
                    break;
                }
                Emitir(k, Comillas(t_[k].texto));
                TrasNombre(k);
                break;
            case TipoToken::Variable: {
                std::string tabla = TablaAdmin(t_[k]);
                if (tabla.empty()) No("la variable " + t_[k].texto);
                Emitir(k, NombreSqlite(RefTabla{baseAdmin_, std::move(tabla)}));
                break;
            }
            case TipoToken::Texto:
                Literal(k);
                break;
            case TipoToken::Numero:
                if (ddl_ || niveles_.back().clausula != Clausula::Otra) {
                    Emitir(k, t_[k].texto);
                    Fijo(k);
                } else {
                    Emitir(k, "?");
                    p_.params.push_back(Parametro{k});
                }
                break;
            case TipoToken::Simbolo:
                k = Simbolo(k);
                break;
        }
    }
    p_.sql = Unir(prefijo, sufijo);
    if (!pares_.empty()) {
        p_.comprobacion = Comprobacion(false);
        // No table to look at: the added comparisons cannot be trusted, the wide form always runs.
        if (p_.comprobacion.empty()) p_.comprobacion = "SELECT 1";
    }
    const bool hayMedia =
        std::any_of(pares_.begin(), pares_.end(), [](const Par& par) { return par.forma != par.formaMedia; });
    if (hayMedia && p_.comprobacion != "SELECT 1") {
        p_.comprobacionMedia = Comprobacion(true);
        std::vector<std::pair<std::size_t, std::string>> guardadas;
        for (auto& [pieza, texto] : medios_) {
            guardadas.emplace_back(pieza, salida_[pieza]);
            salida_[pieza] = texto;
        }
        p_.sqlMedio = Unir(prefijo, sufijo);
        for (auto& [pieza, texto] : guardadas) salida_[pieza] = texto;
    }
    if (!amplios_.empty()) {
        for (auto& [pieza, texto] : amplios_) std::swap(salida_[pieza], texto);
        p_.sqlAmplio = Unir(prefijo, sufijo);
    }
}

void Sentencia::ComprobarInicio() {
    static const std::set<std::string, std::less<>> inicios = {"SELECT",   "INSERT", "UPDATE", "DELETE",
                                                               "TRUNCATE", "CREATE", "DROP",   "ALTER"};
    const std::string primera = MayusculasAscii(t_[a_].texto);
    if (t_[a_].tipo != TipoToken::Palabra || !inicios.count(primera)) No("instrucción no admitida");
    ddl_ = primera == "CREATE" || primera == "DROP" || primera == "ALTER";
    if (primera == "CREATE" && (Pal(a_ + 1, "TRIGGER") || Pal(a_ + 1, "PROCEDURE") || Pal(a_ + 1, "PROC") ||
                                Pal(a_ + 1, "FUNCTION")))
        No("CREATE " + MayusculasAscii(t_[a_ + 1].texto) + " de SQL Server");
}

// WITH (NOLOCK, ...) at t[k]: the index of its ')' when every word in it is a table hint.
std::optional<std::size_t> Sentencia::FinDeSugerencias(std::size_t k) const {
    if (!Sim(k + 1, "(")) return std::nullopt;
    std::size_t j = k + 2;
    bool sugerencias = Hay(j);
    for (; Hay(j) && !Sim(j, ")"); ++j)
        if (!(Sim(j, ",") ||
              (t_[j].tipo == TipoToken::Palabra && kSugerencias.count(MayusculasAscii(t_[j].texto)))))
            sugerencias = false;
    if (sugerencias && Sim(j, ")")) return j;
    return std::nullopt;
}

// The statement's first word where T-SQL and SQLite write it differently. True when handled.
bool Sentencia::Inicio(std::size_t& k, const std::string& u) {
    if (k != a_) return false;
    if (u == "TRUNCATE" && Pal(k + 1, "TABLE")) {
        Emitir(k, "DELETE FROM");
        ++k;
        return true;
    }
    if (u == "DELETE") {
        Emitir(k, "DELETE");
        if (!Pal(k + 1, "FROM")) {
            RefTabla r;
            std::size_t fin = k + 1;
            std::string error;
            if (LeerTabla(t_, k + 1, b_, baseAdmin_, r, fin, error) && Pal(fin, "FROM"))
                No("DELETE con FROM de unión");
            salida_.push_back("FROM");
        }
        return true;
    }
    if (u == "INSERT" && !Pal(k + 1, "INTO")) {
        Emitir(k, "INSERT INTO");
        return true;
    }
    return false;
}

// A function name followed by '(' that SQLite spells otherwise. True when handled.
bool Sentencia::Funcion(std::size_t& k, const std::string& u) {
    if (!Sim(k + 1, "(")) return false;
    if (u == "SUBSTRING") {
        Emitir(k, "substr");
    } else if (u == "ISDATE") {
        EmitirEsFecha(k);
        k += 3;
    } else if (u == "ISNULL") {
        Emitir(k, "ifnull");
    } else if (u == "GETDATE" && Sim(k + 2, ")")) {
        Emitir(k, "datetime('now','localtime')");
        k += 2;
    } else if (u == "LEN") {
        Emitir(k, "length(rtrim(");
        niveles_.push_back(Nivel{{}, Clausula::Otra, 1});
        ++k;
    } else if (u == "CONVERT" || u == "DATEADD" || u == "DATEDIFF" || u == "DATEPART" || u == "CHARINDEX") {
        No("la función " + u);
    } else {
        return false;
    }
    return true;
}

std::size_t Sentencia::Palabra(std::size_t k) {
    const std::string u = MayusculasAscii(t_[k].texto);
    if (u == "WITH")
        if (auto fin = FinDeSugerencias(k)) return *fin;
    if (u == "DBO" && Sim(k + 1, ".")) return k + 1;
    if (Inicio(k, u) || Funcion(k, u)) return k;
    if (u == "TOP") {
        if (niveles_.size() != 1 || !(Pal(k - 1, "SELECT") || Pal(k - 1, "DISTINCT")) || !Hay(k + 1) ||
            t_[k + 1].tipo != TipoToken::Numero || !limite_.empty())
            No("TOP");
        limite_ = t_[k + 1].texto;
        Fijo(k + 1);
        return k + 1;
    }
    if ((u == "GROUP" || u == "ORDER") && Pal(k + 1, "BY")) {
        Emitir(k, u + " BY");
        niveles_.back().clausula = u == "GROUP" ? Clausula::GroupBy : Clausula::OrderBy;
        return k + 1;
    }
    if (u == "SET" && niveles_.size() == 1) enSet_ = true;
    if (u == "WHERE" || u == "FROM") enSet_ = false;
    if (u == "HAVING" || u == "LIMIT" || u == "UNION" || u == "WHERE" || u == "FROM" || u == "EXCEPT" ||
        u == "INTERSECT")
        niveles_.back().clausula = Clausula::Otra;
    if (u == "IN" && Sim(k + 1, "(")) {
        const std::size_t m = Pal(k - 1, "NOT") ? k - 2 : k - 1;
        if (FinDeColumna(m) && pieza_.count(m)) {
            Colacion(m);
            pendienteIn_ = t_[m].texto;
        }
        Emitir(k, t_[k].texto);
        return k;
    }
    if (u == "BETWEEN" && FinDeColumna(k - 1) && pieza_.count(k - 1)) Colacion(k - 1);
    Emitir(k, t_[k].texto);
    TrasNombre(k);
    return k;
}

void Sentencia::Literal(std::size_t k) {
    const Token& x = t_[k];
    if (ddl_) {
        std::string s = "'";
        for (char c : x.texto) s += c == '\'' ? std::string("''") : std::string(1, c);
        Emitir(k, s + "'");
        Fijo(k);
        return;
    }
    const std::string columna = ColumnaDeLiteral(k);
    const int tipo = TipoColumna(columna);
    if (tipo == 1 && !enSet_ && Sim(k - 1, "=") && FinDeColumna(k - 2) && !Sim(k - 3, ".") &&
        pieza_.count(k - 2) && IgualdadBuscable(k, columnas_.at(MayusculasAscii(columna))))
        return;
    Emitir(k, "?");
    p_.params.push_back(Parametro{k, tipo == 2});
    if (tipo != 2 && !columna.empty() && !tablaDesconocida_ && OrdenaColumna(k)) {
        // Compared as texts, the operator's date form orders otherwise than the dates (no
        // statement means that, and a delete would take the wrong rows): refused, here and at
        // every run of the plan (the check is kept with the parameter).
        p_.params.back().sinFecha = DescribirSinFecha(columna);
        if (EsFechaDelOperador(x.texto)) No(MotivoOrdenSinFecha(p_.params.back().sinFecha, x.texto));
    }
    const bool comparado =
        (Hay(k - 1) && EsComparacion(t_[k - 1])) || (Hay(k + 1) && EsComparacion(t_[k + 1]));
    if (tipo != 2 && comparado) Colacion(k);
}

// The literal at t[k] is ordered against a column: <, <=, >, >=, !<, !> or BETWEEN.
bool Sentencia::OrdenaColumna(std::size_t k) const {
    auto orden = [&](std::size_t j) {
        return Hay(j) && EsComparacion(t_[j]) && t_[j].texto != "=" && t_[j].texto != "<>" &&
               t_[j].texto != "!=";
    };
    std::string nombre;
    if (orden(k - 1) && FinDeColumna(k - 2)) return true;
    if (orden(k + 1) && InicioDeColumna(k + 2, nombre)) return true;
    if (Pal(k - 1, "BETWEEN") && FinDeColumna(k - 2)) return true;
    return Pal(k - 1, "AND") && Hay(k - 2) && t_[k - 2].tipo == TipoToken::Texto && Pal(k - 3, "BETWEEN") &&
           FinDeColumna(k - 4);
}

std::string Sentencia::DescribirSinFecha(const std::string& columna) const {
    const auto it = columnas_.find(MayusculasAscii(columna));
    if (it == columnas_.end()) return "'" + columna + "' (de ninguna tabla de la sentencia)";
    return "'" + columna + "' de la tabla '" + it->second.tabla + "'";
}

// "column = 'text'" at t[k] on a text column: written so that an index of the column can serve
// it. False when the column's collation leaves no such form.
bool Sentencia::IgualdadBuscable(std::size_t k, const InfoColumna& info) {
    if (!info.texto) return false;
    const bool nocase = info.colacion == "NOCASE";
    std::string& izquierda = salida_[pieza_.at(k - 2)];
    const std::string col = izquierda;
    if (info.sinBlancos && !EnUnOr(k)) {
        // rtrim + NOCASE is the server's equality for texts of ASCII letters, and lets SQLite
        // seek on every column of such an index, not only the first. DEP_CI still decides; a
        // literal with letters NOCASE does not fold runs the wide form. Under an OR the bounds
        // stay: SQLite would rather join one seek per branch than use a better index of the
        // other terms.
        izquierda = "(rtrim(" + col + ") COLLATE NOCASE = ? AND " + col;
        amplios_.emplace_back(pieza_.at(k - 2), "(? IS NOT NULL AND " + col);
        Emitir(k, "? " + std::string(kColacion) + ")");
        p_.params.push_back(Parametro{k, false, Rango::SinBlancos, nocase});
        p_.params.push_back(Parametro{k, false, Rango::Valor, nocase});
        return true;
    }
    if (!nocase && info.colacion != "BINARY") return false;
    // The collation hides the column's index from SQLite, so the comparison also gets bounds in
    // the column's own order that hold every text equal to the literal under DEP_CI (the literal
    // without trailing blanks up to it followed by "!"; where the literal's letters make that
    // impossible the bounds are bound open). Same rows, found through the index.
    izquierda = "(" + izquierda;
    Emitir(k, "? " + std::string(kColacion) + " AND " + col + " >= ? AND " + col + " < ?)");
    p_.params.push_back(Parametro{k, false, Rango::Valor, nocase});
    p_.params.push_back(Parametro{k, false, Rango::Desde, nocase});
    p_.params.push_back(Parametro{k, false, Rango::Hasta, nocase});
    return true;
}

std::size_t Sentencia::Simbolo(std::size_t k) {
    const std::string& s = t_[k].texto;
    if (s == "(") {
        if (k > a_ && (t_[k - 1].tipo == TipoToken::Palabra || t_[k - 1].tipo == TipoToken::Nombre) &&
            Hay(k + 2) && t_[k + 1].tipo == TipoToken::Palabra &&
            kSugerencias.count(MayusculasAscii(t_[k + 1].texto)) && Sim(k + 2, ")"))
            return k + 2;  // old style hint: FROM x (NOLOCK)
        niveles_.push_back(Nivel{pendienteIn_, Clausula::Otra, 0});
        pendienteIn_.clear();
        Emitir(k, "(");
    } else if (s == ")") {
        std::string cierre = ")";
        if (niveles_.size() > 1) {
            cierre += std::string(static_cast<std::size_t>(niveles_.back().cierresExtra), ')');
            niveles_.pop_back();
        }
        Emitir(k, cierre);
    } else if (s == "+") {
        const bool texto = (Hay(k - 1) && t_[k - 1].tipo == TipoToken::Texto) ||
                           (Hay(k + 1) && t_[k + 1].tipo == TipoToken::Texto);
        Emitir(k, texto ? "||" : "+");
    } else if (s == "!<") {
        Emitir(k, ">=");
    } else if (s == "!>") {
        Emitir(k, "<=");
    } else if (s != ";") {
        Emitir(k, s);
    }
    return k;
}

bool Sentencia::EnUnOr(std::size_t k) const {
    int nivel = 0;
    for (std::size_t j = k; j-- > a_;) {
        if (Sim(j, ")")) ++nivel;
        if (Sim(j, "(") && nivel-- == 0) break;
        if (nivel == 0 && (Pal(j, "WHERE") || Pal(j, "ON") || Pal(j, "WHEN") || Pal(j, "HAVING"))) break;
        if (nivel == 0 && Pal(j, "OR")) return true;
    }
    nivel = 0;
    for (std::size_t j = k + 1; j < b_; ++j) {
        if (Sim(j, "(")) ++nivel;
        if (Sim(j, ")") && nivel-- == 0) break;
        if (nivel == 0 && (Pal(j, "GROUP") || Pal(j, "ORDER") || Pal(j, "THEN") || Pal(j, "UNION"))) break;
        if (nivel == 0 && Pal(j, "OR")) return true;
    }
    return false;
}

std::string Sentencia::Unir(const std::string& prefijo, const std::string& sufijo) const {
    std::string sql = prefijo;
    for (const auto& s : salida_) {
        if (!sql.empty()) sql += ' ';
        sql += s;
    }
    if (!limite_.empty()) sql += " LIMIT " + limite_;
    if (!sufijo.empty()) sql += " " + sufijo;
    return sql;
}

}  // namespace

void TraducirSentencia(const std::vector<Token>& t, std::string_view texto, std::size_t desde,
                       std::size_t hasta, Esquema& esquema, const std::string& baseAdmin, Plan& plan, Paso& p,
                       const std::string& prefijo, const std::string& sufijo) {
    p.desde = desde;
    p.hasta = hasta;
    if (desde >= hasta) NoTraducible(t, texto, desde, hasta, "sentencia vacía");
    Sentencia s(t, texto, desde, hasta, esquema, baseAdmin, plan, p);
    s.Traducir(prefijo, sufijo);
}

bool EsComparacion(const Token& t) {
    if (t.tipo != TipoToken::Simbolo) return false;
    const auto& s = t.texto;
    return s == "=" || s == "<>" || s == "!=" || s == "<" || s == ">" || s == "<=" || s == ">=" ||
           s == "!<" || s == "!>";
}

bool EsReservada(const Token& t) {
    return t.tipo == TipoToken::Palabra && kReservadas.count(MayusculasAscii(t.texto)) > 0;
}

}  // namespace dep::sqlite::interno
