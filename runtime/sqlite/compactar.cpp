// Giving the freed pages back to the file system: VACUUM, after checking that it keeps every
// row's identity and that the disk holds the copy it makes. What it declines to do is an outcome
// the caller reports, not a failure; only SQLite failing the VACUUM raises.
#include <sqlite3.h>

#include <filesystem>

#include "runtime/archivo_acotado.hpp"
#include "runtime/falla.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "runtime/plataforma/temporal.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/interrupcion.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"
#include "runtime/sqlite/traductor_interno.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void NoCompacta(const std::string& motivo) {
    throw Falla(err::kBaseDatos, "No se pudo compactar la base de datos: " + motivo, "depuracion/sqlite");
}

// The first table of the main file that holds rows and declares no key; "" when none. Only the
// names SQLite reserves ("sqlite_…", any letter case) are its own; virtual tables keep their rows
// in tables of their own, checked as any other.
std::string TablaSinClave(sqlite3* db) {
    sqlite::SentenciaPreparada st(db,
                                  "SELECT m.name FROM main.sqlite_master m WHERE m.type = 'table' AND "
                                  "m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND coalesce(m.sql, '') NOT "
                                  "LIKE 'CREATE VIRTUAL%' AND NOT EXISTS (SELECT 1 FROM "
                                  "pragma_table_info(m.name, 'main') p WHERE p.pk > 0) ORDER BY m.name");
    while (st.Fila()) {
        const std::string tabla = st.Columna(0);
        if (sqlite::PrimerEntero(
                db, "SELECT EXISTS (SELECT 1 FROM main." + sqlite::interno::Comillas(tabla) + ")") != 0)
            return tabla;
    }
    return {};
}

// Why the disk cannot hold what VACUUM writes; "" when it can.
std::string FaltaEspacio(const std::string& ruta, long long usado) {
    std::error_code ec, ec2;
    const fs::path carpeta = fs::absolute(Ruta(ruta), ec).parent_path();
    const auto enBase = fs::space(carpeta, ec);
    const fs::path temporal = Ruta(plataforma::CarpetaTemporalSqlite());
    const auto enTemporal = fs::space(temporal, ec2);
    // The copy is built in the temporary folder, then written through the journal beside the file.
    const auto idCarpeta = IdentidadDe(TextoRuta(carpeta));
    const bool mismo = (idCarpeta && IdentidadDe(TextoRuta(temporal)) == idCarpeta) ||
                       (enBase.capacity == enTemporal.capacity && enBase.available == enTemporal.available);
    const long long haceFalta = mismo ? 2 * usado : usado;
    if (!ec && static_cast<long long>(enBase.available) < haceFalta)
        return "no hay espacio en el disco de la base de datos: hacen falta " +
               std::to_string(haceFalta >> 20) + " MB y quedan " + std::to_string(enBase.available >> 20) +
               " MB";
    if (!mismo && static_cast<long long>(enTemporal.available) < usado)
        return "no hay espacio en la carpeta temporal '" + TextoRuta(temporal) + "': hacen falta " +
               std::to_string(usado >> 20) + " MB";
    return {};
}

// Not compacted: the size before is told, none after (nothing was done to measure).
Compactacion Sin(Compactacion c, EstadoCompactacion estado, const std::string& nota) {
    c.despues = estado == EstadoCompactacion::kHecha ? c.antes : -1;
    c.estado = estado;
    c.nota = nota;
    return c;
}

}  // namespace

Compactacion ConexionSqlite::Compactar(const SeCancela& cancelar) {
    if (nivel_ > 0) NoCompacta("hay una transacción en curso");
    Compactacion c;
    std::error_code ec;
    c.antes = static_cast<long long>(fs::file_size(Ruta(ruta_), ec));
    const long long pagina = sqlite::PrimerEntero(db_, "PRAGMA page_size");
    const long long libres = sqlite::PrimerEntero(db_, "PRAGMA freelist_count");
    const long long paginas = sqlite::PrimerEntero(db_, "PRAGMA page_count");
    if (libres <= 0) return Sin(c, EstadoCompactacion::kHecha, {});
    // VACUUM renumbers the rows of a table that declares no key: their row number is all that
    // tells them apart, and another program may hold on to it.
    if (const std::string tabla = TablaSinClave(db_); !tabla.empty())
        return Sin(c, EstadoCompactacion::kOmitida,
                   "la tabla " + tabla +
                       " no declara clave primaria y compactar cambiaría el número interno de sus filas, "
                       "que otro programa puede guardar; no se modificó nada");
    if (const std::string falta = FaltaEspacio(ruta_, (paginas - libres) * pagina + (1 << 20));
        !falta.empty())
        return Sin(c, EstadoCompactacion::kOmitida, falta + "; no se modificó nada");
    const std::string cancelada = "se canceló la compactación; la base de datos quedó como estaba";
    if (cancelar && cancelar()) return Sin(c, EstadoCompactacion::kCancelada, cancelada);
    // A disk copy rather than one in memory: the database may be larger than the memory at hand.
    sqlite3_exec(db_, "PRAGMA temp_store=FILE", nullptr, nullptr, nullptr);
    char* msg = nullptr;
    bool interrumpida = false;
    int rc = SQLITE_OK;
    {
        const sqlite::Interrupcion i(db_, cancelar);
        rc = sqlite3_exec(db_, "VACUUM", nullptr, nullptr, &msg);
        interrumpida = i.Disparada();
    }
    // The connection has one progress handler: the caller's, taken for the VACUUM, is put back.
    if (alProgresar_) FijarAlProgresar(alProgresar_);
    const std::string texto = msg ? msg : "";
    sqlite3_free(msg);
    sqlite3_exec(db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    Trazar("Compactar", "VACUUM", rc == SQLITE_OK ? "hecho" : interrumpida ? "cancelado" : "ERROR " + texto);
    // VACUUM is one transaction: when it fails or is interrupted the file is as it was.
    if (rc != SQLITE_OK && interrumpida) return Sin(c, EstadoCompactacion::kCancelada, cancelada);
    if (rc != SQLITE_OK) NoCompacta(texto + "; no se modificó nada");
    sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    OlvidarEsquema();
    c.despues = static_cast<long long>(fs::file_size(Ruta(ruta_), ec));
    return c;
}

}  // namespace dep
