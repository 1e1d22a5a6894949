// The preview, the run journal and the end-of-run report against a real run on demo databases.
#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "base.hpp"
#include "common/clave_comprobante.hpp"
#include "common/configuracion.hpp"
#include "purge/diario.hpp"
#include "purge/informe.hpp"
#include "purge/json.hpp"
#include "purge/vista_previa.hpp"
#include "runtime/conversions.hpp"

namespace dep::prueba {
namespace {

class Previa : public BasePurga {
  protected:
    // Everything a preview might change, to compare before and after.
    std::string Huella() {
        std::string h;
        for (const char* t : {"MV_ASIENTOS", "V_MV_CTROL_CPTE", "V_TA_CPTE", "TA_CONFIGURACION", "AUX_TMP",
                              "MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS"})
            h += std::string(t) + "=" + Uno(std::string("SELECT COUNT(*) FROM ") + t).ATexto() + ";";
        h += Uno("SELECT TOTAL(IMPORTE) FROM MV_ASIENTOS").ATexto();
        return h;
    }
    std::vector<UnidadDiario> De(Purga purga, const std::string& pasada = "") {
        std::vector<UnidadDiario> v;
        for (const auto& u : diario->Unidades())
            if (u.purga == purga && (pasada.empty() || u.pasada == pasada) && u.tipo != TipoUnidad::Purga)
                v.push_back(u);
        return v;
    }
};

TEST_F(Previa, LosConteosSonLosDeLaCorridaYNoSeModificaNada) {
    Demo();
    host.casillas[0] = false;  // the stock procedure is the database's business
    const std::string hasta = "30/06/2022";
    const std::string antes = Huella();
    const VistaPrevia v = CalcularVistaPrevia(*s, hasta, false, true, true);
    EXPECT_EQ(Huella(), antes);
    EXPECT_TRUE(v.existeCC);
    EXPECT_TRUE(v.existeFP);
    ASSERT_EQ(v.pasadas.size(), 2u);

    long long temporales = 0;  // rows the temporaries purge takes: the work tables', then the history's
    for (const auto& t : v.trabajo) {
        ASSERT_TRUE(t.existe) << t.tabla;
        EXPECT_EQ(t.filas, Cuantos("SELECT COUNT(*) FROM " + t.tabla)) << t.tabla;
        temporales += t.filas;
    }
    EXPECT_GT(temporales, 0) << "the demo fills work tables";
    const long long asientosAntes = Cuantos("SELECT COUNT(*) FROM MV_ASIENTOS");

    CorrerConDiario(hasta);
    EXPECT_FALSE(host.hayError) << (op.Mensajes().empty() ? "" : op.Mensajes()[0]);

    // Temporaries: every table emptied, the history rows up to the date gone, as counted.
    for (const auto& t : v.trabajo) EXPECT_EQ(Cuantos("SELECT COUNT(*) FROM " + t.tabla), 0) << t.tabla;
    for (const auto& h : v.historial)
        EXPECT_THAT(
            De(Purga::Temporales),
            Contains(AllOf(Field(&UnidadDiario::unidad, "DELETE " + Mayusculas(h.tabla)),
                           Field(&UnidadDiario::filas, h.filas), Field(&UnidadDiario::resultado, "ok"))));

    // Consolidation: per pass the walk dates, the rows deleted, the summary voucher and its rows.
    long borradas = 0, resumen = 0;
    for (const auto& p : v.pasadas) {
        ASSERT_TRUE(p.correria) << p.tipo << ": " << p.motivo;
        EXPECT_TRUE(p.varados.empty()) << p.tipo;
        const auto u = De(Purga::Asientos, p.tipo);
        long fechas = 0, b = 0;
        std::string clave;
        long filasResumen = -1;
        for (const auto& x : u) {
            EXPECT_EQ(x.resultado == "rechazada", false) << x.unidad << " " << x.error;
            if (x.tipo == TipoUnidad::Refechado) {
                clave = x.comprobante;
                filasResumen = x.filas;
            } else if (x.tipo == TipoUnidad::Verificacion) {
                EXPECT_EQ(x.resultado, "ok") << x.error;
                EXPECT_EQ(x.filas, p.grupos) << p.tipo;  // every key of the summary proved
            } else {
                ++fechas;
                b += x.borradas;
            }
        }
        EXPECT_EQ(fechas, p.fechas) << p.tipo;
        EXPECT_EQ(u.front().unidad, p.primeraFecha) << p.tipo;
        EXPECT_EQ(b, p.asientos + p.cierres) << p.tipo;
        EXPECT_EQ(clave, p.comprobante) << p.tipo;
        EXPECT_EQ(filasResumen, p.grupos) << p.tipo;
        EXPECT_EQ(static_cast<long>(Resumen(p.tipo == "FP").size()), p.grupos) << p.tipo;
        EXPECT_GT(p.asientos, 0) << p.tipo;
        borradas += b;
        resumen += filasResumen;
    }
    // The journal's rows add up to the table's change.
    EXPECT_EQ(asientosAntes - Cuantos("SELECT COUNT(*) FROM MV_ASIENTOS"), borradas - resumen);

    // The report tells the same figures.
    const Informe i = ArmarInforme(*diario);
    ASSERT_EQ(i.purgas.size(), 3u);
    EXPECT_FALSE(i.purgas[0].marcada);
    EXPECT_EQ(i.purgas[1].filas, borradas);
    for (const auto& h : v.historial) temporales += h.filas;
    EXPECT_EQ(i.purgas[2].filas, temporales);
    ASSERT_EQ(i.comprobantes.size(), 2u);
    EXPECT_EQ(i.comprobantes[0].clave, v.pasadas[0].comprobante);
    EXPECT_EQ(i.comprobantes[1].filas, v.pasadas[1].grupos);
    EXPECT_TRUE(i.fechaGrabada);
    EXPECT_TRUE(i.fechasDeshechas.empty());
    const std::string texto = TextoInforme(i);
    EXPECT_THAT(texto, AllOf(HasSubstr("Comprobante de saldo inicial CC " + v.pasadas[0].comprobante + ": " +
                                       TextoEntero(v.pasadas[0].grupos) + " renglones"),
                             HasSubstr("Asientos: " + TextoEntero(borradas) + " asientos consolidados")));

    // The text and JSON forms carry the figures.
    EXPECT_THAT(TextoVistaPrevia(v), HasSubstr("Renglones del comprobante resumen"));
    EXPECT_THAT(JsonVistaPrevia(v), HasSubstr("\"grupos\":" + TextoEntero(v.pasadas[0].grupos)));
}

TEST_F(Previa, UnaSegundaVistaPreviaDespuesDeLaCorridaVeLaNuevaClaveYNadaDeTemporales) {
    Demo(1500, 5);
    host.casillas[0] = false;
    CorrerConDiario("31/12/2021");
    const VistaPrevia v = CalcularVistaPrevia(*s, "31/12/2021", false, true, true);
    for (const auto& t : v.trabajo) EXPECT_EQ(t.filas, 0) << t.tabla;
    for (const auto& h : v.historial) EXPECT_EQ(h.filas, 0) << h.tabla;
    ASSERT_EQ(v.pasadas.size(), 2u);
    const Informe i = ArmarInforme(*diario);
    ASSERT_EQ(i.comprobantes.size(), 2u);
    // The next summary voucher takes the next number of the same branch.
    const auto previa = ClaveComprobante::Leer(v.pasadas[0].comprobante);
    const auto hecha = ClaveComprobante::Leer(i.comprobantes[0].clave);
    EXPECT_EQ(std::make_pair(previa.sucursal, LeerNumero(previa.numero)),
              std::make_pair(hecha.sucursal, LeerNumero(hecha.numero) + 1));
}

TEST_F(Previa, CadaRazonParaNoConsolidarLaDicenIgualLaVistaPreviaYElDiarioDeLaCorrida) {
    const auto cc = [this](const std::string& numero, const std::string& fecha) {
        Sql("INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], IMPORTE, FECHA) "
            "VALUES ('1', 'CC', '0001', '" +
            numero + "', 'X', 'D', 1, '" + fecha + "')");
    };
    const auto ajeno = [this] {
        Sql("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo) VALUES "
            "('DEPURACION_EN_CURSO_CC', '000100000077X', '31/12/2020', 'DATOS')");
    };
    struct Caso {
        const char* nombre;
        std::function<void()> preparar;
        const char* motivo;     // part of what the preview says, and the journal with it
        const char* resultado;  // the consolidation's outcome in the journal
        const char* dialogo;    // part of the run's one message box ("": none)
        bool error;             // the run reports an error
        const char* leyenda;    // the progress bar's ("": none)
    };
    const Caso casos[] = {
        {"sin tipo CC", [&] { Tipos(false, true); }, "falta el codigo CC", resultado::kNoEjecutada,
         "DEBE DAR DE ALTA EN TABLA DE COMPROBANTES EL CODIGO CC PARA SALDO INICIAL...", false, ""},
        {"sucursal de cinco", [&] { Tipos(true, true, 12345); }, "(se obtuvo '12345')",
         resultado::kNoEjecutada, "COMPROBANTE CC PARA SALDO INICIAL (SE OBTUVO '12345')", true, ""},
        {"numero agotado", [&] { Tipos(), cc("99999999", "01/01/2023"); }, "ya llego al numero 99999999",
         resultado::kNoEjecutada, "YA LLEGO AL NUMERO 99999999", true, ""},
        // Numbers another tool wrote short: the greatest as text is "9", and the key after it is taken.
        {"clave ya usada",
         [&] {
             Tipos(), cc("9", "01/01/2023"), cc("00000010", "01/01/2023");
             Entrada("FC", "00000001", "1.1.01", "D", 100, "01/03/2021");
         },
         "000100000010X que sigue al mayor numero", resultado::kNoEjecutada,
         "YA TIENE RENGLONES EN MV_ASIENTOS", true, ""},
        {"tabla vacia", [&] { Tipos(); }, "no hay asientos", resultado::kOmitida, "", false, ""},
        {"todo despues", [&] { Tipos(), cc("00000001", "05/03/2021"); }, "no hay asientos hasta la fecha",
         resultado::kOmitida, "", false, "No hay datos 100%"},
        {"registro ajeno", [&] { Tipos(), cc("00000077", "01/01/2021"), ajeno(); }, "DEPURACION INTERRUMPIDA",
         resultado::kNoEjecutada, "DEPURACION INTERRUMPIDA", true, ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Nueva(c.nombre);
        Ejercicios();
        c.preparar();
        const VistaPrevia v = CalcularVistaPrevia(*s, "02/03/2021", false, true, false);
        ASSERT_EQ(v.pasadas.size(), 2u);
        const PreviaPasada& p = v.pasadas[0];
        EXPECT_FALSE(p.correria);
        EXPECT_THAT(p.motivo, HasSubstr(c.motivo));
        EXPECT_FALSE(v.pasadas[1].correria);
        EXPECT_EQ(v.pasadas[1].motivo, "la pasada anterior termina la consolidacion");

        const auto asientos = [this] {
            return Uno("SELECT COUNT(*) || ';' || TOTAL(IMPORTE) FROM MV_ASIENTOS").ATexto();
        };
        const std::string antes = asientos();
        Olvidar();
        host.leyendas.clear();
        host.casillas[0] = host.casillas[2] = false;
        CorrerConDiario("02/03/2021");
        EXPECT_EQ(asientos(), antes) << "the run stops where the preview said";
        EXPECT_TRUE(espia->Con("'Depuracion' AS detalle").empty()) << "no date walked";
        EXPECT_TRUE(espia->Con("TC = 'FP'").empty()) << "the run ended before the second pass";
        EXPECT_EQ(host.hayError, c.error);
        EXPECT_EQ(host.leyendas,
                  *c.leyenda ? std::vector<std::string>{c.leyenda} : std::vector<std::string>{});
        if (*c.dialogo)
            EXPECT_THAT(op.Mensajes(), ElementsAre(HasSubstr(c.dialogo)));
        else
            EXPECT_THAT(op.Mensajes(), IsEmpty());
        const auto& u = diario->Unidades();
        const auto purga = std::find_if(u.begin(), u.end(), [](const UnidadDiario& x) {
            return x.purga == Purga::Asientos && x.tipo == TipoUnidad::Purga;
        });
        ASSERT_NE(purga, u.end());
        EXPECT_EQ(purga->resultado, c.resultado);
        EXPECT_THAT(purga->error, HasSubstr(p.motivo));
    }
}

TEST_F(Previa, UnaFechaRechazadaQuedaEnElDiarioYEnElInforme) {
    Demo(800, 2);
    host.casillas[0] = host.casillas[2] = false;
    const VistaPrevia v = CalcularVistaPrevia(*s, "31/03/2021", false, true, false);
    ASSERT_TRUE(v.pasadas[0].correria);
    // The first walk date of the CC pass that deletes is refused by the database.
    std::string rechazada;
    espia->rechazar = [&](const std::string& sql) {
        if (!rechazada.empty() || sql.rfind("Delete MV_ASIENTOS where fecha <= '", 0) != 0 ||
            sql.find("TC<>'FP'") == std::string::npos)
            return false;
        rechazada = sql.substr(35, sql.find('\'', 35) - 35);
        return true;
    };
    CorrerConDiario("31/03/2021");
    ASSERT_FALSE(rechazada.empty());
    EXPECT_THAT(
        De(Purga::Asientos, "CC"),
        Contains(AllOf(Field(&UnidadDiario::unidad, rechazada), Field(&UnidadDiario::resultado, "rechazada"),
                       Field(&UnidadDiario::error, Not(IsEmpty())), Field(&UnidadDiario::borradas, 0))));
    const Informe i = ArmarInforme(*diario);
    ASSERT_FALSE(i.fechasDeshechas.empty());
    EXPECT_EQ(i.fechasDeshechas[0], rechazada);
    EXPECT_EQ(i.purgas[1].resultado, "con rechazos");
    EXPECT_THAT(TextoInforme(i), HasSubstr("Fechas deshechas: " + rechazada));
}

TEST_F(Previa, ElArchivoDelDiarioTieneUnRegistroPorUnidadYUnoPorCorrida) {
    Demo(800, 2);
    host.casillas[0] = false;
    CorrerConDiario("31/03/2021");
    std::ifstream f(carpeta / "diario.jsonl");
    std::vector<std::string> lineas;
    for (std::string l; std::getline(f, l);) lineas.push_back(l);
    ASSERT_EQ(lineas.size(), diario->Unidades().size() + 1);
    for (std::size_t k = 0; k + 1 < lineas.size(); ++k) {
        EXPECT_EQ(lineas[k], Diario::JsonUnidad(diario->Unidades()[k]));
        EXPECT_THAT(lineas[k], StartsWith("{\"registro\":\"unidad\""));
    }
    EXPECT_THAT(
        lineas.back(),
        AllOf(StartsWith("{\"registro\":\"corrida\",\"hasta\":\"31/03/2021\",\"purgas\":[\"asientos\","
                         "\"temporales\"]"),
              HasSubstr("\"fecha_grabada\":true"), HasSubstr("\"cancelado\":false")));
    // The unticked stock purge is recorded as skipped.
    EXPECT_THAT(diario->Unidades(), Contains(AllOf(Field(&UnidadDiario::purga, Purga::Stock),
                                                   Field(&UnidadDiario::resultado, "omitida"))));
    // A second run appends.
    CorrerConDiario("30/06/2021");
    std::ifstream g(carpeta / "diario.jsonl");
    std::size_t n = 0;
    for (std::string l; std::getline(g, l);) ++n;
    EXPECT_EQ(n, lineas.size() + diario->Unidades().size() + 1);
}

TEST_F(Previa, UnDiarioQueNoSePuedeEscribirNoCambiaLaCorrida) {
    Demo(800, 2);
    host.casillas[0] = false;
    CorrerConDiario("31/03/2021", (carpeta / "no" / "existe" / "diario.jsonl").string());
    EXPECT_FALSE(diario->Escrito());
    EXPECT_FALSE(host.hayError);
    EXPECT_FALSE(Resumen(false).empty());
    EXPECT_EQ(Cfg(*s, "FECHAULTIMADEPURACION"), "31/03/2021");
    // In a folder others write in, a name planted as a link or as another user's file (which that
    // user could read) is not written.
    const auto otro = carpeta / "otro.txt";
    std::ofstream(otro) << "de otro programa\n";
    for (const bool enlace : {true, false}) {
        const auto ruta = carpeta / (enlace ? "enlace.jsonl" : "ajeno.jsonl");
        if (enlace) {
            std::error_code ec;
            std::filesystem::create_symlink(otro, ruta, ec);
            if (ec) continue;  // a system that lets no test make links (Wine)
        } else {
            std::ofstream(ruta) << "";
            std::filesystem::permissions(ruta, std::filesystem::perms(0666));
            if (!CambiarDueno(ruta)) continue;  // only root can plant it here
        }
        Diario d(ruta.string());
        d.Iniciar("31/03/2021", false, true, false);
        d.Terminar(false);
        EXPECT_FALSE(d.Escrito()) << ruta;
        EXPECT_EQ(std::filesystem::file_size(enlace ? otro : ruta), enlace ? 17u : 0u) << ruta;
    }
}

TEST_F(Previa, ElDiarioNoGuardaContrasenasYUnaCorridaCanceladaLoDice) {
    // The last line of an earlier run cut short (a full disk): this run's lines start on their own.
    std::ofstream(carpeta / "d.jsonl") << "{\"registro\":\"unid";
    Diario d((carpeta / "d.jsonl").string(), [] { return Fecha::DesdeYMD(2024, 1, 2, 3, 4, 5); });
    d.Iniciar("31/12/2020", true, false, false);
    UnidadDiario u(Purga::Stock, TipoUnidad::Sentencia, "EXEC KS_DEPURA_STOCK");
    u.resultado = "rechazada";
    u.error = "Login failed: DSN=suite;UID=sa;PWD=secreto;";
    d.Unidad(u);
    // A backup of years of data, beyond 32 bits (Windows' long): its size, not its rows.
    UnidadDiario copia(Purga::Copia, TipoUnidad::Copia, "/copias/suite.db");
    copia.resultado = resultado::kOk;
    copia.filas = 5'000'000'000;
    d.Unidad(copia);
    d.Terminar(true);
    std::ifstream f(carpeta / "d.jsonl");
    std::string todo((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::istringstream lineas(todo);
    std::string linea;
    std::getline(lineas, linea);
    EXPECT_EQ(linea, "{\"registro\":\"unid");
    int enteras = 0;
    for (; std::getline(lineas, linea); ++enteras) EXPECT_TRUE(Json::accept(linea)) << linea;
    EXPECT_EQ(enteras, 5);
    EXPECT_THAT(todo,
                AllOf(Not(HasSubstr("secreto")), HasSubstr("PWD="),
                      HasSubstr("\"inicio\":\"2024-01-02T03:04:05\""), HasSubstr("\"cancelado\":true")));
    const Informe i = ArmarInforme(d);
    EXPECT_TRUE(i.cancelado);
    EXPECT_THAT(TextoInforme(i), AllOf(HasSubstr("Proceso cancelado"),
                                       HasSubstr("Copia de seguridad: /copias/suite.db (4882812 KB)")));
    EXPECT_THAT(todo, HasSubstr("\"filas\":5000000000"));  // the backup's unit
    // A database message in another encoding still gives a line that parses.
    EXPECT_EQ(Json::parse(LineaJson({{"t", "a\"b\\c\n\xff"}}))["t"], "a\"b\\c\n\xEF\xBF\xBD");
}

TEST_F(Previa, UnServidorQueNoSeCompactaDaElEspacioDeLasTablasAntesYDespues) {
    Demo(800, 2);
    espia->espacios = {3 << 20, 1 << 20};
    CorrerConDiario("31/03/2021");
    const Informe i = ArmarInforme(*diario);
    EXPECT_EQ(i.compactacion, resultado::kOmitida);
    EXPECT_THAT(TextoInforme(i),
                HasSubstr("Espacio de las tablas depuradas: 3,0 MB antes, 1,0 MB después (no se compacta)"));
    EXPECT_THAT(JsonInforme(i), HasSubstr("\"bytes_antes\":3145728,\"bytes_despues\":1048576"));
}

// The window is a Qt program, which takes its locale from the environment: under a Spanish one
// printf writes a decimal comma. The report's sizes and the JSON's amounts must not follow it.
TEST(InformeEnCastellano, LasCifrasNoDependenDelIdiomaDelProceso) {
    const std::string antes = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "es_AR.UTF-8") == nullptr) GTEST_SKIP() << "falta el idioma es_AR.UTF-8";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    Informe i;
    i.hasta = "31/12/2021";
    i.compactacion = resultado::kOk;
    i.bytesAntes = 3500000;
    i.bytesDespues = 1048576;
    i.verificaciones.push_back({"CC", "diferencias", 2, -12345, 0, ""});
    const std::string texto = TextoInforme(i);
    const Json j = Json::parse(JsonInforme(i));
    std::setlocale(LC_ALL, antes.c_str());
    EXPECT_THAT(texto, HasSubstr("3,3 MB antes, 1,0 MB después"));
    EXPECT_DOUBLE_EQ(j["pasadas"][0]["verificacion"]["diferencia"].get<double>(), -123.45);
    EXPECT_THAT(JsonInforme(i), HasSubstr("\"diferencia\":-123.45"));
}

}  // namespace
}  // namespace dep::prueba
