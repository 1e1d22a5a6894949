// Stored procedures, which SQLite has no statement for: kept as T-SQL text in the table
// DEP_PROCEDIMIENTOS and run inside the savepoint of the batch, so a refusal or a rollback of the
// caller's transaction undoes them.
#include <sqlite3.h>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/contexto.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep {

using sqlite::Paso;
using sqlite::TipoToken;
using sqlite::Token;
using sqlite::interno::Comillas;

namespace {

constexpr int kMaxAnidamiento = 8;

using Propia = sqlite::SentenciaPreparada;

}  // namespace

void ConexionSqlite::PasoExec(const Paso& p, Contexto& c) {
    const std::string tsql = sqlite::TextoDe(c.t, c.texto, p.desde, p.hasta);
    if (c.profundidad >= kMaxAnidamiento)
        Rehusar("Se superó el máximo de procedimientos anidados en \"" + tsql + "\"", "42000");
    std::string parametros, cuerpo;
    bool existe = false;
    {
        Propia st(db_, "SELECT PARAMETROS, CUERPO FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = ? COLLATE NOCASE");
        if (st) {
            st.Texto(1, p.nombre);
            if (st.Fila()) {
                existe = true;
                parametros = st.Columna(0);
                cuerpo = st.Columna(1);
            }
        }
    }
    if (!existe) Rehusar("No se encontró el procedimiento almacenado '" + p.nombre + "'.", "42000");

    std::vector<std::string> nombres;  // "@FECHA", upper case
    for (std::size_t desde = 0; desde < parametros.size();) {
        std::size_t fin = parametros.find(',', desde);
        if (fin == std::string::npos) fin = parametros.size();
        const std::string item = Recortar(parametros.substr(desde, fin - desde));
        desde = fin + 1;
        if (!item.empty())
            nombres.push_back(sqlite::MayusculasAscii(item.substr(0, item.find_first_of(" \t"))));
    }
    std::vector<const Token*> valores(nombres.size(), nullptr);
    std::size_t posicion = 0;
    for (std::size_t i = 0; i < p.argumentos.size(); ++i) {
        std::size_t destino = posicion++;
        if (!p.nombresArg[i].empty()) {
            const std::string u = sqlite::MayusculasAscii(p.nombresArg[i]);
            destino = nombres.size();
            for (std::size_t k = 0; k < nombres.size(); ++k)
                if (nombres[k] == u) destino = k;
            if (destino == nombres.size())
                Rehusar("'" + p.nombresArg[i] + "' no es un parámetro del procedimiento '" + p.nombre + "'.",
                        "42000");
        }
        if (destino >= nombres.size())
            Rehusar("El procedimiento '" + p.nombre + "' tiene demasiados argumentos especificados.",
                    "42000");
        valores[destino] = &c.t[p.argumentos[i]];
    }
    for (std::size_t k = 0; k < nombres.size(); ++k)
        if (!valores[k])
            Rehusar("El procedimiento '" + p.nombre + "' espera el parámetro '" + nombres[k] +
                        "', que no se ha proporcionado.",
                    "42000");

    // The arguments replace the parameters as tokens, so a quote inside a value stays a value.
    std::vector<Token> t = sqlite::Tokenizar(cuerpo);
    for (Token& x : t) {
        if (x.tipo != TipoToken::Variable) continue;
        const std::string u = sqlite::MayusculasAscii(x.texto);
        for (std::size_t k = 0; k < nombres.size(); ++k)
            if (nombres[k] == u) {
                x.tipo = valores[k]->tipo;
                x.texto = valores[k]->texto;
            }
    }
    const auto plan = PlanDe(t, cuerpo);
    Contexto hijo{t, cuerpo, c.res, c.lleno, 0, false, c.profundidad + 1};
    Pasos(plan->pasos, hijo);
    c.lleno = hijo.lleno;
    c.filas += hijo.filas;
    c.dml = c.dml || hijo.dml;
}

}  // namespace dep
