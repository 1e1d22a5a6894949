// Capture (a trace hook on every connection this process opens) and replay of the statements.
#include "bench/piso_sentencias.hpp"

#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "bench/medidas.hpp"
#include "runtime/falla.hpp"
#include "runtime/sqlite/colacion.hpp"

namespace dep::bench {

namespace {

struct Captura {
    std::ofstream salida;
    long long sentencias = 0;
};
Captura* captura = nullptr;

int AlEmpezar(unsigned, void*, void* p, void* x) {
    auto* st = static_cast<sqlite3_stmt*>(p);
    const char* texto = sqlite3_sql(st);
    const char* inicio = static_cast<const char*>(x);
    // A trigger's body starting (its text is a comment): part of the statement that fired it.
    if (!captura || !texto || (inicio && inicio[0] == '-' && inicio[1] == '-')) return 0;
    char* valores = sqlite3_expanded_sql(st);
    captura->salida << texto << '\0' << (valores ? valores : texto) << '\0';
    sqlite3_free(valores);
    ++captura->sentencias;
    return 0;
}

int AlAbrir(sqlite3* db, const char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, AlEmpezar, nullptr);
    return SQLITE_OK;
}

// One bound value: null, integer, real, text or blob.
struct Valor {
    int tipo = SQLITE_NULL;
    long long entero = 0;
    double real = 0;
    std::string texto;
};

// The values the expanded text holds where its template has '?', in order.
std::vector<Valor> Valores(const std::string& plantilla, const std::string& texto) {
    std::vector<Valor> r;
    std::size_t i = 0, j = 0;
    while (i < plantilla.size() && j < texto.size()) {
        const char c = plantilla[i];
        if (c == '\'' || c == '"') {  // quoted in both alike
            ++i, ++j;
            while (i < plantilla.size()) {
                if (plantilla[i] == c && (i + 1 >= plantilla.size() || plantilla[i + 1] != c)) break;
                const std::size_t paso = plantilla[i] == c ? 2 : 1;
                i += paso, j += paso;
            }
            ++i, ++j;
            continue;
        }
        if (c != '?') {
            ++i, ++j;
            continue;
        }
        ++i;
        Valor& x = r.emplace_back();
        if (texto.compare(j, 4, "NULL") == 0) {
            j += 4;
        } else if (texto[j] == '\'') {
            std::string v;
            for (++j; j < texto.size(); ++j) {
                if (texto[j] == '\'' && j + 1 < texto.size() && texto[j + 1] == '\'') {
                    v += '\'';
                    ++j;
                } else if (texto[j] == '\'') {
                    break;
                } else {
                    v += texto[j];
                }
            }
            ++j;
            x.tipo = SQLITE_TEXT;
            x.texto = std::move(v);
        } else if (texto.compare(j, 2, "x'") == 0) {
            std::string v;
            for (j += 2; j + 1 < texto.size() && texto[j] != '\''; j += 2)
                v += static_cast<char>(std::strtol(texto.substr(j, 2).c_str(), nullptr, 16));
            ++j;
            x.tipo = SQLITE_BLOB;
            x.texto = std::move(v);
        } else {
            const std::size_t k = texto.find_first_not_of("+-0123456789.eE", j);
            const std::string numero = texto.substr(j, k - j);
            j = k;
            if (numero.find_first_of(".eE") == std::string::npos) {
                x.tipo = SQLITE_INTEGER;
                x.entero = std::strtoll(numero.c_str(), nullptr, 10);
            } else {
                x.tipo = SQLITE_FLOAT;
                x.real = std::strtod(numero.c_str(), nullptr);
            }
        }
    }
    return r;
}

void Atar(sqlite3_stmt* st, const std::vector<Valor>& valores) {
    int n = 0;
    for (const Valor& x : valores) {
        ++n;
        if (x.tipo == SQLITE_INTEGER) sqlite3_bind_int64(st, n, x.entero);
        if (x.tipo == SQLITE_FLOAT) sqlite3_bind_double(st, n, x.real);
        if (x.tipo == SQLITE_TEXT)
            sqlite3_bind_text(st, n, x.texto.data(), static_cast<int>(x.texto.size()), SQLITE_STATIC);
        if (x.tipo == SQLITE_BLOB)
            sqlite3_bind_blob(st, n, x.texto.data(), static_cast<int>(x.texto.size()), SQLITE_STATIC);
    }
}

struct Finalizar {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

}  // namespace

double CapturarConsolidacion(const std::string& base, const std::string& hasta, const std::string& archivo,
                             std::vector<double>& v) {
    Captura c;
    c.salida.open(archivo, std::ios::binary);
    captura = &c;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(AlAbrir));
    std::vector<double> lotes;
    const double t = RecorridoConsola(base, hasta, lotes);
    captura = nullptr;
    v.push_back(static_cast<double>(c.sentencias));
    return t;
}

double PisoDeSentencias(const std::string& base, const std::string& archivo, std::vector<double>& v) {
    std::ifstream in(archivo, std::ios::binary);
    const std::string todo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::pair<std::string, std::string>> sentencias;
    for (std::size_t p = 0; p < todo.size();) {
        const std::size_t a = todo.find('\0', p), b = todo.find('\0', a + 1);
        if (a == std::string::npos || b == std::string::npos) break;
        sentencias.emplace_back(todo.substr(p, a - p), todo.substr(a + 1, b - a - 1));
        p = b + 1;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(base.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw Falla(1, "no se pudo abrir " + base, "bench");
    std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> cierre(db, sqlite3_close_v2);
    sqlite::RegistrarColacion(db);
    // Read before the clock starts: the statement each one runs (by its text) and its values.
    std::map<std::string, std::size_t> indices;
    std::vector<std::pair<std::size_t, std::vector<Valor>>> pasos;
    for (const auto& [plantilla, texto] : sentencias) {
        const auto [it, nuevo] = indices.emplace(plantilla, indices.size());
        pasos.emplace_back(it->second, Valores(plantilla, texto));
    }
    std::vector<const std::string*> textos(indices.size());
    for (const auto& [plantilla, i] : indices) textos[i] = &plantilla;
    std::vector<std::unique_ptr<sqlite3_stmt, Finalizar>> preparadas(indices.size());
    const auto t0 = std::chrono::steady_clock::now();
    for (const auto& [i, valores] : pasos) {
        auto& st = preparadas[i];
        if (!st) {
            sqlite3_stmt* nueva = nullptr;
            if (sqlite3_prepare_v2(db, textos[i]->c_str(), -1, &nueva, nullptr) != SQLITE_OK)
                throw Falla(1, std::string(sqlite3_errmsg(db)) + " en " + *textos[i], "bench");
            st.reset(nueva);
        }
        sqlite3_clear_bindings(st.get());
        Atar(st.get(), valores);
        // Every row is stepped, as the engine reads them all; a refusal the engine met is met here too.
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
        }
        sqlite3_reset(st.get());
    }
    const double t = Segundos(t0);
    v = {static_cast<double>(sentencias.size()), static_cast<double>(indices.size())};
    return t;
}

}  // namespace dep::bench
