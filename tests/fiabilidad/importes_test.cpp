// Amounts the consolidation cannot fold to the cent (null, text that is no number, not finite,
// too large) stop it before anything is summed, in the run and in the preview; amounts it can
// fold, from files made other ways (a nullable or text column), consolidate and balance.
#include <gtest/gtest.h>

#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"
#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

// Every amount and date of MV_ASIENTOS in row order: a refused run changes none.
std::string Volcado(const std::string& base) {
    std::string r;
    for (const auto& f : demo::Bd(base).Filas(
             "SELECT ID || '=' || quote(IMPORTE) || '@' || FECHA FROM MV_ASIENTOS ORDER BY ID"))
        r += f[0] + ";";
    return r;
}

// `n` ordinary entries of the CC family up to the cut-off date, from the `desde`-th on, made one
// group (same key) with amount `importe`.
std::string Fijar(const std::string& importe, int n, int desde = 0) {
    return "UPDATE MV_ASIENTOS SET IMPORTE = " + importe +
           ", CUENTA = '9.9.01', [DEBE-HABER] = 'D', MONEDA = '$', COTIZACION = 1, NroComprobanteBancario = "
           "NULL, TIPO_REG = 'A', IdCajas = '1', UNEGOCIO = '1' WHERE ID IN (SELECT ID FROM MV_ASIENTOS "
           "WHERE EsCierre = 0 AND ES_SALDO_APERTURA = 0 AND FECHA <= '2021-06-30' AND TC NOT IN "
           "('FP','CBFP','FPC','PGFP') ORDER BY ID LIMIT " +
           std::to_string(n) + " OFFSET " + std::to_string(desde) + ");";
}

struct Caso {
    const char* que;
    std::string tipo;  // declared type of IMPORTE ("" keeps the demo's REAL NOT NULL)
    std::string sql;
    int refusados;  // amounts named (0: the consolidation runs and balances)
    std::vector<std::string> ejemplos;
};

TEST(Importes, LosQueNoSeSumanAlCentavoDetienenLaConsolidacionYLaVistaPreviaLosNombra) {
    const Caso casos[] = {
        {"nulos", "REAL", Fijar("NULL", 3), 3, {"NULL"}},
        {"coma decimal", "", Fijar("'1234,56'", 2), 2, {"'1234,56'"}},
        {"1e300 y -1e300 en un grupo",
         "",
         Fijar("1e300", 1) + Fijar("-1e300", 1, 1) + Fijar("0.01", 1, 2),
         2,
         {"1E+300", "-1E+300"}},
        {"dos 1,5e308 y un infinito",
         "",
         Fijar("1.5e308", 2) + Fijar("-9e999", 1, 2),
         3,
         {"1,5E+308", "-Infinito"}},
        {"apenas fuera del limite",
         "",
         Fijar("1000000000000", 1) + Fijar("-1000000000000.01", 1, 1),
         2,
         {"1000000000000", "-1000000000000,01"}},
        {"apenas dentro del limite", "", Fijar("999999999999.99", 1) + Fijar("-0.02", 1, 1), 0, {}},
        // Nulls only where nothing is summed: a closing entry and an entry after the cut-off date.
        {"columna que admite nulos sin nulos que sumar",
         "REAL",
         "UPDATE MV_ASIENTOS SET IMPORTE = NULL WHERE ID = (SELECT MIN(ID) FROM MV_ASIENTOS WHERE EsCierre = "
         "1) OR ID = (SELECT MAX(ID) FROM MV_ASIENTOS WHERE FECHA > '2021-07-01');",
         0,
         {}},
        {"columna de texto con numeros en texto",
         "TEXT",
         "UPDATE MV_ASIENTOS SET IMPORTE = CAST(IMPORTE AS TEXT);",
         0,
         {}},
    };
    Carpeta c;
    int n = 0;
    for (const Caso& k : casos) {
        const std::string base = c / ("i" + std::to_string(++n) + ".db");
        Demo(base, 800, 3);
        if (!k.tipo.empty()) Redeclarar(base, "IMPORTE REAL NOT NULL DEFAULT 0", "IMPORTE " + k.tipo);
        demo::Bd(base).Ejecutar(k.sql);
        const std::string antes = Volcado(base);
        const Sumas originales = Originales(base, "2021-06-30");
        const Salida corrida =
            ProgramaEn(c, {"--hasta", "30/06/2021", "--asientos", "--base", base, "--formato", "json"});
        if (k.refusados == 0) {
            EXPECT_EQ(corrida.estado, 0) << k.que << "\n" << corrida.out << corrida.err;
            EXPECT_EQ(Integridad(base), "ok") << k.que;
            EXPECT_TRUE(Diferencias(originales, Actuales(base, "2021-06-30")).empty()) << k.que;
            EXPECT_TRUE(Contiene(corrida.out, "{\"tipo\":\"CC\",\"verificacion\":{\"grupos\":"))
                << corrida.out;
            EXPECT_FALSE(Contiene(corrida.out, "\"estado\":\"diferencias\"")) << k.que << "\n" << corrida.out;
            continue;
        }
        const std::string mensaje = "LA COLUMNA IMPORTE DE MV_ASIENTOS TIENE " + std::to_string(k.refusados) +
                                    " VALOR(ES) QUE NO SON IMPORTES VÁLIDOS (POR EJEMPLO: ";
        const Salida texto =
            ProgramaEn(c, {"--vista-previa", "--hasta", "30/06/2021", "--asientos", "--base", base});
        const Salida json = ProgramaEn(c, {"--vista-previa", "--hasta", "30/06/2021", "--asientos", "--base",
                                           base, "--formato", "json"});
        EXPECT_EQ(corrida.estado, 3) << k.que << "\n" << corrida.out << corrida.err;
        EXPECT_TRUE(
            Contiene(corrida.out, "\"purga\":\"asientos\",\"marcada\":true,\"resultado\":\"no ejecutada\""))
            << k.que << "\n"
            << corrida.out;
        EXPECT_TRUE(Contiene(json.out, "\"importes_no_validos\":\"" + mensaje)) << k.que << "\n" << json.out;
        for (const Salida* s : {&corrida, &texto, &json}) {
            EXPECT_TRUE(Contiene(s->out, mensaje)) << k.que << "\n" << s->out;
            for (const auto& e : k.ejemplos)
                EXPECT_TRUE(Contiene(s->out, e)) << k.que << ": " << e << "\n" << s->out;
        }
        EXPECT_EQ(Volcado(base), antes) << k.que;
    }
}

}  // namespace
}  // namespace dep::fiabilidad
