// The T-SQL translation of the embedded engine: any text either translates or is refused with
// a Falla; never a crash, and every bound parameter points at a literal of the text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/falla.hpp"
#include "runtime/sqlite/traductor.hpp"

namespace {

using namespace dep::sqlite;

class EsquemaFijo : public Esquema {
  public:
    const std::vector<Columna>* Columnas(const std::string&, const std::string& tabla) override {
        const std::string t = MayusculasAscii(tabla);
        if (t == "MV_ASIENTOS" || t == "V_TA_CPTE" || t == "TA_CONFIGURACION") return &cols_;
        return nullptr;
    }

  private:
    std::vector<Columna> cols_{{"ID", "INTEGER", "BINARY"},         {"FECHA", "DATETIME", "BINARY"},
                               {"CUENTA", "VARCHAR(20)", "NOCASE"}, {"TC", "VARCHAR(4)", "NOCASE"},
                               {"IMPORTE", "DECIMAL(15,2)", ""},    {"DEBE-HABER", "CHAR(1)", ""},
                               {"CLAVE", "VARCHAR(50)", "NOCASE"},  {"VALOR", "TEXT", ""}};
};

void Revisar(const std::vector<Paso>& pasos, const std::vector<Token>& t) {
    for (const Paso& p : pasos) {
        for (const Parametro& q : p.params)
            if (q.token >= t.size()) std::abort();
        for (std::size_t a : p.argumentos)
            if (a >= t.size()) std::abort();
        Revisar(p.entonces, t);
        Revisar(p.sino, t);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    static EsquemaFijo esquema;
    try {
        const std::vector<Token> t = Tokenizar(s);
        Forma(t);
        Traductor tr(esquema, size % 2 ? "admin" : "");
        const Plan plan = tr.Traducir(t, s);
        Revisar(plan.pasos, t);
    } catch (const dep::Falla&) {
        // A clear refusal is the designed answer to what cannot be translated.
    }
    return 0;
}
