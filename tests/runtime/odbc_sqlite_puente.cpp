// Test support: the embedded engine's translation in front of the SQLite ODBC driver.
#ifdef DEP_HAS_ODBC
#include "tests/runtime/odbc_sqlite_puente.hpp"

#include <map>
#include <memory>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_interno.hpp"
#include "runtime/sqlite/colacion.hpp"
#include "runtime/sqlite/lexico.hpp"
#include "runtime/sqlite/traductor.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep::odbc {

using sqlite::Paso;
using sqlite::TipoToken;
using sqlite::Token;
using sqlite::interno::Comillas;

namespace {

// The SQLite text with the collation DEP_CI replaced by NOCASE; quoted parts untouched.
std::string ColacionOdbc(std::string_view sqlite) {
    std::string r(sqlite);
    const std::vector<Token> t = sqlite::Tokenizar(sqlite);
    // From the end, so that each replacement leaves the earlier ranges where they were.
    for (std::size_t i = t.size(); i-- > 1;)
        if (sqlite::EsPalabra(t[i], "DEP_CI") && sqlite::EsPalabra(t[i - 1], "COLLATE"))
            r.replace(t[i].desde, t[i].hasta - t[i].desde, "NOCASE");
    return r;
}

// Table columns read through the driver with PRAGMA table_info, kept until the schema changes.
class EsquemaOdbc : public sqlite::Esquema {
  public:
    EsquemaOdbc(std::map<std::string, std::vector<sqlite::Columna>>& cache, EnvioOdbc& envio)
        : cache_(cache), envio_(envio) {}
    const std::vector<sqlite::Columna>* Columnas(const std::string& base, const std::string& tabla) override {
        const std::string clave = sqlite::MayusculasAscii(base + "." + tabla);
        auto it = cache_.find(clave);
        if (it == cache_.end()) {
            Resultado r;
            const std::string pragma = "PRAGMA " + (base.empty() ? std::string() : Comillas(base) + ".") +
                                       "table_info(" + Comillas(tabla) + ")";
            if (!envio_.Consulta(pragma, {}, r))
                throw Falla(err::kBaseDatos, "No se pudieron leer las columnas de " + tabla, "ODBC");
            std::vector<sqlite::Columna> cols;
            for (const auto& f : r.filas)
                if (f.size() > 2)
                    cols.push_back({f[1].ATexto(), f[2].EsNulo() ? std::string() : f[2].ATexto(), {}});
            it = cache_.emplace(clave, std::move(cols)).first;
        }
        return it->second.empty() ? nullptr : &it->second;
    }

  private:
    std::map<std::string, std::vector<sqlite::Columna>>& cache_;
    EnvioOdbc& envio_;
};

struct Estado {
    std::string baseAdmin;
    std::map<std::string, std::vector<sqlite::Columna>> columnas;
};

Value ValorLiteral(const Token& t, bool fecha, const std::string& tsql) {
    if (t.tipo == TipoToken::Numero) {
        if (t.texto.find_first_of(".eE") == std::string::npos) {
            try {
                return Value(std::stoll(t.texto));
            } catch (const std::out_of_range&) {
                // Too large for 64 bits: it travels as a double, as the server would read it.
            }
        }
        return Value(detalle::DobleDeTexto(t.texto));
    }
    if (!fecha) return Value(t.texto);
    // Dates travel in the operator's day/month/year form and are kept in SQLite's own, as the
    // embedded engine does: an empty text is the server's day zero, anything else is refused.
    const std::string recortado = Recortar(t.texto);
    if (recortado.empty()) return Value("1900-01-01 00:00:00");
    if (const auto f = ReconocerFecha(recortado)) return Value(TextoFechaIso(*f));
    throw Falla(err::kBaseDatos,
                "Error en la sentencia \"" + tsql + "\": el texto '" + t.texto +
                    "' no se puede convertir en fecha (se espera día/mes/año)",
                "ODBC");
}

// The bounds the translation adds around "column = literal" so that SQLite may use the
// column's index, bound as the embedded engine binds them. No collation is reported through the
// driver, so the translation does not ask for them here; they are kept in step all the same.
Value Cota(std::string_view v, sqlite::Rango rango, bool nocase) {
    v = sqlite::SinBlancosFinales(v);
    const bool acotable = sqlite::Acotable(v, nocase);
    if (rango == sqlite::Rango::Desde) return Value(acotable ? std::string(v) : std::string());
    // 0xFF never starts a UTF-8 character: it sorts after every text.
    return Value(acotable ? std::string(v) + "!" : std::string("\xFF"));
}

std::string LiteralTsql(const Token& t) {
    return t.tipo == TipoToken::Texto ? "'" + DoblarComillas(t.texto) + "'" : t.texto;
}

class Ejecucion {
  public:
    Ejecucion(Estado& e, EnvioOdbc& envio) : estado_(e), envio_(envio) {}

    void Texto(const std::string& sql, int profundidad) {
        if (profundidad > 16) throw Falla(err::kBaseDatos, "Demasiados procedimientos anidados", "ODBC");
        const std::vector<Token> t = sqlite::Tokenizar(sql);
        EsquemaOdbc esquema(estado_.columnas, envio_);
        sqlite::Traductor traductor(esquema, estado_.baseAdmin);
        const sqlite::Plan plan = traductor.Traducir(t, sql);
        const std::string anterior = texto_;
        texto_ = sql;
        // A batch is all or nothing, as on the embedded engine: a refused statement undoes
        // what the batch did before it.
        const bool lote =
            profundidad == 0 &&
            (plan.pasos.size() > 1 || (plan.pasos.size() == 1 && plan.pasos[0].tipo != Paso::Tipo::Sql));
        if (lote && !envio_.Consulta("SAVEPOINT dep_lote", {}, descarte_)) return;
        bool bien = false;
        try {
            bien = Pasos(plan.pasos, t, profundidad);
        } catch (...) {
            if (lote) Deshacer();
            texto_ = anterior;
            throw;
        }
        texto_ = anterior;
        if (!lote) return;
        if (bien)
            envio_.Consulta("RELEASE dep_lote", {}, descarte_);
        else
            Deshacer();
    }

  private:
    bool Pasos(const std::vector<Paso>& pasos, const std::vector<Token>& t, int profundidad) {
        for (const Paso& p : pasos)
            if (!Uno(p, t, profundidad)) return false;
        return true;
    }

    std::vector<Value> Parametros(const Paso& p, const std::vector<Token>& t) {
        std::vector<Value> v;
        for (const auto& q : p.params)
            v.push_back(
                q.rango != sqlite::Rango::Valor && !q.fecha && t[q.token].tipo == TipoToken::Texto
                    ? Cota(t[q.token].texto, q.rango, q.nocase)
                    : ValorLiteral(t[q.token], q.fecha, sqlite::TextoDe(t, texto_, p.desde, p.hasta)));
        return v;
    }

    bool Uno(const Paso& p, const std::vector<Token>& t, int profundidad) {
        switch (p.tipo) {
            case Paso::Tipo::Sql: {
                if (p.cambiaEsquema) estado_.columnas.clear();
                return envio_.Sentencia(ColacionOdbc(p.sql), Parametros(p, t));
            }
            case Paso::Tipo::Si: {
                Resultado r;
                if (!envio_.Consulta(ColacionOdbc(p.sql), Parametros(p, t), r)) return false;
                const bool cierto = !r.filas.empty() && !r.filas[0].empty() && !r.filas[0][0].EsNulo() &&
                                    r.filas[0][0].ANumero() != 0;
                return Pasos(cierto ? p.entonces : p.sino, t, profundidad);
            }
            case Paso::Tipo::Bloque:
                return Pasos(p.entonces, t, profundidad);
            case Paso::Tipo::Print: {
                std::string texto;
                for (std::size_t k : p.argumentos) texto += t[k].texto;
                envio_.Informar(texto);
                return true;
            }
            case Paso::Tipo::Exec:
                return Procedimiento(p, t, profundidad);
            case Paso::Tipo::Disparadores:
                return Disparadores(p);
            case Paso::Tipo::Nada:
                return true;
        }
        return true;
    }

    // A procedure kept in DEP_PROCEDIMIENTOS: its T-SQL body with the arguments written in
    // place of its parameters, token by token, run as a text of its own.
    bool Procedimiento(const Paso& p, const std::vector<Token>& t, int profundidad) {
        Resultado r;
        if (!envio_.Consulta(
                "SELECT PARAMETROS, CUERPO FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = ? COLLATE NOCASE",
                {Value(p.nombre)}, r))
            return false;
        if (r.filas.empty())
            throw Falla(err::kBaseDatos, "No se encontró el procedimiento almacenado '" + p.nombre + "'.",
                        "ODBC");
        std::vector<std::string> nombres;
        if (!r.filas[0][0].EsNulo()) {
            for (const Token& x : sqlite::Tokenizar(r.filas[0][0].ATexto()))
                if (x.tipo == TipoToken::Variable) nombres.push_back(sqlite::MayusculasAscii(x.texto));
        }
        std::map<std::string, std::string> valores;
        for (std::size_t i = 0; i < p.argumentos.size(); ++i) {
            const std::string nombre = i < p.nombresArg.size() && !p.nombresArg[i].empty()
                                           ? sqlite::MayusculasAscii(p.nombresArg[i])
                                           : (i < nombres.size() ? nombres[i] : std::string());
            if (nombre.empty())
                throw Falla(err::kBaseDatos, "Demasiados argumentos para el procedimiento " + p.nombre,
                            "ODBC");
            valores[nombre] = LiteralTsql(t[p.argumentos[i]]);
        }
        for (const std::string& n : nombres)
            if (!valores.count(n))
                throw Falla(
                    err::kBaseDatos,
                    "El procedimiento " + p.nombre + " espera el parámetro " + n + ", que no se pasó.",
                    "ODBC");
        const std::string cuerpo = r.filas[0][1].ATexto();
        std::string texto;
        std::size_t desde = 0;
        for (const Token& x : sqlite::Tokenizar(cuerpo)) {
            if (x.tipo != TipoToken::Variable) continue;
            auto it = valores.find(sqlite::MayusculasAscii(x.texto));
            if (it == valores.end()) continue;
            texto.append(cuerpo, desde, x.desde - desde);
            texto += it->second;
            desde = x.hasta;
        }
        texto.append(cuerpo, desde, std::string::npos);
        Texto(texto, profundidad + 1);
        return true;
    }

    // SQLite has no switched-off triggers: they are dropped and their DDL kept until switched on.
    bool Disparadores(const Paso& p) {
        const std::string base = p.base.empty() ? std::string() : Comillas(p.base) + ".";
        const std::string guardados = base + "DEP_DISPARADORES_APAGADOS";
        if (!envio_.Consulta(
                "CREATE TABLE IF NOT EXISTS " + guardados + " (NOMBRE TEXT, TABLA TEXT, SQL TEXT)", {},
                descarte_))
            return false;
        Resultado r;
        if (!p.activar) {
            if (!envio_.Consulta("SELECT name, sql FROM " + base +
                                     "sqlite_master WHERE type = 'trigger' AND tbl_name = ? COLLATE NOCASE",
                                 {Value(p.nombre)}, r))
                return false;
            for (const auto& f : r.filas) {
                if (!envio_.Consulta("INSERT INTO " + guardados + " (NOMBRE, TABLA, SQL) VALUES (?, ?, ?)",
                                     {f[0], Value(p.nombre), f[1]}, descarte_) ||
                    !envio_.Consulta("DROP TRIGGER " + base + Comillas(f[0].ATexto()), {}, descarte_))
                    return false;
            }
            return true;
        }
        if (!envio_.Consulta("SELECT NOMBRE, SQL FROM " + guardados + " WHERE TABLA = ? COLLATE NOCASE",
                             {Value(p.nombre)}, r))
            return false;
        for (const auto& f : r.filas)
            if (!envio_.Consulta(f[1].ATexto(), {}, descarte_)) return false;
        return envio_.Consulta("DELETE FROM " + guardados + " WHERE TABLA = ? COLLATE NOCASE",
                               {Value(p.nombre)}, descarte_);
    }

    void Deshacer() {
        envio_.Consulta("ROLLBACK TO dep_lote", {}, descarte_);
        envio_.Consulta("RELEASE dep_lote", {}, descarte_);
    }

    Estado& estado_;
    EnvioOdbc& envio_;
    Resultado descarte_;
    std::string texto_;  // the T-SQL being run, for messages
};

}  // namespace

std::function<void(const std::string& sql, EnvioOdbc& envio)> TraduccionSqlite(std::string baseAdmin) {
    auto estado = std::make_shared<Estado>();
    estado->baseAdmin = std::move(baseAdmin);
    return [estado](const std::string& sql, EnvioOdbc& envio) { Ejecucion(*estado, envio).Texto(sql, 0); };
}

}  // namespace dep::odbc
#endif  // DEP_HAS_ODBC
