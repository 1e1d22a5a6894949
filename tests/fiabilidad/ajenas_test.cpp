// The default run (all three purges) and its preview on database files made the way other tools
// make them: copies by CREATE TABLE AS SELECT, dates declared with other types, tables without
// keys or without row ids, other indexes, triggers and names, awkward keys and amounts. Each file
// is purged with its books whole and nothing after the cut-off lost (amounts that cannot be summed
// are refused up front: importes_test.cpp).
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <ostream>
#include <regex>
#include <stdexcept>

#include <gtest/gtest.h>

#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "tests/fiabilidad/ajenas.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHasta = "30/06/2022";  // the middle of the demo's three years
constexpr const char* kHastaIso = "2022-06-30";
constexpr const char* kNada =
    "MV_ASIENTOS=0 V_MV_STOCK=0 V_MV_CPTE=0 C_MV_CPTE=0 MV_TRANSMISIONESLOG=0 V_MV_PRECIOSHIS=0 ";

using Hacer = std::function<void(const std::string& modelo, const std::string& base)>;
using Comprobar = std::function<void(const std::string& base)>;

struct Caso {
    std::string nombre;
    Hacer hacer;                  // makes `base` from the demo file `modelo`
    Comprobar despues = nullptr;  // what else holds after the run
};

void PrintTo(const Caso& k, std::ostream* os) {
    *os << k.nombre;
}

std::string Reemplazar(std::string s, const std::string& de, const std::string& a) {
    const auto p = s.find(de);
    if (p == std::string::npos) throw std::runtime_error("no esta '" + de + "' en " + s);
    return s.replace(p, de.size(), a);
}

// A copy of the demo file changed by `cambiar`.
Hacer EnCopia(const std::function<void(demo::Bd&)>& cambiar) {
    return [cambiar](const std::string& modelo, const std::string& base) {
        fs::copy_file(modelo, base);
        demo::Bd bd(base);
        cambiar(bd);
    };
}

bool TieneClave(demo::Bd& bd, const std::string& tabla) {
    return bd.Filas("SELECT COUNT(*) FROM pragma_table_info('" + tabla + "') WHERE pk > 0").at(0).at(0) !=
           "0";
}

// FECHA of the entries and of the history, stock, sales and purchase tables declared `tipo`.
Caso FechaDeclarada(const std::string& nombre, const std::string& tipo) {
    return {"Fecha" + nombre, EnCopia([tipo](demo::Bd& bd) {
                for (const char* t : {"MV_ASIENTOS", "MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS", "V_MV_STOCK",
                                      "V_MV_CPTE", "C_MV_CPTE"})
                    Reconstruir(bd, t, [tipo](const std::string& s) {
                        return Reemplazar(s, "FECHA DATETIME", "FECHA " + tipo);
                    });
            })};
}

// Without row ids wherever a key exists that the run need not fill: the entries keyed by their
// voucher line, the configuration and the audit rows (written without an ID) left as they are.
void SinRowid(demo::Bd& bd) {
    for (const auto& t : Tablas(bd)) {
        if (t == "TA_CONFIGURACION" || t == "MV_ASIENTOS_AUDITORIA" || !TieneClave(bd, t)) continue;
        Reconstruir(bd, t, [&t](const std::string& s) {
            if (t != "MV_ASIENTOS") return s + " WITHOUT ROWID";
            auto e = Elementos(s);
            e[0] = "ID INTEGER";
            e.push_back("PRIMARY KEY (TC, SUCURSAL, NUMERO, LETRA, SECUENCIA)");
            return ConElementos(s, e) + " WITHOUT ROWID";
        });
    }
}

void SinClaves(demo::Bd& bd) {
    static const std::regex tabla(R"(,\s*PRIMARY KEY\s*\([^)]*\))"), columna(R"(\s+PRIMARY KEY)");
    for (const auto& t : Tablas(bd))
        if (TieneClave(bd, t))
            Reconstruir(bd, t, [](const std::string& s) {
                return std::regex_replace(std::regex_replace(s, tabla, ""), columna, "");
            });
}

// Every table named in lower case, the entries' columns in reverse order.
void Minusculas(demo::Bd& bd) {
    for (const auto& t : Tablas(bd)) {
        std::string m = t;
        for (auto& ch : m) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (t == "MV_ASIENTOS") {
            Reconstruir(
                bd, t,
                [](const std::string& s) {
                    auto e = Elementos(s);
                    std::reverse(e.begin(), e.end());
                    return ConElementos(s, e);
                },
                m);
        } else if (m != t) {
            bd.Ejecutar("PRAGMA legacy_alter_table = ON; ALTER TABLE \"" + t + "\" RENAME TO \"" + m +
                        "_\"; ALTER TABLE \"" + m + "_\" RENAME TO \"" + m +
                        "\"; PRAGMA legacy_alter_table = OFF;");
        }
    }
}

// The first ordinary entries of each family, which the first dates' groups read first, and the
// table's first rows.
constexpr const char* kPrimeras =
    "ID IN (SELECT ID FROM MV_ASIENTOS WHERE EsCierre = 0 AND ES_SALDO_APERTURA = 0 AND TC <> 'FP' ORDER BY "
    "FECHA, ID LIMIT 3) OR ID IN (SELECT ID FROM MV_ASIENTOS WHERE EsCierre = 0 AND ES_SALDO_APERTURA = 0 "
    "AND TC = 'FP' ORDER BY FECHA, ID LIMIT 2) OR ID <= 2";

void ImporteNulable(demo::Bd& bd) {
    Reconstruir(bd, "MV_ASIENTOS", [](const std::string& s) {
        return Reemplazar(s, "IMPORTE REAL NOT NULL DEFAULT 0", "IMPORTE REAL");
    });
}

// Triggers as another tool writes them: a WHEN with OR, comments, quoted and lower-case names.
// The guard refuses deleting the entries of a closed year, which the consolidation does.
constexpr const char* kDisparadores = R"(
CREATE TRIGGER IF NOT EXISTS "trg auditoria importe" AFTER UPDATE OF IMPORTE ON mv_asientos
FOR EACH ROW when new.IMPORTE <> old.IMPORTE OR new.IMPORTE IS NULL -- solo cambios reales
BEGIN
  INSERT INTO MV_ASIENTOS_AUDITORIA (OPERACION, ID_ASIENTO, IMPORTE_ANTERIOR, IMPORTE_NUEVO)
  VALUES ('I', new.ID, old.IMPORTE, new.IMPORTE);
END;
CREATE TRIGGER trg_ejercicio_cerrado
  BEFORE DELETE ON "MV_ASIENTOS"
  FOR EACH ROW
  WHEN OLD.EsCierre = 1 OR old.PERIODO IN (SELECT Periodo FROM MV_EJERCICIOS WHERE CERRADO = 1)
BEGIN
  SELECT RAISE(ABORT, 'ejercicio cerrado');
END;)";

void DisparadoresSiguenActuando(const std::string& base) {
    demo::Bd bd(base);
    EXPECT_ANY_THROW(bd.Ejecutar("DELETE FROM MV_ASIENTOS WHERE PERIODO = 2022 AND DETALLE <> 'Depuracion'"))
        << "the guard is off after the run";
    const long long antes = Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS_AUDITORIA WHERE OPERACION = 'I'");
    bd.Ejecutar("UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 1 WHERE ID = (SELECT MAX(ID) FROM MV_ASIENTOS)");
    EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS_AUDITORIA WHERE OPERACION = 'I'"), antes + 1);
}

std::vector<Caso> Corpus() {
    std::vector<Caso> c = {
        {"CopiaCreateTableAs", CopiarTablas},
        {"SinRowid", EnCopia(SinRowid)},
        {"SinClaves", EnCopia(SinClaves)},
        {"IndicesPlanos", EnCopia([](demo::Bd& bd) { RehacerIndices(bd, ""); })},
        {"IndicesNocase", EnCopia([](demo::Bd& bd) { RehacerIndices(bd, " COLLATE NOCASE"); })},
        // Lower case where the stock procedure joins items to their headers, and in voucher types.
        {"IndicesBinary", EnCopia([](demo::Bd& bd) {
             RehacerIndices(bd, " COLLATE BINARY");
             bd.Ejecutar(
                 "UPDATE V_MV_STOCK_ITEMS SET TC = lower(TC) WHERE ID % 3 = 0;"
                 "UPDATE V_MV_CPTE_ITEMS SET IDCOMPROBANTE = lower(IDCOMPROBANTE) WHERE ID % 3 = 0;UPDATE "
                 "MV_ASIENTOS SET TC = lower(TC), LETRA = lower(LETRA) WHERE ID % 5 = 0;");
         })},
        {"ClavesConFormaDeFechaYNumero", EnCopia([](demo::Bd& bd) {
             bd.Ejecutar(std::string("UPDATE MV_ASIENTOS SET CUENTA = '1101-01-01', NroComprobanteBancario = "
                                     "'2021-03-15' WHERE ") +
                         kPrimeras +
                         ";UPDATE MV_ASIENTOS SET NroComprobanteBancario = '000123' WHERE ID % 13 = 0;UPDATE "
                         "MV_ASIENTOS SET CUENTA = '12.50' WHERE ID % 17 = 0;");
         })},
        {"ClavesNulasYVacias", EnCopia([](demo::Bd& bd) {
             bd.Ejecutar(
                 std::string("UPDATE MV_ASIENTOS SET NroComprobanteBancario = '', UNEGOCIO = '' WHERE ") +
                 kPrimeras +
                 ";UPDATE MV_ASIENTOS SET NroComprobanteBancario = '' WHERE ID % 4 = 1;"
                 "UPDATE MV_ASIENTOS SET NroComprobanteBancario = NULL WHERE ID % 4 = 2;"
                 "UPDATE MV_ASIENTOS SET UNEGOCIO = '' WHERE ID % 5 = 2;");
         })},
        {"ImporteAdmiteNulosSinNinguno", EnCopia(ImporteNulable)},
        {"DiarioDeReversion", EnCopia([](demo::Bd& bd) { bd.Ejecutar("PRAGMA journal_mode = DELETE"); }),
         [](const std::string& base) {
             EXPECT_EQ(demo::Bd(base).Filas("PRAGMA journal_mode").at(0).at(0), "delete");
         }},
        {"DisparadoresConWhen", EnCopia([](demo::Bd& bd) { bd.Ejecutar(kDisparadores); }),
         DisparadoresSiguenActuando},
        {"MinusculasYColumnasEnOtroOrden", EnCopia(Minusculas)},
    };
    for (const auto& [nombre, tipo] :
         std::vector<std::pair<std::string, std::string>>{{"Num", "NUM"},
                                                          {"Numeric", "NUMERIC"},
                                                          {"Real", "REAL"},
                                                          {"Integer", "INTEGER"},
                                                          {"Text", "TEXT"},
                                                          {"SinTipo", ""},
                                                          {"Varchar20", "VARCHAR(20)"},
                                                          {"Datetime2", "DATETIME2"}})
        c.push_back(FechaDeclarada(nombre, tipo));
    return c;
}

// Items left without their stock, sales or purchase header (compared as the server compares).
long long Huerfanos(const std::string& base) {
    long long n = 0;
    for (const auto& [items, cabecera] :
         std::vector<std::pair<std::string, std::string>>{{"V_MV_STOCK_ITEMS", "V_MV_STOCK"},
                                                          {"V_MV_CPTE_ITEMS", "V_MV_CPTE"},
                                                          {"C_MV_CPTE_ITEMS", "C_MV_CPTE"}})
        n += Cuenta(
            base,
            "SELECT COUNT(*) FROM " + items + " i WHERE NOT EXISTS (SELECT 1 FROM " + cabecera +
                " c WHERE c.TC = i.TC COLLATE NOCASE AND c.IDCOMPROBANTE = i.IDCOMPROBANTE COLLATE NOCASE)");
    return n;
}

std::string Informe(const std::string& out) {
    const auto p = out.rfind("{\"informe\"");
    return p == std::string::npos ? std::string() : out.substr(p);
}

class BaseAjena : public ::testing::TestWithParam<Caso> {};

TEST_P(BaseAjena, DepuraOSeRechazaSinPerderNada) {
    const Caso& k = GetParam();
    CarpetaEnMemoria c;
    const std::string modelo = c / "modelo.db", base = c / "base.db";
    Demo(modelo, 2000, 3);
    k.hacer(modelo, base);
    const std::vector<std::string> entorno = {"TEMP=" + c.Ruta().string()};

    const Sumas originales = Originales(base, kHastaIso);
    const std::string posteriores = FilasPorFecha(base, ">= '2022-07-01'");
    const int disparadores = DisparadoresDeAsientos(base);
    const long long auditoria = Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS_AUDITORIA");
    const long long huerfanos = Huerfanos(base);
    ASSERT_NE(FilasPorFecha(base, "< '2022-06-30'"), kNada);
    ASSERT_GT(Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA >= '2022-07-01'"), 0);

    const std::string bytes = Leer(base), wal = Leer(base + "-wal");
    const Salida previa = Programa({"--hasta", kHasta, "--base", base, "--vista-previa"}, entorno);
    EXPECT_EQ(previa.estado, 0) << previa.out << previa.err;
    EXPECT_TRUE(Leer(base) == bytes && Leer(base + "-wal") == wal) << "la vista previa cambió el archivo";

    const Salida s = Programa({"--hasta", kHasta, "--base", base, "--formato", "json"}, entorno);
    const std::string informe = Informe(s.out);
    EXPECT_EQ(s.estado, 0) << s.out << s.err;
    EXPECT_EQ(Integridad(base), "ok");
    EXPECT_EQ(DisparadoresDeAsientos(base), disparadores);
    EXPECT_EQ(DisparadoresGuardados(base), 0);
    EXPECT_EQ(Cuenta(base, "SELECT COUNT(*) FROM MV_ASIENTOS_AUDITORIA"), auditoria) << "triggers fired";
    for (const std::string purga : {"stock", "asientos", "temporales"})
        EXPECT_TRUE(Contiene(informe, "\"purga\":\"" + purga + "\",\"marcada\":true,\"resultado\":\"ok\""))
            << purga << ": " << informe;
    EXPECT_TRUE(Contiene(informe, "\"fecha_grabada\":true")) << informe;
    const auto d = Diferencias(originales, Actuales(base, kHastaIso));
    EXPECT_TRUE(d.empty()) << d.size() << " grupos descuadrados, el primero " << (d.empty() ? "" : d.front());
    EXPECT_EQ(FilasPorFecha(base, ">= '2022-07-01'"), posteriores) << "filas posteriores al corte";
    EXPECT_EQ(FilasPorFecha(base, "< '2022-06-30'"), kNada) << "filas anteriores al corte que quedaron";
    EXPECT_EQ(Huerfanos(base), huerfanos);
    if (k.despues) k.despues(base);
}

INSTANTIATE_TEST_SUITE_P(Corpus, BaseAjena, ::testing::ValuesIn(Corpus()),
                         [](const ::testing::TestParamInfo<Caso>& i) { return i.param.nombre; });

}  // namespace
}  // namespace dep::fiabilidad
