#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "lookup/consultar_campo.hpp"
#include "lookup/definir_consulta.hpp"
#include "runtime/operador_guionado.hpp"
#include "tests/apoyo/carpeta.hpp"

namespace dep {
namespace {

namespace fs = std::filesystem;

// A key's definition as table|description|code|extra.
std::string D(const std::string& clave) {
    const auto d = BuscarDefinicion(clave);
    return d.tabla + "|" + d.descripcion + "|" + d.codigo + "|" + d.extra;
}

// Group A builds the code from the key, with its exceptions; groups B and C and the single rows;
// then the rules by prefix. Keys match without case, their text kept as given.
TEST(BuscarDefinicion, CadaClaveConSuDefinicion) {
    const std::pair<const char*, const char*> casos[] = {
        {"V_TA_Bancos", "V_TA_Bancos|DESCRIPCION|IDBanco|"},
        {"V_TA_Cajas", "V_TA_Cajas|DESCRIPCION|IDCajas|"},
        {"V_TA_TipoArticulo", "V_TA_TipoArticulo|DESCRIPCION|IDTIPO|"},
        {"V_TA_CPRA_VTA", "V_TA_CPRA_VTA|DESCRIPCION|IDCOND_CPRA_VTA|"},
        {"V_TA_Tecnicos", "V_TA_Tecnicos|NOMBRE|IDTecnico|"},
        {"V_TA_Unidad", "V_TA_Unidad|DESCRIPCION|IDUnidad|"},
        {"v_ta_motivovta", "v_ta_motivovta|DESCRIPCION|IDmotivovta|"},
        {"P_TA_Areas", "P_TA_Areas|Descripcion|IDAreas|"},
        {"P_MA_Empresas", "P_MA_Empresas|NombreEmpresa|IDEmpresa|"},
        {"P_TA_TITULOs", "P_TA_TITULOs|Descripcion|IDTITULO|"},
        {"P_TA_Grupos", "P_TA_Grupos|Descripcion|IDGrupo|"},
        {"P_TA_Funciones", "P_TA_Funciones|DESCRIPCION|IDFunciones|"},
        {"P_SINDICATOS", "P_SINDICATOS|Descripcion|IdSindicato|"},
        {"TA_Rubros", "TA_Rubros|DESCRIPCION|IDRubro|"},
        {"TA_TipoArticulo", "TA_TipoArticulo|DESCRIPCION|IDTIPO|"},
        {"TA_Categoria", "TA_Categoria|DESCRIPCION|IDCategoria|"},
        {"V_MA_ARTICULOS", "V_MA_ARTICULOS|DESCRIPCION|IDARTICULO|DESCRIPCION"},
        {"MA_ARTICULOS", "MA_ARTICULOS|DESCRIPCION|IDARTICULO|DESCRIPCION"},
        {"MA_VEHICULOS", "MA_VEHICULOS|PATENTE,TIPO_VEHICULO,MARCA,MODELO,TIPO|PATENTE|MODELO"},
        {"MA_CHOFERES", "MA_CHOFERES|APELLIDO|CODIGO|NOMBRES"},
        {"TA_Cpte", "TA_Cpte|DESCRIPCION|CODIGO|DESCRIPCION"},
        {"TA_USUARIOS", "TA_USUARIOS|NOMBRE|NOMBRE|"},
        {"MV_EJERCICIOS", "MV_EJERCICIOS|DESCRIPCION|PERIODO|DESCRIPCION"},
        {"TA_COMPROBANTES", "VT_TA_Cpte|Descripcion|Codigo|"},
        {"v_ta_cpte", "VT_TA_Cpte|Descripcion|Codigo|"},
        {"V_TA_PERCEPCION", "V_TA_PERCEPCION|DESCRIPCION|IDPERCEPCION|"},
        {"TA_LOQUESEA", "TA_LOQUESEA|DESCRIPCION|CODIGO|DESCRIPCION"},
        {"MA_PROVEEDORES", "MA_PROVEEDORES|Razon_Social|Codigo|Razon_Social"},
        {"ma_agentes", "ma_agentes|Razon_Social|Codigo|Razon_Social"},
        {"MA_CLIENTES", "MA_CLIENTES|Razon_Social|Codigo|Codigo_sucursal"},
        {"MA_OTRA", "MA_OTRA|Descripcion|Codigo|Descripcion"},
        {"[MA_CAMIONES]", "[MA_CAMIONES]|nombre|Codigo|nombre"},
        {"MV_PROYECTOS", "MV_PROYECTOS|ASUNTO|ID|ASUNTO"},
    };
    for (const auto& [clave, definicion] : casos) EXPECT_EQ(D(clave), definicion) << clave;
    for (const char* clave : {"[MA_OTRA]", "MV_STOCK", "VT_CLIENTES"})
        EXPECT_FALSE(BuscarDefinicion(clave).conocida) << clave;
}

// A program folder of its own for each test, with or without the definition file.
class ConCarpeta : public ::testing::Test {
  protected:
    void SetUp() override { FormServices::FijarCarpetaPrograma(carpeta_.string()); }
    void ConArchivo(const std::string& nombre = "CONSULTAS.KST") {
        std::ofstream(carpeta_ / nombre) << "x\n";
    }

    prueba::Carpeta dir_{"dep_lookup"};
    fs::path carpeta_ = dir_.Ruta();
    OperadorGuionado op_;
    FormServices fs_{op_};
    LookupServices ls_{op_};
};

TEST_F(ConCarpeta, ConArchivoLaListaRecibeTablaFiltroYSeleccionYClientesTomanCodigo) {
    ConArchivo("Consultas.Kst");  // the name is compared without case
    op_.respuestasLista.push_back("0007");
    std::string t = "TA_COMPROBANTES", d, c, x;
    DefinirConsulta(fs_, ls_, t, d, c, x, false, "WHERE 1=1");
    auto l = op_.DeTipo(OperadorGuionado::Tipo::AbrirLista);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].pedido.origen, "VT_TA_Cpte");
    EXPECT_EQ(l[0].pedido.filtro, "WHERE 1=1");
    EXPECT_EQ(l[0].pedido.seleccion, "select Descripcion,Codigo from VT_TA_Cpte WHERE 1=1");
    EXPECT_EQ(l[0].pedido.campoCodigo, "Codigo");
    EXPECT_EQ(t, "VT_TA_Cpte");
    EXPECT_EQ(c, "0007");

    // Customers and suppliers take CODIGO.
    op_.Olvidar();
    std::tie(t, d, c, x) = std::tuple("VT_CLIENTES", "RAZON", "ID", "E");
    DefinirConsulta(fs_, ls_, t, d, c, x, true, "");
    l = op_.DeTipo(OperadorGuionado::Tipo::AbrirLista);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].pedido.seleccion, "select RAZON,CODIGO from VT_CLIENTES ");
    EXPECT_EQ(l[0].pedido.campoCodigo, "CODIGO");
    EXPECT_EQ(x, "E");
    EXPECT_EQ(c, "");  // nothing chosen
}

TEST_F(ConCarpeta, SinArchivoSoloLaSeleccionYAsteriscoSinDescripcionONadaSinMostrar) {
    std::string t = "MV_STOCK", d, c = "IDMOV", x;
    op_.respuestasLista.push_back("  12 ");
    DefinirConsulta(fs_, ls_, t, d, c, x, true, "where a=1");
    auto l = op_.DeTipo(OperadorGuionado::Tipo::AbrirLista);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].pedido.origen, "select  * ,IDMOV from MV_STOCK where a=1");
    EXPECT_EQ(l[0].pedido.filtro, "");
    EXPECT_EQ(l[0].pedido.seleccion, "");
    EXPECT_EQ(d, " * ");
    EXPECT_EQ(c, "  12 ");  // the code comes back as chosen; trimming is the field's business

    // Not shown: only the definition comes back.
    op_.Olvidar();
    std::tie(t, d, c) = std::tuple("V_TA_Bancos", "", "");
    DefinirConsulta(fs_, ls_, t, d, c, x, false, "");
    EXPECT_EQ(op_.Cuantas(OperadorGuionado::Tipo::AbrirLista), 0u);
    EXPECT_EQ(d, "DESCRIPCION");
    EXPECT_EQ(c, "IDBanco");
}

TEST_F(ConCarpeta, UnaCarpetaLlamadaConsultasNoEsElArchivo) {
    fs::create_directories(carpeta_ / "consultas.kst");
    EXPECT_FALSE(ExisteArchivoDefiniciones(carpeta_.string()));
#ifdef _WIN32
    // One entry per name whatever its letter case: the folder gives the name up to the file.
    fs::remove(carpeta_ / "consultas.kst");
#endif
    ConArchivo("CONSULTAS.kst");
    EXPECT_TRUE(ExisteArchivoDefiniciones(carpeta_.string()));
}

// The field as ConsultarCampo sees it: remembers what was written and each Enter.
struct CampoDePrueba : CampoConsulta {
    std::string tag;
    std::vector<std::string> eventos;
    std::string Etiqueta() const override { return tag; }
    void Escribir(const std::string& t) override { eventos.push_back("escribir[" + t + "]"); }
    void PulsarEnter() override { eventos.push_back("enter"); }
};

// What the field gets for each kind of tag: the chooser it opens, what it is asked for, what is
// written back and how many Enters.
TEST_F(ConCarpeta, ConsultarCampoSegunLaEtiqueta) {
    const struct {
        const char *tag, *respuesta, *origen, *campoCodigo;
        std::vector<std::string> eventos;
    } casos[] = {
        // A date: the chooser, what it gives written as it is.
        {"fecha", " 15/03/2021", nullptr, nullptr, {"escribir[ 15/03/2021]", "enter"}},
        {"FECHA", "", nullptr, nullptr, {}},  // cancelled: the field stays as it was
        // Technicians and users: written twice, each with its Enter.
        {"V_TA_TECNICOS",
         " 3 ",
         "V_TA_TECNICOS",
         "IDTECNICO",
         {"escribir[ 3 ]", "enter", "escribir[3]", "enter"}},
        {"ta_usuarios",
         "ANA",
         "SELECT NOMBRE,SISTEMA  FROM TA_USUARIOS WHERE SISTEMA = 'CN000PR' ORDER BY NOMBRE ",
         "NOMBRE",
         {"escribir[ANA]", "enter", "escribir[ANA]", "enter"}},
        // Any other key through the definitions, trimmed; an unknown one with empty columns.
        {"MV_EJERCICIOS",
         " 2020 ",
         "select DESCRIPCION,PERIODO from MV_EJERCICIOS ",
         nullptr,
         {"escribir[2020]", "enter"}},
        {"XX_NADA", nullptr, "select  * , from XX_NADA ", nullptr, {"escribir[]", "enter"}},
    };
    CampoDePrueba blanco;  // a blank tag does nothing
    blanco.tag = "   ";
    ConsultarCampo(fs_, ls_, blanco);
    EXPECT_TRUE(op_.llamadas.empty() && blanco.eventos.empty());
    EXPECT_FALSE(ls_.Activo());
    for (const auto& k : casos) {
        SCOPED_TRACE(k.tag);
        op_.Olvidar();
        CampoDePrueba c;
        c.tag = k.tag;
        const bool fecha = k.origen == nullptr;
        if (k.respuesta != nullptr)
            (fecha ? op_.respuestasFecha : op_.respuestasLista).push_back(k.respuesta);
        ConsultarCampo(fs_, ls_, c);
        EXPECT_EQ(c.eventos, k.eventos);
        if (fecha) {
            EXPECT_EQ(op_.Cuantas(OperadorGuionado::Tipo::ElegirFecha), 1u);
            continue;
        }
        const auto l = op_.DeTipo(OperadorGuionado::Tipo::AbrirLista);
        ASSERT_EQ(l.size(), 1u);
        EXPECT_EQ(l[0].pedido.origen, k.origen);
        if (k.campoCodigo) {
            EXPECT_EQ(l[0].pedido.campoCodigo, k.campoCodigo);
        }
    }
    // The lookup is on once a field asked, with the definitions file of the program folder.
    EXPECT_TRUE(ls_.Activo());
    EXPECT_EQ(ls_.ArchivoDefiniciones(), fs_.CarpetaConBarra(carpeta_.string()) + "CONSULTAS.KST");
}

}  // namespace
}  // namespace dep
