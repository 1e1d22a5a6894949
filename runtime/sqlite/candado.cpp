// The run lock of the embedded engine: an exclusive flock on a companion file of the database
// ("<file>-corrida"). The operating system drops it when the process ends, however it ends, so
// a killed run never leaves the database locked. The holder writes who it is into the file for
// the message a second run shows.
//
// One lock per database file, whatever path reaches it: the companion is named after the file's
// canonical path (links of the file and of its folders resolved), and a file with a second name
// (a hard link) is refused, as SQLite keeps one journal per name and two names corrupt it. The
// companion is itself an input: a link, a folder, a FIFO or someone else's file planted under
// its name is refused and never written.
//
// The system's side (the lock itself, identities, openings without following links) is in
// runtime/plataforma.
#include <chrono>
#include <filesystem>
#include <thread>

#include "runtime/archivo_acotado.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/motores.hpp"
#include "runtime/plataforma/bloqueo.hpp"
#include "runtime/plataforma/identidad.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"

namespace dep {

namespace fs = std::filesystem;

namespace {

// The holder line starts so; a companion holding anything else was not written by the lock.
constexpr std::string_view kPrefijoOcupante = "proceso ";
constexpr std::size_t kMaximoOcupante = 1024;

class CandadoArchivo final : public CandadoCorrida {
  public:
    explicit CandadoArchivo(ArchivoAbierto f) : f_(std::move(f)) {}
    ~CandadoArchivo() override {
        // Emptied before it is let go, so no one reads a finished run as the holder. Should it
        // fail, the stale text is only read while somebody holds the lock.
        f_.Reemplazar({});
        plataforma::Desbloquear(f_);
    }
    CandadoArchivo(const CandadoArchivo&) = delete;
    CandadoArchivo& operator=(const CandadoArchivo&) = delete;

  private:
    ArchivoAbierto f_;
};

[[noreturn]] void NoBloquea(const std::string& motivo) {
    throw Falla(err::kBaseDatos, motivo, kFuenteSqlite);
}

// The file's path with every link and relative part resolved; as typed when it cannot be.
std::string Canonica(const std::string& ruta) {
    if (std::string c = RutaCanonica(ruta); !c.empty()) return c;
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(fs::absolute(Ruta(ruta), ec), ec);
    return ec ? ruta : TextoRuta(p);
}

// Up to kMaximoOcupante + 1 bytes of the file, trailing blanks dropped.
std::string Contenido(const ArchivoAbierto& f) {
    std::string r = f.LeerDelPrincipio(kMaximoOcupante + 1);
    while (!r.empty() && (r.back() == '\n' || r.back() == ' ')) r.pop_back();
    return r;
}

bool EsOcupante(const std::string& texto) {
    return texto.size() <= kMaximoOcupante &&
           texto.compare(0, kPrefijoOcupante.size(), kPrefijoOcupante) == 0;
}

std::string Ocupante(const ArchivoAbierto& f) {
    const std::string quien = Contenido(f);
    return EsOcupante(quien) ? quien : "otro proceso (no dejó sus datos)";
}

// Refuses a database reached by more than one name; gives its rights.
Permisos ComprobarBase(const std::string& base) {
    const auto id = IdentidadDe(base);
    if (!id) NoBloquea("no se puede consultar la base de datos '" + base + "'");
    if (id->nombres > 1)
        NoBloquea("la base de datos '" + base + "' tiene " + std::to_string(id->nombres) +
                  " nombres en el disco, enlaces duros: SQLite lleva un diario por cada nombre y, abierta "
                  "por dos de ellos, la base se daña; deje un solo nombre y vuelva a intentarlo");
    return PermisosDe(base);
}

// Opens the companion `ruta` of `base`, or refuses it naming why.
ArchivoAbierto AbrirCompanero(const std::string& ruta, const std::string& base, const Permisos& permisos) {
    std::string motivo;
    ArchivoAbierto f = AbrirArchivoAcotado(ruta, Apertura::kLeerEscribir, permisos, motivo);
    const std::string nombre = "el archivo de bloqueo de corridas '" + ruta + "' ";
    if (!f) NoBloquea(nombre + motivo + "; revíselo o quítelo y vuelva a intentarlo");
    const auto id = f.Identidad();
    if (!id) NoBloquea(nombre + "no se puede consultar");
    for (const auto& archivo : ArchivosDeLaBase(base))
        if (archivo != ruta && IdentidadDe(archivo) == id)
            NoBloquea(nombre + "es la base de datos o uno de sus archivos; quítelo y vuelva a intentarlo");
    // As open as the database: whoever may run on it may take the lock (the umask narrowed it).
    if (f.Creado()) IgualarPermisos(f, permisos);
    return f;
}

}  // namespace

std::string ArchivoCandado(const std::string& base) {
    return Canonica(base) + "-corrida";
}

std::vector<std::string> ArchivosDeLaBase(const std::string& base) {
    std::vector<std::string> r;
    for (const std::string& b : {base, Canonica(base)})
        if (r.empty() || b != r.front()) r.insert(r.end(), {b, b + "-journal", b + "-wal", b + "-shm"});
    r.push_back(ArchivoCandado(base));
    return r;
}

std::unique_ptr<CandadoCorrida> ConexionSqlite::TomarCandadoCorrida(std::string& ocupante) {
    const Permisos permisos = ComprobarBase(ruta_);
    const std::string ruta = ArchivoCandado(ruta_);
    ArchivoAbierto f = AbrirCompanero(ruta, ruta_, permisos);
    // A preview peeks with a shared lock for an instant: a run starting then tries a little longer.
    for (int intento = 0;; ++intento) {
        std::string error;
        const plataforma::Toma t = plataforma::Bloquear(f, plataforma::Bloqueo::kExclusivo, error);
        if (t == plataforma::Toma::kTomado) break;
        if (t == plataforma::Toma::kFalla) NoBloquea("no se puede bloquear '" + ruta + "' (" + error + ")");
        if (intento == 10) {
            ocupante = Ocupante(f);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // Held now: what is in it was left by a lock that ended, or by someone else.
    if (const std::string antes = Contenido(f); !antes.empty() && !EsOcupante(antes)) {
        plataforma::Desbloquear(f);
        NoBloquea("el archivo de bloqueo de corridas '" + ruta +
                  "' tiene un contenido que no escribió esta herramienta; revíselo, quítelo y vuelva a "
                  "intentarlo");
    }
    const std::string yo = std::string(kPrefijoOcupante) + std::to_string(plataforma::IdProceso()) +
                           " del usuario " + usuario_ + " en el equipo " + plataforma::NombreEquipo() +
                           ", desde el " + HoraLocal("%d/%m/%Y %H:%M:%S");
    // Who holds the lock is a courtesy for the message of a second run; the lock holds without it.
    f.Reemplazar(yo);
    Trazar("Candado", ruta, "tomado");
    return std::make_unique<CandadoArchivo>(std::move(f));
}

bool ConexionSqlite::CorridaEnCurso(std::string& ocupante) {
    // Never creates nor writes: a preview changes no file. A companion a run would refuse (a link,
    // not a regular file, a second name) is one no run holds.
    const ArchivoAbierto f = AbrirParaLeer(ArchivoCandado(ruta_));
    if (!f) return false;
    const auto id = f.Identidad();
    if (!id || !id->comun || id->nombres != 1) return false;
    std::string error;
    if (plataforma::Bloquear(f, plataforma::Bloqueo::kCompartido, error) == plataforma::Toma::kTomado) {
        plataforma::Desbloquear(f);
        return false;
    }
    ocupante = Ocupante(f);
    return true;
}

}  // namespace dep
