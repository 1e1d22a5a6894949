// The SQL Server copy of the schema keeps up with the embedded one: the same tables, views and
// indexes, the three triggers and the stock procedure with the same deletes.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "ayuda_bd.hpp"
#include "demo/demo.hpp"

namespace dep {
namespace {

std::string Mayus(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST(EsquemaSqlServer, MismosObjetosQueElEsquemaEmbebido) {
    std::ifstream in(DEP_ESQUEMA_SQLSERVER);
    ASSERT_TRUE(in) << DEP_ESQUEMA_SQLSERVER;
    const std::string texto((std::istreambuf_iterator<char>(in)), {});
    std::set<std::string> servidor;
    std::regex crear(R"(CREATE\s+(TABLE|VIEW|INDEX|TRIGGER|PROCEDURE)\s+(\w+))");
    for (std::sregex_iterator it(texto.begin(), texto.end(), crear), fin; it != fin; ++it)
        servidor.insert((*it)[1].str() + " " + Mayus((*it)[2].str()));

    prueba::Carpeta dir;
    CrearEsquema(dir / "e.db");
    prueba::Lector l(dir / "e.db");
    for (const auto& f : l.Filas("SELECT upper(type), upper(name) FROM sqlite_master WHERE sql IS NOT NULL "
                                 "AND name NOT IN ('DEP_PROCEDIMIENTOS') AND name NOT LIKE 'sqlite_%'"))
        EXPECT_TRUE(servidor.count(f[0] + " " + f[1])) << f[0] << " " << f[1];
    EXPECT_TRUE(servidor.count("PROCEDURE KS_DEPURA_STOCK"));
    EXPECT_EQ(servidor.count("TABLE DEP_PROCEDIMIENTOS"), 0u) << "the server keeps real procedures";
    // The embedded procedure's deletes (Esquema.ProcedimientoDeDepuracionDeStock) are the server's too.
    for (const char* t : {"DELETE V_MV_STOCK WHERE FECHA <= @FECHA", "DELETE V_MV_CPTE WHERE FECHA <= @FECHA",
                          "DELETE C_MV_CPTE WHERE FECHA <= @FECHA"})
        EXPECT_NE(texto.find(t), std::string::npos) << t;
    EXPECT_EQ(texto.find("PRINT"), std::string::npos);
}

}  // namespace
}  // namespace dep
