#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "runtime/ajustes.hpp"
#include "runtime/form_services.hpp"
#include "runtime/operador_guionado.hpp"
#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep {
namespace {

namespace fs = std::filesystem;

// The separator a folder gets at its end, and a path that is absolute, on this system.
#ifdef _WIN32
constexpr char kBarra = '\\';
constexpr const char* kTrazaAbsoluta = "C:/var/tmp/t.log";
#else
constexpr char kBarra = '/';
constexpr const char* kTrazaAbsoluta = "/var/tmp/t.log";
#endif

// A private folder, and none of the DEPURACION_* variables until the test sets them (restored
// afterwards).
struct ConCarpeta : ::testing::Test {
    prueba::Carpeta dir{"core_servicios"};
    fs::path carpeta = dir.Ruta();
    const prueba::VariableEntorno variables[5] = {{"DEPURACION_INI", nullptr},
                                                  {"DEPURACION_BASE", nullptr},
                                                  {"DEPURACION_ODBC", nullptr},
                                                  {"DEPURACION_TRAZA", nullptr},
                                                  {"DEPURACION_CARPETA", nullptr}};

    void TearDown() override { FormServices::FijarCarpetaPrograma({}); }
    std::string Escribir(const std::string& nombre, const std::string& texto) {
        const fs::path p = carpeta / nombre;
        std::ofstream(p, std::ios::binary) << texto;
        return p.string();
    }
};

TEST_F(ConCarpeta, LeerValorDeUnIni) {
    const std::string ini = Escribir("a.ini",
                                     "\xEF\xBB\xBF; comentario\r\n"
                                     "clave_fuera=1\r\n"
                                     "[ General ]\r\n"
                                     "  Styles =  3  \r\n"
                                     "linea rota sin igual\r\n"
                                     "Vacio=\r\n"
                                     "Citado=\" con blancos \"\r\n"
                                     "Ruta=C:\\a=b\r\n"
                                     "[PCSALA Styles]\n"
                                     "Styles=7\n"
                                     "[Otra\n"
                                     "Styles=8\n");
    EXPECT_EQ(IniServices::LeerValor(ini, "general", "STYLES", "1"), "3");
    EXPECT_EQ(IniServices::LeerValor(ini, "GENERAL", "vacio", "x"), "");
    EXPECT_EQ(IniServices::LeerValor(ini, "General", "Citado", "x"), " con blancos ");
    EXPECT_EQ(IniServices::LeerValor(ini, "General", "Ruta", "x"), "C:\\a=b");
    EXPECT_EQ(IniServices::LeerValor(ini, "PCSALA Styles", "Styles", "1"),
              "7");  // the malformed header is ignored
    EXPECT_EQ(IniServices::LeerValor(ini, "General", "clave_fuera", "d"), "d");
    EXPECT_EQ(IniServices::LeerValor(ini, "General", "linea rota sin igual", "d"), "d");
    EXPECT_EQ(IniServices::LeerValor(ini, "Nada", "Styles", "d"), "d");
    EXPECT_EQ(IniServices::LeerValor((carpeta / "no.ini").string(), "General", "Styles", "d"), "d");

    // A bare file name is looked for in the program folder.
    FormServices::FijarCarpetaPrograma(carpeta.string());
    EXPECT_EQ(IniServices::LeerValor("a.ini", "General", "Styles", "1"), "3");
}

// Whatever the editor saved it as, a folder name arrives as UTF-8.
TEST_F(ConCarpeta, UnIniEnCualquierCodificacionSeLeeEnUtf8) {
    auto utf16 = [](std::u16string t, bool grande) {
        std::string b = grande ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : t) {
            const char alto = static_cast<char>(c >> 8), bajo = static_cast<char>(c & 0xFF);
            b += grande ? std::string{alto, bajo} : std::string{bajo, alto};
        }
        return b;
    };
    const std::u16string texto = u"[C]\r\nB=Compañía €\U0001F4C1\r\n";
    const std::string leido = "Compañía €\xF0\x9F\x93\x81";
    const struct {
        const char* nombre;
        std::string bytes, valor;
    } casos[] = {
        {"UTF-8", "[C]\nB=" + leido + "\n", leido},
        {"UTF-16LE", utf16(texto, false), leido},
        {"UTF-16BE", utf16(texto, true), leido},
        {"ANSI",
         "[C]\nB=Compa\xF1\xED"
         "a \x80\n",
         "Compañía €"},
        {"mitad de un par", utf16(u"[C]\nB=x" + std::u16string(1, u'\xD83D') + u"\n", false), "x\uFFFD"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(IniServices::LeerValor(Escribir("e.ini", c.bytes), "C", "B", "?"), c.valor) << c.nombre;
}

TEST_F(ConCarpeta, AjustesDelIniYDelEntorno) {
    FormServices::FijarCarpetaPrograma(carpeta.string());
    AjustesConexion a = LeerAjustesConexion();  // no settings file at all
    EXPECT_EQ(std::tie(a.motor, a.base, a.esperaBloqueo),
              std::tuple("sqlite", (carpeta / "demo.db").string(), 5000));

    Escribir("cn000pr.ini",
             "[Conexion]\nMotor = SQLite\nBase=datos/suite.db\nPrefijoAdmin=ADMIN.dbo.\nTraza=" +
                 std::string(kTrazaAbsoluta) +
                 "\n"
                 "TiempoEspera=30\nEsperaBloqueo=250\n");
    a = LeerAjustesConexion();
    EXPECT_EQ(
        std::tie(a.motor, a.base, a.prefijoAdmin, a.traza, a.tiempoEspera, a.esperaBloqueo),
        std::tuple("sqlite", (carpeta / "datos/suite.db").string(), "ADMIN.dbo.", kTrazaAbsoluta, 30, 250));

    dep::prueba::FijarVariable("DEPURACION_BASE", "/otra/base.db");
    dep::prueba::FijarVariable("DEPURACION_TRAZA", "/otra/traza.log");
    a = LeerAjustesConexion();
    EXPECT_EQ(std::tie(a.base, a.traza), std::tuple("/otra/base.db", "/otra/traza.log"));
    dep::prueba::FijarVariable("DEPURACION_ODBC", "DSN=suite;UID=sa");
    a = LeerAjustesConexion();
    EXPECT_EQ(std::tie(a.motor, a.odbc), std::tuple("odbc", "DSN=suite;UID=sa"));

    const std::string otro = Escribir("otro.ini", "[conexion]\nmotor=odbc\nodbc=DSN=x\n");
    dep::prueba::QuitarVariable("DEPURACION_ODBC");
    dep::prueba::QuitarVariable("DEPURACION_BASE");
    dep::prueba::FijarVariable("DEPURACION_INI", otro);
    a = LeerAjustesConexion();
    EXPECT_EQ(std::tie(a.motor, a.odbc), std::tuple("odbc", "DSN=x"));
}

// A settings file that is there but cannot be read, or that DEPURACION_INI names and is missing,
// is said with its name, never waited on: the program would otherwise go on the demo database.
TEST_F(ConCarpeta, UnIniQueNoSePuedeLeerSeNombraEnUnAviso) {
    FormServices::FijarCarpetaPrograma(carpeta.string());
    const std::string ini = (carpeta / "cn000pr.ini").string(), otro = (carpeta / "otro.ini").string();
    const std::string noComun = " no es un archivo común: se usan los valores por defecto.";
    const struct {
        const char* caso;
        std::function<void()> plantar;
        std::string aviso;
    } casos[] = {
        {"ninguno", [] {}, ""},
        {"carpeta", [&] { fs::create_directory(ini); }, "El archivo de configuración " + ini + noComun},
#ifndef _WIN32
        {"fifo", [&] { prueba::CrearFifo(ini); }, "El archivo de configuración " + ini + noComun},
#endif
        {"enorme", [&] { Escribir("cn000pr.ini", std::string((1 << 20) + 1, ';')); },
         "No se pudo leer el archivo de configuración " + ini + ": se usan los valores por defecto."},
        {"DEPURACION_INI perdido", [&] { prueba::FijarVariable("DEPURACION_INI", otro); },
         "No existe el archivo de configuración " + otro +
             " que nombra DEPURACION_INI: se usan los valores por defecto."},
    };
    for (const auto& c : casos) {
        fs::remove_all(ini);
        c.plantar();
#ifndef _WIN32
        ::alarm(20);
#endif
        const AjustesConexion a = LeerAjustesConexion();
#ifndef _WIN32
        ::alarm(0);
#endif
        EXPECT_EQ(a.avisos, c.aviso.empty() ? std::vector<std::string>{} : std::vector{c.aviso}) << c.caso;
        EXPECT_EQ(a.base, (carpeta / "demo.db").string()) << c.caso;
    }
}

TEST_F(ConCarpeta, CarpetaDelPrograma) {
#ifdef __linux__
    EXPECT_EQ(FormServices::CarpetaPrograma(),
              fs::read_symlink("/proc/self/exe").parent_path().string() + "/");
#else
    EXPECT_TRUE(fs::exists(fs::path(FormServices::CarpetaPrograma()) / "test_runtime.exe"))
        << FormServices::CarpetaPrograma();
#endif
    dep::prueba::FijarVariable("DEPURACION_CARPETA", "/opt/suite");
    EXPECT_EQ(FormServices::CarpetaPrograma(), std::string("/opt/suite") + kBarra);
    FormServices::FijarCarpetaPrograma("/srv/x/");
    EXPECT_EQ(FormServices::CarpetaPrograma(), "/srv/x/");
}

TEST(FormServices, ConversionesYListas) {
    OperadorGuionado op;
    FormServices f(op);
    EXPECT_EQ(f.TextoANumero("1234.56").diezmilesimos, 12345600);
    EXPECT_EQ(f.TextoANumero(" -2.5 pesos").diezmilesimos, -25000);
    EXPECT_EQ(f.TextoANumero("").diezmilesimos, 0);
    EXPECT_EQ(f.ValorCampo(Value::Nulo()), Value(""));
    EXPECT_EQ(f.ValorCampo(Value(Fecha::DesdeYMD(2020, 1, 2))), Value(Fecha::DesdeYMD(2020, 1, 2)));
    EXPECT_EQ(f.ValorCampo(Value(3)), Value(3));
    EXPECT_EQ(f.TextoSQL("D'Alessio 'x'", 4), "D''Alessio ''x''");
    EXPECT_EQ(f.TextoSQL("D'Alessio", 0), "D'Alessio");
    EXPECT_EQ(f.CarpetaConBarra("/tmp"), std::string("/tmp") + kBarra);
    EXPECT_EQ(f.CarpetaConBarra("/tmp/"), "/tmp/");
    EXPECT_EQ(f.CarpetaConBarra("C:\\Temp\\"), "C:\\Temp\\");
    EXPECT_EQ(f.CarpetaConBarra(""), "");
    EXPECT_TRUE(f.EnLista("fp", {"CC", "FP"}));
    EXPECT_FALSE(f.EnLista("F", {"CC", "FP"}));
    EXPECT_FALSE(f.EnLista("x", {}));
    for (int tecla : {13, 9, 38, 40}) EXPECT_TRUE(InputServices::TeclaSalida(tecla)) << tecla;
    EXPECT_FALSE(InputServices::TeclaSalida(65));
    EXPECT_FALSE(SystemServices::Identidad().empty());
    EXPECT_TRUE(fs::is_directory(SystemServices::CarpetaTemporal()));
}

TEST(LookupServices, AbrirListaGuardaElPedidoYLaEleccion) {
    OperadorGuionado op;
    op.respuestasLista.push_back("0001");
    LookupServices l(op);
    l.Activar(true);
    l.ArchivoDefiniciones("/x/CONSULTAS.KST");
    l.CampoCodigo("IdCajas");
    EXPECT_EQ(l.ValorElegido(), Value(""));
    l.AbrirLista("V_TA_Cajas", "Activa=1", "SELECT * FROM V_TA_Cajas");
    EXPECT_EQ(l.ValorElegido(), Value("0001"));
    const auto pedidos = op.DeTipo(OperadorGuionado::Tipo::AbrirLista);
    ASSERT_EQ(pedidos.size(), 1u);
    const PedidoLista& p = pedidos[0].pedido;
    EXPECT_EQ(
        std::tie(p.origen, p.filtro, p.seleccion, p.campoCodigo, p.archivoDefiniciones),
        std::tuple("V_TA_Cajas", "Activa=1", "SELECT * FROM V_TA_Cajas", "IdCajas", "/x/CONSULTAS.KST"));
    l.AbrirLista("V_TA_Cajas", "", "");  // cancelled: nothing chosen
    EXPECT_EQ(l.ValorElegido(), Value(""));
}

TEST(OperadorGuionado, ResponderEnOrdenYDespuesPorDefecto) {
    OperadorGuionado op;
    op.respuestasMensaje = {vb::kSi, vb::kNo};
    op.respuestasDialogo = {4};
    op.respuestasFecha = {"31/12/2020"};
    EXPECT_EQ(op.Mensaje("¿Seguro?", vb::kSiNo + vb::kPregunta, "T"), vb::kSi);
    EXPECT_EQ(op.Mensaje("otra"), vb::kNo);
    EXPECT_EQ(op.Mensaje("y otra"), vb::kAceptar);
    EXPECT_EQ(op.DialogoError(Falla(5, "x")), 4);
    EXPECT_EQ(op.DialogoError(Falla(5, "x")), 3);
    EXPECT_EQ(op.ElegirFecha(), "31/12/2020");
    EXPECT_EQ(op.ElegirFecha(), "");
    EXPECT_EQ(op.Mensajes(), (std::vector<std::string>{"¿Seguro?", "otra", "y otra"}));
    EXPECT_EQ(std::tie(op.llamadas[0].botones, op.llamadas[0].titulo),
              std::tuple(vb::kSiNo + vb::kPregunta, "T"));
    EXPECT_EQ(op.Cuantas(OperadorGuionado::Tipo::DialogoError), 2u);
}

}  // namespace
}  // namespace dep
