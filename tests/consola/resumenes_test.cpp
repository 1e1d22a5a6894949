// The console's preview, run journal and end-of-run report, against real runs on demo databases.
#include <fstream>
#include <iterator>
#include <map>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include "purge/diario.hpp"
#include "runtime/ajustes.hpp"
#include "tests/consola/base_consola.hpp"

namespace dep::consola {
namespace {

using Json = nlohmann::json;

std::string Bytes(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lineas(const std::string& ruta) {
    std::vector<std::string> v;
    std::ifstream f(ruta);
    for (std::string l; std::getline(f, l);) v.push_back(l);
    return v;
}

// The last line of a text: with --formato json the report follows the run's messages.
std::string UltimaLinea(const std::string& s) {
    std::string t = s;
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

class Resumenes : public Consola {
  protected:
    // The embedded engine puts a file it opens for the first time in WAL mode (two header bytes):
    // done once here, so that what the preview might change is all that is compared.
    void AbrirUnaVez() {
        AjustesConexion a;
        a.motor = "sqlite";
        a.base = base;
        AbrirConexion(a).reset();
    }
    long long Filas(const std::string& tabla, const std::string& condicion = "") {
        return Uno("SELECT COUNT(*) FROM " + tabla + (condicion.empty() ? "" : " WHERE " + condicion));
    }
};

TEST_F(Resumenes, LaVistaPreviaNoCambiaNadaYAnunciaLoQueHaceLaCorrida) {
    AbrirUnaVez();
    const std::string antes = Bytes(base);
    const long long asientosAntes = Filas("MV_ASIENTOS");

    ASSERT_EQ(Correr_({"--hasta", "30/06/2022", "--base", base, "--vista-previa"}), 0) << err.str();
    EXPECT_EQ(out.str().rfind("VISTA PREVIA DE LA DEPURACIÓN HASTA EL 30/06/2022", 0), 0u) << out.str();
    EXPECT_TRUE(Contiene(out.str(),
                         "Purgas marcadas: Movimientos de Stock, ventas, compras; Asientos; "
                         "Temporales e historial cambio de precios"))
        << out.str();
    EXPECT_TRUE(Contiene(out.str(), "Renglones del comprobante resumen")) << out.str();
    ASSERT_EQ(Correr_({"--hasta", "30/06/2022", "--base", base, "--vista-previa", "--formato", "json"}), 0)
        << err.str();
    const Json v = Json::parse(out.str());
    EXPECT_EQ(Bytes(base), antes) << "the preview wrote to the database";
    EXPECT_FALSE(std::filesystem::exists(Diario::RutaPorDefecto())) << "a preview is no run";
    EXPECT_EQ(v.at("vista_previa"), true);
    EXPECT_EQ(v.at("purgas"), Json({{"stock", true}, {"asientos", true}, {"temporales", true}}));

    // What it announced is what the run does.
    std::map<std::string, long long> trabajo;
    long long temporales = 0;
    for (const auto& t : v.at("temporales")) {
        const std::string tabla = t.at("tabla");
        trabajo[tabla] = t.at("filas");
        EXPECT_EQ(trabajo[tabla], Filas(tabla)) << tabla;
        temporales += trabajo[tabla];
    }
    for (const auto& t : v.at("historial")) temporales += t.at("filas").get<long long>();
    EXPECT_GT(temporales, 0);

    const std::string diario = (carpeta / "corrida.jsonl").string();
    ASSERT_EQ(Correr_({"--hasta", "30/06/2022", "--base", base, "--formato", "json", "--diario", diario}), 0)
        << out.str() << err.str();
    for (const char* t : {"Finalizado Stock 100%", "Finalizado Asientos 100%", " Finalizado Temporales 100%",
                          "Inicio: ", "Final: ", "Transcurrido: "})
        EXPECT_TRUE(Contiene(err.str(), t)) << t << "\n" << err.str();
    const Json i = Json::parse(UltimaLinea(out.str()));
    EXPECT_TRUE(i.at("informe").get<bool>());
    ASSERT_EQ(i.at("purgas").size(), 3u);
    EXPECT_EQ(i.at("purgas")[2].at("filas").get<long long>(), temporales);
    for (const auto& [tabla, n] : trabajo) EXPECT_EQ(Filas(tabla), 0) << tabla << " had " << n;

    const auto& pasadas = v.at("pasadas");
    ASSERT_EQ(pasadas.size(), 2u);
    ASSERT_EQ(i.at("comprobantes").size(), 2u);
    long long consolidados = 0, renglones = 0;
    for (std::size_t k = 0; k < 2; ++k) {
        const Json &p = pasadas[k], &c = i.at("comprobantes")[k];
        ASSERT_EQ(p.at("correria"), true) << p;
        EXPECT_EQ(Json::array({c.at("tipo"), c.at("clave"), c.at("filas")}),
                  Json::array({p.at("tipo"), p.at("comprobante"), p.at("grupos")}));
        consolidados += p.at("asientos").get<long long>() + p.at("cierres").get<long long>();
        renglones += p.at("grupos").get<long long>();
        const std::string tipo = c.at("tipo"), clave = c.at("clave");
        EXPECT_EQ(
            Filas("MV_ASIENTOS", "TC = '" + tipo + "' AND SUCURSAL || NUMERO || LETRA = '" + clave + "'"),
            c.at("filas"));
    }
    EXPECT_EQ(i.at("purgas")[1].at("filas").get<long long>(), consolidados);
    EXPECT_EQ(asientosAntes - Filas("MV_ASIENTOS"), consolidados - renglones);
    EXPECT_TRUE(i.at("fecha_grabada").get<bool>() && FechaGrabada("30/06/2022"));
    EXPECT_TRUE(i.at("fechas_deshechas").empty());
}

TEST_F(Resumenes, ElDiarioTieneUnObjetoPorLineaYSumaLosCambiosDeLaBase) {
    const long long asientosAntes = Filas("MV_ASIENTOS");
    const long long historialAntes = Filas("MV_TRANSMISIONESLOG") + Filas("V_MV_PRECIOSHIS");
    ASSERT_EQ(Correr_({"--hasta", "31/12/2021", "--base", base, "--asientos", "--temporales"}), 0)
        << out.str();
    EXPECT_TRUE(Contiene(out.str(), "RESUMEN DE LA DEPURACIÓN HASTA EL 31/12/2021")) << out.str();
    EXPECT_TRUE(Contiene(out.str(), "Movimientos de Stock, ventas, compras: no marcada")) << out.str();

    // Without --diario: beside KSERR.LOG, in the TEMP folder.
    const std::string ruta = Diario::RutaPorDefecto();
    EXPECT_EQ(std::filesystem::path(ruta).parent_path(), carpeta);
    const auto lineas = Lineas(ruta);
    ASSERT_GT(lineas.size(), 2u);
    std::vector<Json> d;
    for (const auto& l : lineas) {
        ASSERT_EQ(l.front(), '{') << l;
        d.push_back(Json::parse(l));
    }
    const Json& corrida = d.back();
    const Json esperado = {
        {"registro", "corrida"}, {"hasta", "31/12/2021"}, {"purgas", Json::array({"asientos", "temporales"})},
        {"fecha_grabada", true}, {"cancelado", false},    {"unidades", d.size() - 1}};
    for (const auto& [clave, valor] : esperado.items()) EXPECT_EQ(corrida.at(clave), valor) << clave;

    long long total = 0, borradas = 0, refechadas = 0, temporales = 0, historial = 0;
    for (std::size_t k = 0; k + 1 < d.size(); ++k) {
        const Json& u = d[k];
        ASSERT_EQ(u.at("registro"), "unidad");
        EXPECT_NE(u.at("resultado"), "rechazada") << lineas[k];
        const long long filas = u.at("filas");
        const std::string purga = u.at("purga"), unidad = u.at("unidad");
        if (filas > 0) total += filas;
        if (purga == "asientos" && unidad == "refechado") {
            refechadas += filas;
        } else if (purga == "asientos") {
            borradas += u.at("borradas").get<long long>();
        } else if (purga == "temporales") {
            temporales += filas;
            if (unidad.rfind("DELETE ", 0) == 0) historial += filas;
        }
    }
    EXPECT_EQ(corrida.at("filas"), total);
    // Rows affected add up to the database's change.
    EXPECT_EQ(asientosAntes - Filas("MV_ASIENTOS"), borradas - refechadas);
    EXPECT_EQ(historialAntes - Filas("MV_TRANSMISIONESLOG") - Filas("V_MV_PRECIOSHIS"), historial);
    EXPECT_GT(temporales, historial);
}

TEST_F(Resumenes, UnaCorridaCanceladaLoDiceEnElDiarioYEnElResumen) {
    const std::string diario = (carpeta / "d.jsonl").string();
    int llamadas = 0;
    const int r = Correr_(
        {"--hasta", "30/06/2022", "--base", base, "--asientos", "--diario", diario, "--formato", "json"},
        [&] {
            if (++llamadas == 3) PedirCtrlC();
        });
    SoltarCtrlC();
    EXPECT_EQ(r, 1) << out.str() << err.str();
    EXPECT_TRUE(Contiene(err.str(), "CANCELANDO Espere...")) << err.str();
    EXPECT_TRUE(Contiene(out.str(), "Proceso Cancelado")) << out.str();
    EXPECT_FALSE(FechaGrabada("30/06/2022"));
    const Json i = Json::parse(UltimaLinea(out.str()));
    EXPECT_TRUE(i.at("cancelado").get<bool>());
    EXPECT_FALSE(i.at("fecha_grabada").get<bool>());
    const Json c = Json::parse(Lineas(diario).back());
    EXPECT_TRUE(c.at("cancelado").get<bool>());
    EXPECT_FALSE(c.at("fecha_grabada").get<bool>());
}

TEST_F(Resumenes, UnaClaveEnUnMensajeDeLaBaseNoLlegaAlDiario) {
    // A server that echoes a connection string in its refusal.
    {
        demo::Bd bd(base);
        bd.Ejecutar(
            "CREATE TRIGGER t1 BEFORE DELETE ON AUX_TMP BEGIN SELECT RAISE(ABORT, "
            "'Login failed: DRIVER=x;UID=sa;PWD=Zq9Secr%to;'); END");
        bd.Ejecutar(
            "CREATE TRIGGER t2 BEFORE DELETE ON AUX_ERR BEGIN SELECT RAISE(ABORT, "
            "'Login failed: Server=x;Password=Zq9Secr%to'); END");
    }
    const std::string diario = (carpeta / "d.jsonl").string();
    EXPECT_EQ(Correr_({"--hasta", "31/12/2021", "--base", base, "--temporales", "--diario", diario}), 0);
    EXPECT_TRUE(Contiene(out.str(), "(2 rechazada(s) por la base de datos)")) << out.str();
    const std::string texto = Bytes(diario);
    EXPECT_TRUE(Contiene(texto, "\"resultado\":\"rechazada\",\"error\":")) << texto;
    EXPECT_FALSE(Contiene(texto, "Secr%to")) << texto;
    EXPECT_FALSE(Contiene(out.str(), "Secr%to"));
}

TEST_F(Resumenes, UnaVistaPreviaRechazadaTerminaEnTres) {
    {
        demo::Bd bd(base);
        bd.Ejecutar("DROP TABLE V_TA_CPTE");
    }
    AbrirUnaVez();
    const std::string antes = Bytes(base);
    EXPECT_EQ(Correr_({"--hasta", "30/06/2022", "--base", base, "--vista-previa", "--asientos"}), 3)
        << out.str();
    EXPECT_TRUE(Contiene(err.str(), "No se pudo calcular la vista previa: ")) << err.str();
    EXPECT_EQ(Bytes(base), antes);
    // A bad date is the run's "Fecha incorrecta", before any connection.
    EXPECT_EQ(Correr_({"--hasta", "31/02/2022", "--base", base, "--vista-previa"}), 2);
    EXPECT_EQ(out.str(), "Fecha incorrecta\n");
}

}  // namespace
}  // namespace dep::consola
