// Opening the database file, transactions, the entry points Execute / Consultar, the statement
// trace and the refusals for tests.
#include "runtime/sqlite/conexion_sqlite.hpp"

#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

#include "runtime/archivo_acotado.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/motores.hpp"
#include "runtime/plataforma/acceso.hpp"
#include "runtime/plataforma/identidad.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "runtime/sqlite/colacion.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void NoAbre(const std::string& ruta, const std::string& motivo) {
    throw Falla(err::kConexion, "No se puede abrir la base de datos '" + ruta + "': " + motivo,
                kFuenteSqlite);
}

std::string MotivoSqlite(int rc, const char* mensaje) {
    const std::string texto = mensaje ? mensaje : sqlite3_errstr(rc);
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
            return "el archivo no es una base de datos (" + texto + ")";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return std::string("la base de datos está ") + kBloqueadaPorOtro + " (" + texto + ")";
        case SQLITE_READONLY:
            return "el archivo es de solo lectura (" + texto + ")";
        case SQLITE_CANTOPEN:
            return "no se puede abrir el archivo (" + texto + ")";
        case SQLITE_CORRUPT:
            return "el archivo está dañado (" + texto + ")";
        case SQLITE_FULL:
            return "el disco está lleno (" + texto + ")";
        case SQLITE_IOERR:
            return "falló la lectura o la escritura en el disco; revise el espacio libre y el estado del "
                   "disco (" +
                   texto + ")";
        default:
            return texto;
    }
}

// Runs a statement that returns at most one text, at opening time.
int Una(sqlite3* db, const char* sql, std::string* valor = nullptr) {
    sqlite::SentenciaPreparada st(db, sql);
    if (!st) return st.Codigo();
    if (st.Fila() && valor) *valor = st.Columna(0);
    while (st.Codigo() == SQLITE_ROW) st.Fila();
    return st.Codigo() == SQLITE_DONE ? SQLITE_OK : st.Codigo();
}

// The admin database named by the settings: a file, as given or beside the main file, with or
// without ".db".
std::string ArchivoAdmin(const std::string& prefijo, const fs::path& principal) {
    const fs::path p = Ruta(prefijo);
    for (const fs::path& c : {p, principal.parent_path() / p, Ruta(prefijo + ".db"),
                              principal.parent_path() / Ruta(prefijo + ".db")}) {
        std::error_code ec;
        if (fs::is_regular_file(c, ec)) return TextoRuta(c);
    }
    return {};
}

}  // namespace

bool EsArchivoDeLaBase(const std::string& ruta, const std::string& base) {
    std::error_code ec;
    const fs::path r = fs::weakly_canonical(fs::absolute(Ruta(ruta), ec), ec);
    const auto id = IdentidadDe(ruta);
    for (const auto& f : ArchivosDeLaBase(base)) {
        std::error_code e2;
        const fs::path c = fs::weakly_canonical(fs::absolute(Ruta(f), e2), e2);
        if (!ec && !e2 && MismoNombre(TextoRuta(r), TextoRuta(c))) return true;
        // The same file under another name (a hard link, or another letter case on Windows).
        if (id && IdentidadDe(f) == id) return true;
    }
    return false;
}

std::shared_ptr<Conexion> AbrirSqlite(const AjustesConexion& a) {
    return ConexionSqlite::Abrir(a);
}

std::shared_ptr<ConexionSqlite> ConexionSqlite::Abrir(const AjustesConexion& a) {
    const std::string& ruta = a.base;
    if (Recortar(ruta).empty())
        throw Falla(err::kConexion, "No se indicó el archivo de la base de datos", kFuenteSqlite);
    std::error_code ec;
    const auto estado = fs::status(Ruta(ruta), ec);
    if (!fs::exists(estado)) NoAbre(ruta, "no existe el archivo");
    if (!fs::is_regular_file(estado)) NoAbre(ruta, "no es un archivo");
    using plataforma::Acceso;
    if (!plataforma::Permite(ruta, Acceso::kLectura))
        NoAbre(ruta, "no hay permiso de lectura sobre el archivo");
    if (!plataforma::Permite(ruta, Acceso::kEscritura)) NoAbre(ruta, "el archivo es de solo lectura");
    const fs::path carpeta = fs::absolute(Ruta(ruta), ec).parent_path();
    if (!plataforma::Permite(TextoRuta(carpeta), Acceso::kEscritura))
        NoAbre(ruta, "la carpeta '" + TextoRuta(carpeta) +
                         "' no admite escritura y el diario de transacciones va en ella");

    sqlite3* db = nullptr;
    // No SQLITE_OPEN_CREATE: a missing database is never created silently.
    int rc = sqlite3_open_v2(ruta.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto fallar = [&](int codigo) {
        const std::string motivo = MotivoSqlite(codigo, db ? sqlite3_errmsg(db) : nullptr);
        sqlite3_close_v2(db);
        NoAbre(ruta, motivo);
    };
    if (rc != SQLITE_OK) fallar(rc);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, a.esperaBloqueo > 0 ? a.esperaBloqueo : 0);
    if ((rc = Una(db, "SELECT count(*) FROM sqlite_master")) != SQLITE_OK) fallar(rc);
    if (sqlite3_db_readonly(db, "main") == 1) fallar(SQLITE_READONLY);
    // The file keeps the journal mode it has: other programs of the suite chose it, and a
    // preview must not change a byte of the file. With synchronous=FULL both modes are atomic
    // and durable: a write-ahead log (the demo files') appends and syncs each commit, so readers
    // of other programs do not block the long date transactions; a rollback journal makes
    // each commit wait for them, and is as safe.
    std::string modo;
    if ((rc = Una(db, "PRAGMA journal_mode", &modo)) != SQLITE_OK) fallar(rc);
    if ((rc = Una(db, "PRAGMA synchronous=FULL")) != SQLITE_OK) fallar(rc);
    // A page cache of 64 MiB instead of SQLite's 2 MiB: the consolidation's lookups walk index
    // ranges of MV_ASIENTOS date after date, and with the small cache most of their time went
    // into reading the same pages back from the file.
    if ((rc = Una(db, "PRAGMA cache_size=-65536")) != SQLITE_OK) fallar(rc);
    // Sorts of the grouping queries and the batches' savepoint journals stay in memory (they
    // are small and short-lived) instead of a temporary file created and removed each time.
    if ((rc = Una(db, "PRAGMA temp_store=MEMORY")) != SQLITE_OK) fallar(rc);
    // A database another process keeps locked for writing is reported now, not in the middle of
    // a purge: take the write lock once and give it back.
    if ((rc = Una(db, "BEGIN IMMEDIATE")) != SQLITE_OK) fallar(rc);
    Una(db, "ROLLBACK");
    if ((rc = sqlite::RegistrarColacion(db)) != SQLITE_OK) fallar(rc);

    AjustesConexion ajustes = a;
    std::string esquemaAdmin;
    if (!Recortar(a.prefijoAdmin).empty()) {
        const std::string archivo = ArchivoAdmin(Recortar(a.prefijoAdmin), Ruta(ruta));
        if (archivo.empty()) {
            sqlite3_close_v2(db);
            NoAbre(a.prefijoAdmin, "no existe el archivo de la base de datos de administración");
        }
        esquemaAdmin = "admin";
        {
            sqlite::SentenciaPreparada st(db, "ATTACH DATABASE ? AS admin");
            st.Texto(1, archivo);
            st.Fila();
            rc = st.Codigo();
        }
        if (rc != SQLITE_DONE) fallar(rc);
    }
    ajustes.prefijoAdmin = esquemaAdmin;
    std::shared_ptr<ConexionSqlite> cn(new ConexionSqlite(db, ajustes));
    cn->ruta_ = ruta;
    cn->wal_ = sqlite::MayusculasAscii(modo) == "WAL";
    if (!a.traza.empty()) {
        if (EsArchivoDeLaBase(a.traza, ruta)) {
            sqlite3_close_v2(cn->db_);
            cn->db_ = nullptr;
            NoAbre(ruta, "el archivo de traza '" + a.traza + "' es la base de datos o uno de sus archivos");
        }
        // It shows the statements, so no more than the database itself shows.
        std::string motivo;
        cn->traza_ = AbrirArchivoAcotado(a.traza, Apertura::kAnadir, PermisosDe(ruta), motivo);
        if (!cn->traza_)
            NoAbre(ruta, "no se puede escribir el archivo de traza '" + a.traza + "': " + motivo);
        cn->Trazar("Abrir", ruta, "modo de diario " + modo);
    }
    return cn;
}

ConexionSqlite::ConexionSqlite(sqlite3* db, const AjustesConexion& a)
    : db_(db),
      esperaBloqueo_(a.esperaBloqueo > 0 ? a.esperaBloqueo : 0),
      nombreBase_(TextoRuta(Ruta(a.base).stem())),
      usuario_(plataforma::UsuarioDelSistema()),
      baseAdmin_(a.prefijoAdmin),
      traductor_(*this, a.prefijoAdmin) {
    sqlite3_busy_handler(db_, &ConexionSqlite::Ocupada, this);
}

int ConexionSqlite::Ocupada(void* p, int intento) {
    auto* cn = static_cast<ConexionSqlite*>(p);
    const auto ahora = std::chrono::steady_clock::now();
    if (intento == 0) cn->inicioEspera_ = ahora;
    if (ahora - cn->inicioEspera_ >= std::chrono::milliseconds(cn->esperaBloqueo_)) return 0;
    // Whoever waits on the window's thread keeps it painted and says what it waits for.
    if (cn->alEsperar_) cn->alEsperar_();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 1;
}

void ConexionSqlite::FijarAlProgresar(std::function<void()> f) {
    // Some thousands of virtual machine steps take well under a millisecond.
    constexpr int kInstrucciones = 20000;
    alProgresar_ = std::move(f);
    ultimoProgreso_ = {};
    if (alProgresar_)
        sqlite3_progress_handler(db_, kInstrucciones, &ConexionSqlite::Progreso, this);
    else
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

int ConexionSqlite::Progreso(void* p) {
    auto* cn = static_cast<ConexionSqlite*>(p);
    const auto ahora = std::chrono::steady_clock::now();
    if (ahora - cn->ultimoProgreso_ < std::chrono::milliseconds(30)) return 0;
    cn->ultimoProgreso_ = ahora;
    cn->alProgresar_();
    return 0;  // never interrupts the statement
}

// In a write-ahead log each commit is one appended record that a crash either keeps whole or loses
// whole, so synchronous=NORMAL keeps every commit atomic and only defers its sync to the disk. A
// rollback journal needs FULL for that, and keeps it.
void ConexionSqlite::DiferirSincronizacion(bool diferir) {
    if (!wal_ || !db_) return;
    sqlite3_exec(db_, diferir ? "PRAGMA synchronous=NORMAL" : "PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
}

void ConexionSqlite::Sincronizar() {
    if (!wal_ || !db_) return;
    // The checkpoint syncs the log and copies it into the file where no reader holds it back; the
    // log's own sync then covers what a reader kept it from copying.
    sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
    sqlite3_file* log = nullptr;
    int rc = sqlite3_file_control(db_, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log);
    if (rc == SQLITE_OK && log && log->pMethods) rc = log->pMethods->xSync(log, SQLITE_SYNC_FULL);
    if (rc != SQLITE_OK)
        Rehusar("No se pudieron asegurar en el disco los cambios confirmados: " + MotivoSqlite(rc, nullptr),
                "HY000");
}

ConexionSqlite::~ConexionSqlite() {
    sentencias_.clear();
    if (db_) {
        if (nivel_ > 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
    }
}

void ConexionSqlite::Rehusar(const std::string& descripcion, const std::string& estado) {
    errores_.push_back(ErrorBD{err::kBaseDatos, descripcion, kFuenteSqlite, estado, false});
    throw Falla(err::kBaseDatos, descripcion, kFuenteSqlite);
}

void ConexionSqlite::Trazar(const char* que, const std::string& sql, const std::string& resultado) {
    if (traza_) traza_.Escribir(EntradaTraza(que, sql, resultado));
}

void ConexionSqlite::BeginTrans() {
    const std::string sql = nivel_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT dep_t" + std::to_string(nivel_ + 1);
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
    const std::string texto = msg ? msg : "";
    sqlite3_free(msg);
    Trazar("BeginTrans", sql, rc == SQLITE_OK ? "hecho" : "ERROR " + texto);
    if (rc != SQLITE_OK)
        throw Falla(err::kBaseDatos,
                    "No se puede iniciar la transacción en '" + nombreBase_ +
                        "': " + MotivoSqlite(rc, msg ? texto.c_str() : nullptr),
                    kFuenteSqlite);
    ++nivel_;
}

void ConexionSqlite::CommitTrans() {
    if (nivel_ == 0)
        throw Falla(err::kOperacionNoPermitida, "No hay ninguna transacción iniciada que confirmar",
                    kFuenteSqlite);
    if (nivel_ == 1 && sqlite3_get_autocommit(db_)) {
        nivel_ = 0;
        Trazar("CommitTrans", "COMMIT", "ERROR la base de datos ya había anulado la transacción");
        throw Falla(err::kBaseDatos, "La base de datos anuló la transacción antes de confirmarla",
                    kFuenteSqlite);
    }
    const std::string sql = nivel_ == 1 ? "COMMIT" : "RELEASE dep_t" + std::to_string(nivel_);
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
    const std::string texto = msg ? msg : "";
    sqlite3_free(msg);
    Trazar("CommitTrans", sql, rc == SQLITE_OK ? "hecho" : "ERROR " + texto);
    if (rc != SQLITE_OK)
        throw Falla(err::kBaseDatos,
                    "No se puede confirmar la transacción: " + MotivoSqlite(rc, texto.c_str()),
                    kFuenteSqlite);
    --nivel_;
}

void ConexionSqlite::RollbackTrans() {
    if (nivel_ == 0)
        throw Falla(err::kOperacionNoPermitida, "No hay ninguna transacción iniciada que anular",
                    kFuenteSqlite);
    std::string sql;
    if (nivel_ == 1)
        sql = sqlite3_get_autocommit(db_) ? "" : "ROLLBACK";
    else
        sql = "ROLLBACK TO dep_t" + std::to_string(nivel_) + "; RELEASE dep_t" + std::to_string(nivel_);
    char* msg = nullptr;
    const int rc = sql.empty() ? SQLITE_OK : sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
    const std::string texto = msg ? msg : "";
    sqlite3_free(msg);
    Trazar("RollbackTrans", sql, rc == SQLITE_OK ? "hecho" : "ERROR " + texto);
    --nivel_;
    if (rc != SQLITE_OK)
        throw Falla(err::kBaseDatos, "No se puede anular la transacción: " + MotivoSqlite(rc, texto.c_str()),
                    kFuenteSqlite);
}

long ConexionSqlite::Execute(const std::string& sql) {
    return Correr(sql, nullptr, "Execute");
}

Resultado ConexionSqlite::Consultar(const std::string& sql) {
    Resultado r;
    Correr(sql, &r, "Consultar");
    return r;
}

}  // namespace dep
