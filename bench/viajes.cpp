// Round trips from the console's trace, and the cost of a date that holds nothing.
#include "bench/viajes.hpp"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/corrida.hpp"
#include "bench/medidas.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"

namespace dep::bench {

namespace {

constexpr int kViajesPorFechaVacia = 5;

// Per pass family, from the trace: the dates its walk visited and the first of them.
struct Recorrido {
    long long fechas = 0;
    std::optional<Fecha> primera;
};

std::optional<Fecha> FechaDelAgrupamiento(const std::string& linea) {
    const std::string marca = "Fecha <= '";
    const auto p = linea.find(marca);
    if (p == std::string::npos) return std::nullopt;
    const auto q = linea.find('\'', p + marca.size());
    return ReconocerFecha(linea.substr(p + marca.size(), q - p - marca.size()));
}

}  // namespace

double Viajes(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    const std::string traza = base + ".traza";
    std::filesystem::remove(traza);
    const double t = Consola({"--hasta", hasta, "--base", base, "--sin-compactar", "--traza", traza});
    std::ifstream in(traza);
    std::string linea, tipo;
    long long sentencias = 0, transacciones = 0, siguientes = 0;
    Recorrido pasadas[2];
    while (std::getline(in, linea)) {
        if (!linea.empty() && linea[0] == '[') {
            tipo = linea.substr(linea.find(']') + 2);
            if (tipo == "Execute" || tipo == "Consultar") ++sentencias;
            if (tipo == "BeginTrans" || tipo == "CommitTrans" || tipo == "RollbackTrans") ++transacciones;
            continue;
        }
        if (linea.find("SELECT DISTINCT FECHA FROM MV_ASIENTOS Where") != std::string::npos) ++siguientes;
        if (linea.find("'Depuracion' AS detalle") == std::string::npos) continue;
        Recorrido& r = pasadas[linea.find(kPasadas[1].filtro) != std::string::npos ? 1 : 0];
        ++r.fechas;
        if (!r.primera) r.primera = FechaDelAgrupamiento(linea);
    }
    std::filesystem::remove(traza);
    const auto corte = ReconocerFecha(hasta);
    long long saltadas = 0;
    for (const Recorrido& r : pasadas)
        if (r.primera && corte) saltadas += corte->Dias() - r.primera->Dias() + 1 - r.fechas;
    const double viajes = static_cast<double>(sentencias + transacciones);
    const double antes = viajes - static_cast<double>(siguientes) + kViajesPorFechaVacia * saltadas;
    const double sentenciasAntes = static_cast<double>(sentencias - siguientes) +
                                   (kViajesPorFechaVacia - 2) * static_cast<double>(saltadas);
    v = {viajes, static_cast<double>(sentencias), antes, sentenciasAntes, static_cast<double>(saltadas)};
    return t;
}

void AsientoDe1900(const std::string& base) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(base.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw Falla(1, "no se pudo abrir " + base, "bench");
    char* msg = nullptr;
    const int rc =
        sqlite3_exec(db,
                     "CREATE TEMP TABLE UNO AS SELECT * FROM MV_ASIENTOS WHERE ID = (SELECT MIN(ID) FROM "
                     "MV_ASIENTOS WHERE EsCierre = 0 AND ES_SALDO_APERTURA = 0);"
                     "UPDATE UNO SET ID = (SELECT MAX(ID) + 1 FROM MV_ASIENTOS), FECHA = '1900-01-01 "
                     "00:00:00';"
                     "INSERT INTO MV_ASIENTOS SELECT * FROM UNO;",
                     nullptr, nullptr, &msg);
    const std::string error = msg ? msg : "";
    sqlite3_free(msg);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) throw Falla(1, "no se pudo agregar el asiento de 1900: " + error, "bench");
}

double FechaVacia(const std::string& base, int veces) {
    auto cn = Abrir(base);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < veces; ++i) {
        cn->BeginTrans();
        cn->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
        cn->Consultar(SqlAgrupacion(CondicionAgrupacion(HastaFecha("01/01/1850"), kPasadas[0].filtro), true));
        cn->Execute("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL");
        cn->CommitTrans();
    }
    return Segundos(t0) / veces;
}

}  // namespace dep::bench
