// Giving the freed pages back to the file system: VACUUM, after checking that it keeps every
// row's identity and that the disk holds the copy it makes.
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/falla.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void NoCompacta(const std::string& motivo) {
    throw Falla(err::kBaseDatos, "No se pudo compactar la base de datos: " + motivo, "depuracion/sqlite");
}

// Where SQLite puts the temporary copy VACUUM builds.
fs::path CarpetaTemporal() {
    for (const char* v : {"SQLITE_TMPDIR", "TMPDIR"})
        if (const char* d = std::getenv(v); d && *d && fs::is_directory(d)) return d;
    for (const char* d : {"/var/tmp", "/usr/tmp", "/tmp"})
        if (fs::is_directory(d)) return d;
    return ".";
}

}  // namespace

Compactacion ConexionSqlite::Compactar() {
    if (nivel_ > 0) NoCompacta("hay una transacción en curso");
    Compactacion c;
    std::error_code ec;
    c.antes = static_cast<long long>(fs::file_size(ruta_, ec));
    const long long pagina = sqlite::PrimerEntero(db_, "PRAGMA page_size");
    const long long libres = sqlite::PrimerEntero(db_, "PRAGMA freelist_count");
    const long long paginas = sqlite::PrimerEntero(db_, "PRAGMA page_count");
    if (libres <= 0) {
        c.despues = c.antes;
        return c;
    }
    // VACUUM renumbers the rows of a table that declares no key: their row number is all that
    // tells them apart, and another program may hold on to it.
    {
        sqlite::SentenciaPreparada st(
            db_,
            "SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND m.name NOT LIKE "
            "'sqlite%' AND NOT EXISTS (SELECT 1 FROM pragma_table_info(m.name) p WHERE "
            "p.pk > 0)");
        while (st && sqlite3_step(st.get()) == SQLITE_ROW) {
            const std::string tabla = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
            if (sqlite::PrimerEntero(db_, "SELECT EXISTS (SELECT 1 FROM \"" + tabla + "\")") > 0)
                NoCompacta("la tabla " + tabla +
                           " no declara clave primaria y compactar cambiaría el número interno de sus filas");
        }
    }
    // The copy is built in the temporary folder, then written through the journal beside the file.
    const long long usado = (paginas - libres) * pagina + (1 << 20);
    const auto enBase = fs::space(fs::absolute(ruta_, ec).parent_path(), ec);
    const fs::path temporal = CarpetaTemporal();
    std::error_code ec2;
    const auto enTemporal = fs::space(temporal, ec2);
    const bool mismo = fs::equivalent(fs::absolute(ruta_, ec).parent_path(), temporal, ec2) ||
                       (enBase.capacity == enTemporal.capacity && enBase.available == enTemporal.available);
    const long long haceFalta = mismo ? 2 * usado : usado;
    if (!ec && static_cast<long long>(enBase.available) < haceFalta)
        NoCompacta("no hay espacio en el disco de la base de datos: hacen falta " +
                   std::to_string(haceFalta >> 20) + " MB y quedan " +
                   std::to_string(enBase.available >> 20) + " MB; no se modificó nada");
    if (!mismo && static_cast<long long>(enTemporal.available) < usado)
        NoCompacta("no hay espacio en la carpeta temporal '" + temporal.string() + "': hacen falta " +
                   std::to_string(usado >> 20) + " MB; no se modificó nada");
    // A disk copy rather than one in memory: the database may be larger than the memory at hand.
    sqlite3_exec(db_, "PRAGMA temp_store=FILE", nullptr, nullptr, nullptr);
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, "VACUUM", nullptr, nullptr, &msg);
    const std::string texto = msg ? msg : "";
    sqlite3_free(msg);
    sqlite3_exec(db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    Trazar("Compactar", "VACUUM", rc == SQLITE_OK ? "hecho" : "ERROR " + texto);
    // VACUUM is one transaction: when it fails the file is as it was.
    if (rc != SQLITE_OK) NoCompacta(texto + "; no se modificó nada");
    sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    OlvidarEsquema();
    c.despues = static_cast<long long>(fs::file_size(ruta_, ec));
    return c;
}

}  // namespace dep
