// The batch level of the translation: statement boundaries, IF / BEGIN ... END / ELSE, PRINT,
// EXEC, trigger switching. Single statements are translated in sentencia.cpp.
#include "runtime/sqlite/traductor.hpp"

#include <set>

#include "runtime/falla.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep::sqlite {

using namespace interno;

namespace {

// Keywords that begin a statement when they open a line (SET and WITH do not: "UPDATE x" may
// continue with "SET" on the next line, and a hint "WITH (NOLOCK)" may stand at a line start).
const std::set<std::string, std::less<>> kInicioLinea = {
    "SELECT", "INSERT", "UPDATE", "DELETE", "TRUNCATE", "ALTER", "EXEC",   "EXECUTE", "PRINT",
    "IF",     "BEGIN",  "CREATE", "DROP",   "DECLARE",  "GO",    "RETURN", "COMMIT",  "ROLLBACK"};
// Keywords that begin a statement even in the middle of a line.
const std::set<std::string, std::less<>> kInicioEnLinea = {
    "INSERT", "UPDATE", "DELETE", "TRUNCATE", "EXEC", "EXECUTE", "PRINT", "IF", "BEGIN", "DECLARE"};

class Lote {
  public:
    Lote(const std::vector<Token>& t, std::string_view texto, Esquema& esquema, const std::string& baseAdmin,
         Plan& plan)
        : t_(t), texto_(texto), esquema_(esquema), baseAdmin_(baseAdmin), plan_(plan) {}

    std::vector<Paso> Bloque(std::size_t& i, bool hastaEnd);

  private:
    bool Pal(std::size_t k, std::string_view s) const { return k < t_.size() && EsPalabra(t_[k], s); }
    bool Sim(std::size_t k, std::string_view s) const { return k < t_.size() && EsSimbolo(t_[k], s); }
    bool EsBeginBloque(std::size_t k) const {
        return Pal(k, "BEGIN") && !Pal(k + 1, "TRAN") && !Pal(k + 1, "TRANSACTION");
    }
    Paso Una(std::size_t& i);
    std::vector<Paso> Rama(std::size_t& i);
    std::size_t FinSentencia(std::size_t i) const;
    std::size_t FinCondicion(std::size_t i) const;
    Paso Simple(std::size_t a, std::size_t b);
    [[noreturn]] void No(std::size_t a, std::size_t b, const std::string& motivo) const {
        NoTraducible(t_, texto_, a, b, motivo);
    }

    const std::vector<Token>& t_;
    std::string_view texto_;
    Esquema& esquema_;
    const std::string& baseAdmin_;
    Plan& plan_;
};

std::vector<Paso> Lote::Bloque(std::size_t& i, bool hastaEnd) {
    std::vector<Paso> pasos;
    const std::size_t inicio = i;
    for (;;) {
        while (Sim(i, ";")) ++i;
        if (i >= t_.size()) {
            if (hastaEnd) No(inicio, t_.size(), "falta END");
            return pasos;
        }
        if (Pal(i, "END")) {
            if (!hastaEnd) No(i, i + 1, "END sin BEGIN");
            ++i;
            return pasos;
        }
        if (Pal(i, "ELSE")) No(i, i + 1, "ELSE sin IF");
        pasos.push_back(Una(i));
    }
}

std::vector<Paso> Lote::Rama(std::size_t& i) {
    while (Sim(i, ";")) ++i;
    if (i >= t_.size() || Pal(i, "ELSE") || Pal(i, "END")) No(i, i + 1, "IF sin instrucción");
    if (EsBeginBloque(i)) {
        ++i;
        return Bloque(i, true);
    }
    std::vector<Paso> r;
    r.push_back(Una(i));
    return r;
}

Paso Lote::Una(std::size_t& i) {
    if (Pal(i, "IF")) {
        const std::size_t a = i;
        const std::size_t fin = FinCondicion(i + 1);
        if (fin == i + 1) No(a, fin + 1, "IF sin condición");
        Paso p;
        TraducirSentencia(t_, texto_, i + 1, fin, esquema_, baseAdmin_, plan_, p, "SELECT CASE WHEN",
                          "THEN 1 ELSE 0 END");
        p.tipo = Paso::Tipo::Si;
        p.desde = a;
        i = fin;
        p.entonces = Rama(i);
        while (Sim(i, ";")) ++i;
        if (Pal(i, "ELSE")) {
            ++i;
            p.sino = Rama(i);
        }
        p.hasta = i;
        return p;
    }
    if (EsBeginBloque(i)) {
        Paso p;
        p.tipo = Paso::Tipo::Bloque;
        p.desde = i;
        ++i;
        p.entonces = Bloque(i, true);
        p.hasta = i;
        return p;
    }
    const std::size_t fin = FinSentencia(i);
    Paso p = Simple(i, fin);
    i = fin;
    return p;
}

// The condition of an IF ends at the first statement keyword outside parentheses.
std::size_t Lote::FinCondicion(std::size_t i) const {
    int prof = 0;
    for (std::size_t j = i; j < t_.size(); ++j) {
        if (Sim(j, "(")) ++prof;
        if (Sim(j, ")")) --prof;
        if (prof != 0 || t_[j].tipo != TipoToken::Palabra) continue;
        const std::string u = MayusculasAscii(t_[j].texto);
        if (kInicioLinea.count(u) || u == "SET") return j;
    }
    return t_.size();
}

std::size_t Lote::FinSentencia(std::size_t i) const {
    int prof = 0, casos = 0;
    const bool insert = Pal(i, "INSERT");
    const bool crear = Pal(i, "CREATE");
    bool valores = false;
    for (std::size_t j = i + 1; j < t_.size(); ++j) {
        const Token& x = t_[j];
        if (Sim(j, "(")) ++prof;
        if (Sim(j, ")")) --prof;
        if (prof != 0) continue;
        if (Sim(j, ";")) return j;
        if (x.tipo != TipoToken::Palabra) continue;
        const std::string u = MayusculasAscii(x.texto);
        if (u == "CASE") ++casos;
        if (u == "END") {
            if (casos == 0) return j;
            --casos;
            continue;
        }
        if (u == "ELSE" && casos == 0) return j;
        if (u == "VALUES") valores = true;
        if (x.inicioLinea && kInicioLinea.count(u)) {
            const bool continua =
                u == "SELECT" && ((insert && !valores) || Pal(j - 1, "UNION") || Pal(j - 1, "ALL") ||
                                  Pal(j - 1, "EXCEPT") || Pal(j - 1, "INTERSECT"));
            if (!continua) return j;
        } else if (!crear && kInicioEnLinea.count(u)) {
            const Token& antes = t_[j - 1];
            const bool parte = EsPalabra(antes, "ON") || EsPalabra(antes, "FOR") || EsPalabra(antes, "OF") ||
                               EsPalabra(antes, "AFTER") || EsPalabra(antes, "BEFORE") ||
                               EsPalabra(antes, "INSTEAD") || EsPalabra(antes, "DO") ||
                               EsSimbolo(antes, ",") || EsSimbolo(antes, "(") || (u == "BEGIN" && j == i + 1);
            if (!parte) return j;
        }
    }
    return t_.size();
}

Paso Lote::Simple(std::size_t a, std::size_t b) {
    Paso p;
    p.desde = a;
    p.hasta = b;
    const std::string u = MayusculasAscii(t_[a].texto);
    if (t_[a].tipo == TipoToken::Palabra && u == "PRINT") {
        p.tipo = Paso::Tipo::Print;
        for (std::size_t k = a + 1; k < b; ++k) {
            const bool literal = t_[k].tipo == TipoToken::Texto || t_[k].tipo == TipoToken::Numero;
            const bool esperaLiteral = (k - a) % 2 == 1;
            if (esperaLiteral ? !literal : !EsSimbolo(t_[k], "+"))
                No(a, b, "PRINT de algo que no es un texto");
            if (literal) p.argumentos.push_back(k);
        }
        if (p.argumentos.empty() || (b - a) % 2 != 0) No(a, b, "PRINT incompleto");
        return p;
    }
    if (t_[a].tipo == TipoToken::Palabra && (u == "EXEC" || u == "EXECUTE")) {
        p.tipo = Paso::Tipo::Exec;
        RefTabla r;
        std::size_t k = a + 1;
        std::string error;
        if (!LeerTabla(t_, k, b, baseAdmin_, r, k, error) || !r.base.empty())
            No(a, b, "EXEC sin procedimiento");
        p.nombre = r.tabla;
        while (k < b) {
            std::string nombre;
            if (t_[k].tipo == TipoToken::Variable && Sim(k + 1, "=")) {
                nombre = t_[k].texto;
                k += 2;
            }
            const bool literal = k < b && (t_[k].tipo == TipoToken::Texto ||
                                           t_[k].tipo == TipoToken::Numero || EsPalabra(t_[k], "NULL"));
            if (!literal) No(a, b, "argumento de EXEC que no es un literal");
            p.argumentos.push_back(k);
            p.nombresArg.push_back(nombre);
            ++k;
            if (k < b && !Sim(k, ",")) No(a, b, "argumentos de EXEC");
            if (k < b) ++k;
        }
        return p;
    }
    const bool alter = Pal(a, "ALTER") && Pal(a + 1, "TABLE");
    const bool disableOn = (Pal(a, "DISABLE") || Pal(a, "ENABLE")) && Pal(a + 1, "TRIGGER") &&
                           Pal(a + 2, "ALL") && Pal(a + 3, "ON");
    if (alter || disableOn) {
        RefTabla r;
        std::size_t k = alter ? a + 2 : a + 4;
        std::string error;
        if (!LeerTabla(t_, k, b, baseAdmin_, r, k, error)) No(a, b, "tabla de ALTER TABLE");
        std::size_t verbo = alter ? k : a;
        if (alter && k < b && (Pal(k, "DISABLE") || Pal(k, "ENABLE"))) {
            if (!(Pal(k + 1, "TRIGGER") && Pal(k + 2, "ALL") && k + 3 == b))
                No(a, b, "solo se admite DISABLE|ENABLE TRIGGER ALL");
        } else if (alter) {
            verbo = b;
        } else if (k != b) {
            No(a, b, "DISABLE|ENABLE TRIGGER ALL ON tabla");
        }
        if (verbo != b) {
            p.tipo = Paso::Tipo::Disparadores;
            p.base = r.base;
            p.nombre = r.tabla;
            p.activar = Pal(verbo, "ENABLE");
            return p;
        }
    }
    if (u == "SET" && (Pal(a + 1, "NOCOUNT") || Pal(a + 1, "DATEFORMAT") || Pal(a + 1, "ANSI_NULLS") ||
                       Pal(a + 1, "QUOTED_IDENTIFIER"))) {
        if (Pal(a + 1, "DATEFORMAT") && !Pal(a + 2, "DMY"))
            No(a, b, "solo se admite el formato de fecha dmy");
        p.tipo = Paso::Tipo::Nada;
        return p;
    }
    if (u == "GO" && b == a + 1) return p;
    TraducirSentencia(t_, texto_, a, b, esquema_, baseAdmin_, plan_, p);
    return p;
}

}  // namespace

namespace interno {

[[noreturn]] void NoTraducible(const std::vector<Token>& t, std::string_view texto, std::size_t desde,
                               std::size_t hasta, const std::string& motivo) {
    throw Falla(err::kBaseDatos,
                "La base de datos incorporada no admite esta sentencia (" + motivo +
                    "): " + TextoDe(t, texto, desde, hasta),
                "depuracion/sqlite");
}

std::string Comillas(std::string_view nombre) {
    std::string r = "\"";
    for (char c : nombre) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

std::string NombreSqlite(const RefTabla& r) {
    return r.base.empty() ? Comillas(r.tabla) : Comillas(r.base) + "." + Comillas(r.tabla);
}

bool LeerTabla(const std::vector<Token>& t, std::size_t i, std::size_t hasta, const std::string& baseAdmin,
               RefTabla& ref, std::size_t& fin, std::string& error) {
    if (i >= hasta) return false;
    if (t[i].tipo == TipoToken::Variable) {
        std::string tabla = TablaAdmin(t[i]);
        if (tabla.empty()) {
            error = "la variable " + t[i].texto;
            return false;
        }
        ref = RefTabla{baseAdmin, std::move(tabla)};
        fin = i + 1;
        return true;
    }
    auto nombre = [&](std::size_t k) {
        return k < hasta &&
               (t[k].tipo == TipoToken::Nombre || (t[k].tipo == TipoToken::Palabra && !EsReservada(t[k])));
    };
    if (!nombre(i)) return false;
    std::vector<std::string> partes{t[i].texto};
    std::size_t k = i + 1;
    while (k + 1 < hasta && EsSimbolo(t[k], ".") && nombre(k + 1)) {
        partes.push_back(t[k + 1].texto);
        k += 2;
    }
    std::vector<std::string> limpias;
    for (std::size_t p = 0; p < partes.size(); ++p)
        if (!(p + 1 < partes.size() && MayusculasAscii(partes[p]) == "DBO")) limpias.push_back(partes[p]);
    if (limpias.size() > 2) {
        error = "nombre de tres partes";
        return false;
    }
    ref = limpias.size() == 2 ? RefTabla{limpias[0], limpias[1]} : RefTabla{{}, limpias[0]};
    fin = k;
    return true;
}

}  // namespace interno

bool EsTipoFecha(std::string_view tipo) {
    const std::string u = MayusculasAscii(tipo);
    return u.find("DATE") != std::string::npos || u.find("TIME") != std::string::npos;
}

std::string Forma(const std::vector<Token>& t) {
    std::string r;
    r.reserve(t.size() * 8);
    for (const auto& x : t) {
        r += x.inicioLinea ? '\n' : ' ';
        switch (x.tipo) {
            case TipoToken::Texto:
                r += '\'';
                break;
            case TipoToken::Numero:
                r += '#';
                break;
            case TipoToken::Nombre:
                r += '[';
                r += x.texto;
                r += ']';
                break;
            default:
                r += x.texto;
        }
    }
    return r;
}

std::string TextoDe(const std::vector<Token>& t, std::string_view texto, std::size_t desde,
                    std::size_t hasta) {
    if (t.empty()) return std::string(texto);
    if (desde >= t.size()) desde = t.size() - 1;
    if (hasta > t.size()) hasta = t.size();
    if (hasta <= desde) hasta = desde + 1;
    const std::size_t a = t[desde].desde, b = t[hasta - 1].hasta;
    if (a >= texto.size() || b > texto.size() || b < a) return std::string(texto);
    return std::string(texto.substr(a, b - a));
}

Plan Traductor::Traducir(const std::vector<Token>& t, std::string_view texto) {
    Plan plan;
    Lote lote(t, texto, esquema_, baseAdmin_, plan);
    std::size_t i = 0;
    plan.pasos = lote.Bloque(i, false);
    return plan;
}

}  // namespace dep::sqlite
