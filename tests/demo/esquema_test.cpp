// The schema file: every object the program reads or writes, its trigger, defaults, collation
// and the stored procedure of the stock purge.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ayuda_bd.hpp"
#include "demo/demo.hpp"
#include "runtime/falla.hpp"

namespace dep {
namespace {

using CarpetaTemporal = prueba::Carpeta;
using prueba::Lector;

std::set<std::string> Columnas(const Lector& l, const std::string& tabla) {
    std::set<std::string> c;
    for (const auto& f : l.Filas("SELECT upper(name) FROM pragma_table_info('" + tabla + "')"))
        c.insert(f[0]);
    return c;
}

// The names of a comma-separated list.
std::vector<std::string> Lista(const std::string& texto) {
    std::vector<std::string> v;
    for (std::size_t i = 0, j; i <= texto.size(); i = j + 1) {
        j = std::min(texto.find(',', i), texto.size());
        v.push_back(texto.substr(i, j - i));
    }
    return v;
}

class Esquema : public ::testing::Test {
  protected:
    void SetUp() override {
        ruta_ = dir_ / "suite.db";
        CrearEsquema(ruta_);
    }
    CarpetaTemporal dir_;
    std::string ruta_;
};

TEST_F(Esquema, CreaCadaObjetoQueElProgramaUsa) {
    Lector l(ruta_);
    const std::string tablas =
        "MV_ASIENTOS,MV_ASIENTOS_AUDITORIA,MV_ASIENTOSCCOSTO,MV_APLICACION,VE_CPTES_CREDITOS_PENDIENTES,AUX_"
        "MAYORES,AUX_ANEXOA,AUX_EstadisticaCta,Aux_MV_Cpte,AUX_SALDOSMENSUALES,AUX_SUBDIARIOS,AUX_TMP,AUX_"
        "TOTALES_DET,AUX_BORRADOR_PRECIOS,AUX_ERR,AUX_MV_APLICACION_TR,MV_TRANSMISIONESLOG,V_MV_PRECIOSHIS,V_"
        "TA_CPTE,MV_EJERCICIOS,TA_CONFIGURACION,TA_Usuarios,MV_VIAJES,V_MV_STOCK,V_MV_STOCK_ITEMS,V_MV_CPTE,"
        "V_MV_CPTE_ITEMS,C_MV_CPTE,C_MV_CPTE_ITEMS,V_MV_CTROL_CPTE,V_TA_Cajas,V_TA_TECNICOS,DEP_"
        "PROCEDIMIENTOS";
    for (const auto& t : Lista(tablas))
        EXPECT_EQ(l.Numero("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '" + t +
                           "' COLLATE NOCASE"),
                  1)
            << t;
    EXPECT_EQ(l.Numero("SELECT count(*) FROM sqlite_master WHERE type = 'view' AND name = 'VT_TA_Cpte'"), 1);
    EXPECT_GE(
        l.Numero("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'MV_ASIENTOS'"),
        1);
}

TEST_F(Esquema, ColumnasDeLasFilasCompartidas) {
    Lector l(ruta_);
    auto asientos = Columnas(l, "MV_ASIENTOS");
    for (const auto& c : Lista("CUENTA,TC,SUCURSAL,NUMERO,LETRA,SECUENCIA,DEBE-HABER,IMPORTE,MONEDA,"
                               "COTIZACION,NROCOMPROBANTEBANCARIO,TIPO_REG,IDCAJAS,UNEGOCIO,PERIODO,FECHA,"
                               "MES_OPERATIVO,NUMERO ASIENTO,DETALLE,ESCIERRE,ES_SALDO_APERTURA"))
        EXPECT_TRUE(asientos.count(c)) << c;
    auto talonarios = Columnas(l, "V_TA_CPTE");
    for (std::string letra : {"A", "B", "C", "E", "M", "R", "X"})
        for (const std::string& c :
             {letra + "_ULTIMO_NRO", letra + "_NRO_HASTA", letra + "_SUC_DEFAULT", "VENCE" + letra})
            EXPECT_TRUE(talonarios.count(c)) << c;
    for (const char* c : {"CODIGO", "TALONARIO", "UNEGOCIO", "LETRAS", "DESCRIPCION", "MODIFICANUMERACION"})
        EXPECT_TRUE(talonarios.count(c)) << c;
    auto aplicacion = Columnas(l, "MV_APLICACION");
    for (const char* c :
         {"ID", "CUENTA", "TC", "SUCURSAL", "NUMERO", "LETRA", "IDCOMPROBANTE", "TCO_ORIGEN",
          "SUCURSAL_ORIGEN", "NUMERO_ORIGEN", "LETRA_ORIGEN", "IDCOMPROBANTE_ORIGEN", "IMPORTE"})
        EXPECT_TRUE(aplicacion.count(c)) << c;
    EXPECT_EQ(Columnas(l, "MV_EJERCICIOS").count("FECHA DESDE"), 1u);
    EXPECT_EQ(Columnas(l, "TA_CONFIGURACION"),
              (std::set<std::string>{"ID", "CLAVE", "VALOR", "VALORAUX", "GRUPO", "POLITICANEGOCIO"}));
    EXPECT_TRUE(Columnas(l, "C_MV_CPTE").count("IDCOMPROBANTE"));
}

TEST_F(Esquema, IndicesDondeElProgramaFiltra) {
    Lector l(ruta_);
    // An index's key as its columns, a text key written rtrim(x) COLLATE NOCASE counted as x.
    auto indice = [&](const std::string& tabla, const std::string& columnas) {
        for (const auto& f : l.Filas(
                 "SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = '" +
                 tabla + "'")) {
            std::string sql = f[0].substr(f[0].find('(') + 1);
            sql = sql.substr(0, sql.rfind(')'));
            // The bare column list: the collation wrappers, quotes, line breaks and the blanks that
            // start it or follow a comma go. Copied, not erased in place, which GCC 12 at -O3 would
            // flag with a bogus -Wrestrict.
            std::string clave;
            for (std::size_t i = 0; i < sql.size();) {
                bool quitado = false;
                for (const std::string_view quitar : {"rtrim(", ") COLLATE NOCASE", "\"", "\n"})
                    if (sql.compare(i, quitar.size(), quitar) == 0) {
                        i += quitar.size();
                        quitado = true;
                        break;
                    }
                if (quitado) continue;
                if (sql[i] != ' ' || !(clave.empty() || clave.back() == ',')) clave += sql[i];
                ++i;
            }
            if (clave == columnas) return true;
        }
        return false;
    };
    EXPECT_TRUE(indice("MV_ASIENTOS", "FECHA,TC"));
    EXPECT_TRUE(indice("MV_ASIENTOS", "TC,SUCURSAL,NUMERO,LETRA"));
    EXPECT_TRUE(indice("MV_ASIENTOS", "MES_OPERATIVO,TIPO_REG,PERIODO,NUMERO ASIENTO"));
    EXPECT_TRUE(indice("MV_ASIENTOS", "CUENTA,TC,SUCURSAL,NUMERO,LETRA,NroComprobanteBancario"));
    EXPECT_TRUE(indice("MV_APLICACION", "TC,SUCURSAL,NUMERO,LETRA"));
    EXPECT_TRUE(indice("MV_APLICACION", "TCO_ORIGEN,SUCURSAL_ORIGEN,NUMERO_ORIGEN,LETRA_ORIGEN"));
    EXPECT_TRUE(indice("TA_CONFIGURACION", "CLAVE"));
    // A key looked up as the engine writes it seeks on all its columns, whatever the letter
    // case or the trailing blanks of the text.
    auto plan = l.Filas(
        "EXPLAIN QUERY PLAN SELECT * FROM MV_ASIENTOS WHERE rtrim(tc) COLLATE NOCASE = 'fp' AND "
        "rtrim(sucursal) COLLATE NOCASE = '0001'");
    ASSERT_FALSE(plan.empty());
    EXPECT_NE(plan.back().back().find("IX_MV_ASIENTOS_CPTE (<expr>=? AND <expr>=?)"), std::string::npos)
        << plan.back().back();
}

TEST_F(Esquema, ElDisparadorDeAsientosDejaRastro) {
    Lector l(ruta_);
    l.Ejecutar(
        "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, \"DEBE-HABER\", IMPORTE, FECHA) "
        "VALUES ('110101', 'FC', '0001', '00000001', 'A', 'D', 10.5, '2021-01-04 00:00:00')");
    l.Ejecutar("UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + 1");
    l.Ejecutar("DELETE FROM MV_ASIENTOS");
    EXPECT_EQ(
        l.Filas("SELECT OPERACION, IMPORTE_ANTERIOR, IMPORTE_NUEVO FROM MV_ASIENTOS_AUDITORIA ORDER BY ID"),
        (std::vector<std::vector<std::string>>{
            {"A", "<NULL>", "10.5"}, {"M", "10.5", "11.5"}, {"B", "11.5", "<NULL>"}}));
}

TEST_F(Esquema, MarcasEnCeroYTextoSinDistinguirMayusculas) {
    Lector l(ruta_);
    l.Ejecutar(
        "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, \"DEBE-HABER\", IMPORTE, FECHA) "
        "VALUES ('110101', 'fp', '0001', '00000001', 'x', 'D', 10, '2021-01-04 00:00:00')");
    EXPECT_EQ(l.Valor("SELECT EsCierre || '/' || ES_SALDO_APERTURA FROM MV_ASIENTOS"), "0/0");
    EXPECT_EQ(
        l.Numero("SELECT count(*) FROM MV_ASIENTOS WHERE TC = 'FP' AND LETRA = 'X' AND [debe-haber] = 'd'"),
        1);
    l.Ejecutar("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('FECHAULTIMADEPURACION', '31/12/2020')");
    EXPECT_EQ(l.Valor("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'fechaUltimaDepuracion'"),
              "31/12/2020");
    EXPECT_EQ(l.Valor("SELECT PoliticaNegocio FROM TA_CONFIGURACION"), "0");
}

TEST_F(Esquema, ProcedimientoDeDepuracionDeStock) {
    Lector l(ruta_);
    auto f = l.Filas("SELECT PARAMETROS, CUERPO FROM DEP_PROCEDIMIENTOS WHERE NOMBRE = 'ks_depura_stock'");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0][0], "@FECHA");
    const std::string& cuerpo = f[0][1];
    EXPECT_EQ(cuerpo.find("PRINT"), std::string::npos) << "silent by default";
    for (const char* t : {"DELETE V_MV_STOCK WHERE FECHA <= @FECHA", "DELETE V_MV_CPTE WHERE FECHA <= @FECHA",
                          "DELETE C_MV_CPTE WHERE FECHA <= @FECHA", "DELETE V_MV_STOCK_ITEMS",
                          "DELETE V_MV_CPTE_ITEMS", "DELETE C_MV_CPTE_ITEMS"})
        EXPECT_NE(cuerpo.find(t), std::string::npos) << t;
    // Details go before their headers, or the headers' dates would be gone.
    EXPECT_LT(cuerpo.find("DELETE V_MV_STOCK_ITEMS"), cuerpo.find("DELETE V_MV_STOCK WHERE"));
    EXPECT_LT(cuerpo.find("DELETE C_MV_CPTE_ITEMS"), cuerpo.find("DELETE C_MV_CPTE WHERE"));
}

TEST(CrearEsquemaArchivo, NoPisaUnArchivoExistenteYSiFallaNoDejaNada) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "existente.db", sinCarpeta = dir / "no/hay/carpeta.db";
    std::ofstream(ruta) << "datos del usuario";
    try {
        CrearEsquema(ruta);
        FAIL() << "debió fallar";
    } catch (const Falla& e) {
        EXPECT_NE(e.Descripcion().find("ya existe"), std::string::npos) << e.Descripcion();
    }
    std::ifstream in(ruta);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "datos del usuario");
    EXPECT_THROW(CrearEsquema(sinCarpeta), Falla);
    EXPECT_FALSE(std::filesystem::exists(sinCarpeta));
    EXPECT_THROW(CrearEsquema(""), Falla);
}

}  // namespace
}  // namespace dep
