// A password in an ODBC connection string never reaches the console's output, the error log or
// the statement trace, whatever its spelling in the string.
#include <gtest/gtest.h>

#include "tests/fiabilidad/libros.hpp"

namespace dep::fiabilidad {
namespace {

TEST(Secretos, LaClaveDeLaCadenaOdbcNoApareceEnNingunaSalida) {
    Carpeta c;
    const std::string clave = "Zq9'Secr%to";
    int probadas = 0;
    for (const std::string& cadena :
         {"DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=1;UID=sa;PWD=" + clave + ";DATABASE=demo",
          "Driver=FreeTDS;Server=127.0.0.1;Port=1;Uid=sa;Pwd=" + clave,
          "DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=1;UID=sa;pwd={" + clave + ";x}",
          "DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=1;UID=sa;Password=" + clave + ";TDS_Version=7.4",
          "DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=1;UID=sa; PWD = " + clave + " ;"}) {
        ++probadas;
        for (bool porEntorno : {false, true}) {
            std::vector<std::string> args{"--hasta", "31/03/2021", "--asientos", "--traza", c / "traza"};
            std::vector<std::string> entorno{"TEMP=" + c.Ruta().string()};
            if (porEntorno)
                entorno.push_back("DEPURACION_ODBC=" + cadena);
            else
                args.insert(args.end(), {"--odbc", cadena});
            const Salida s = Programa(args, entorno);
            EXPECT_EQ(s.estado, 3) << cadena << "\n" << s.out << s.err;
            EXPECT_NE(s.err.find("No se pudo abrir la base de datos"), std::string::npos) << s.err;
            for (const std::string& donde :
                 {s.out, s.err, Leer(c.Ruta() / "KSERR.LOG"), Leer(c.Ruta() / "traza")})
                EXPECT_EQ(donde.find("Secr%to"), std::string::npos) << cadena << "\n" << donde;
        }
    }
    RecordProperty("cadenas", probadas);
}

}  // namespace
}  // namespace dep::fiabilidad
