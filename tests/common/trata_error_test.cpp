#include "common/trata_error.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <regex>
#include <tuple>

#include "apoyo.hpp"

namespace dep {
namespace {

using prueba::Carpeta;
using prueba::Entorno;
using prueba::LeerArchivo;
using prueba::VariableEntorno;

class TrataErrorTest : public ::testing::Test {
  protected:
    Carpeta carpeta;
    VariableEntorno temp{"TEMP", carpeta.Ruta()};
    Entorno e{nullptr};
    std::filesystem::path log() const { return carpeta.Ruta() / "KSERR.LOG"; }
};

TEST_F(TrataErrorTest, ConRutinaMuestraElTituloYDejaUnaLineaEnElRegistro) {
    e.op.respuestasMensaje = {vb::kIgnorar};
    const Falla f(13, "  No coinciden los tipos  ", "depuracion");
    EXPECT_EQ(TrataError(e.s, &f, std::nullopt, "Cfg"), vb::kIgnorar);

    const auto msj = e.op.DeTipo(OperadorGuionado::Tipo::Mensaje);
    ASSERT_EQ(msj.size(), 1u);
    EXPECT_EQ(std::tie(msj[0].texto, msj[0].titulo, msj[0].botones),
              std::tuple("Ha ocurrido el Siguiente Error (13) No coinciden los tipos",
                         "depuracion - Cfg Aviso al operador!!! - 2 ", 18));

    const std::string linea = LeerArchivo(log());
    const std::regex forma(
        "\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error "
        "\\(13\\) No coinciden los tipos Respondió : Ignorar\n");
    EXPECT_TRUE(std::regex_match(linea, forma)) << linea;
}

TEST_F(TrataErrorTest, SinRutinaElCampoQuedaVacioYLasLineasSeAgregan) {
    e.op.respuestasMensaje = {vb::kReintentar, vb::kSi, vb::kAceptar};
    const Falla f(5, "uno", "motor");
    EXPECT_EQ(TrataError(e.s, &f), vb::kReintentar);
    EXPECT_EQ(TrataError(e.s, &f, vb::kSiNo), vb::kSi);
    EXPECT_EQ(TrataError(e.s, &f, vb::kSoloAceptar), vb::kAceptar);

    const auto msj = e.op.DeTipo(OperadorGuionado::Tipo::Mensaje);
    ASSERT_EQ(msj.size(), 3u);
    EXPECT_EQ(msj[0].titulo, "motor Aviso al operador!!! - 2 ");
    EXPECT_EQ(msj[1].botones, vb::kSiNo);
    EXPECT_EQ(msj[2].botones, vb::kSoloAceptar);

    const std::string texto = LeerArchivo(log());
    // One line per answer, in order; OK has no text.
    const std::string linea =
        "\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d Rutina:  Mensaje Ha ocurrido el Siguiente Error \\(5\\) "
        "uno Respondió : ";
    EXPECT_TRUE(std::regex_match(texto, std::regex(linea + "Reintentar\n" + linea + "Sí\n" + linea + "\n")))
        << texto;
}

TEST_F(TrataErrorTest, SinErrorNoPreguntaNiEscribePeroCreaElRegistro) {
    const Falla cero(0, "nada");
    EXPECT_EQ(TrataError(e.s, &cero, std::nullopt, "Cfg"), 0);
    EXPECT_EQ(TrataError(e.s, nullptr), 0);
    EXPECT_TRUE(e.op.llamadas.empty());
    ASSERT_TRUE(std::filesystem::exists(log()));
    EXPECT_EQ(LeerArchivo(log()), "");
}

TEST_F(TrataErrorTest, UnRegistroQueNoSePuedeAbrirSeSaltaYLaRespuestaLlega) {
    const auto noHay = carpeta.Ruta() / "no" / "existe";
    VariableEntorno otra{"TEMP", noHay};
    e.op.respuestasMensaje = {vb::kAbortar};
    const Falla f(3021, "sin fila");
    EXPECT_EQ(TrataError(e.s, &f, std::nullopt, "Cfg"), vb::kAbortar);
    EXPECT_FALSE(std::filesystem::exists(noHay));
}

TEST_F(TrataErrorTest, AnotarErrorEscribeLaMismaLineaSinPreguntar) {
    AnotarError("DepuraStock", "  Ha ocurrido el Siguiente Error (50000) sin permiso ");
    AnotarError("", "otro");
    EXPECT_TRUE(e.op.llamadas.empty());
    const std::regex forma(
        "\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d Rutina: - DepuraStock Mensaje Ha ocurrido el Siguiente "
        "Error \\(50000\\) sin permiso Respondió : \n\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d Rutina:  "
        "Mensaje otro Respondió : \n");
    const std::string texto = LeerArchivo(log());
    EXPECT_TRUE(std::regex_match(texto, forma)) << texto;
}

#ifndef _WIN32
// The log lives in a temporary folder others may write in: a FIFO planted under its name must not
// hold the program at the open (the alarm ends a test that waits), a link, symbolic or hard,
// must not carry the lines into another file, and another user's file, which that user could
// read, is not written. The answer still comes.
TEST_F(TrataErrorTest, UnRegistroPlantadoComoFifoOEnlaceNoSeEscribeNiSeEspera) {
    namespace fs = std::filesystem;
    const fs::path otro = carpeta.Ruta() / "otro.txt";
    std::ofstream(otro) << "de otro programa\n";
    for (const std::string plantado : {"fifo", "enlace simbolico", "enlace duro", "de otro usuario"}) {
        SCOPED_TRACE(plantado);
        fs::remove(log());
        if (plantado == "fifo") {
            prueba::CrearFifo(log());
        } else if (plantado == "enlace simbolico") {
            fs::create_symlink(otro, log());
        } else if (plantado == "enlace duro") {
            fs::create_hard_link(otro, log());
        } else {
            std::ofstream(log()) << "";
            fs::permissions(log(), fs::perms(0666));
            if (!prueba::CambiarDueno(log())) continue;  // only the administrator can plant it here
        }
        e.op.respuestasMensaje = {vb::kIgnorar};
        const Falla f(5, "uno", "motor");
        ::alarm(20);
        EXPECT_EQ(TrataError(e.s, &f), vb::kIgnorar);
        AnotarError("DepuraStock", "dos");
        ::alarm(0);
        EXPECT_EQ(LeerArchivo(otro), "de otro programa\n");
        if (plantado == "de otro usuario") {
            EXPECT_EQ(LeerArchivo(log()), "");
        }
    }
}
#endif

TEST(CarpetaRegistro, OrdenDelEntornoYCarpetaDelSistemaComoUltimoRecurso) {
#ifdef _WIN32
    // One variable whatever the letter case of its name: "tmp" is TMP.
    const std::string primera = "/otra";
    constexpr char kBarra = '\\';
#else
    const std::string primera = "/tmp/de-tmp";
    constexpr char kBarra = '/';
#endif
    VariableEntorno a{"TEMP", nullptr}, b{"TMP", "/tmp/de-tmp"}, c{"temp", nullptr}, d{"tmp", "/otra"},
        t{"TMPDIR", "/tmpdir"};
    EXPECT_EQ(CarpetaRegistro(), primera + kBarra);
    {
        VariableEntorno sinTmp{"TMP", nullptr}, sinTmp2{"tmp", nullptr};
        EXPECT_EQ(CarpetaRegistro(), std::string("/tmpdir") + kBarra);
        VariableEntorno sinNada{"TMPDIR", ""};
        const std::string sistema = CarpetaRegistro();
        ASSERT_FALSE(sistema.empty());
        EXPECT_EQ(sistema.back(), kBarra);
    }
}

}  // namespace
}  // namespace dep
