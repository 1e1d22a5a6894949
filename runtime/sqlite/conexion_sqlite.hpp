#pragma once
// The embedded engine: a Conexion on a SQLite database file, taking the T-SQL the program sends
// through the translation of traductor.hpp.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/ajustes.hpp"
#include "runtime/archivo_acotado.hpp"
#include "runtime/conexion.hpp"
#include "runtime/sqlite/lexico.hpp"
#include "runtime/sqlite/sentencia_preparada.hpp"
#include "runtime/sqlite/traductor.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace dep {

// The source the engine's errors name.
inline constexpr const char* kFuenteSqlite = "depuracion/sqlite";

class ConexionSqlite final : public Conexion, private sqlite::Esquema {
  public:
    // Opens `a.base`; never creates a missing file. Raises Falla(err::kConexion) naming the file.
    static std::shared_ptr<ConexionSqlite> Abrir(const AjustesConexion& a);
    ~ConexionSqlite() override;
    ConexionSqlite(const ConexionSqlite&) = delete;
    ConexionSqlite& operator=(const ConexionSqlite&) = delete;

    bool EstaAbierta() const override { return db_ != nullptr; }
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    int NivelTransaccion() const override { return nivel_; }
    long Execute(const std::string& sql) override;
    Resultado Consultar(const std::string& sql) override;
    std::unique_ptr<CandadoCorrida> TomarCandadoCorrida(std::string& ocupante) override;
    bool CorridaEnCurso(std::string& ocupante) override;
    std::string CopiaDeSeguridad(const std::string& carpeta, long long& bytes,
                                 const SeCancela& cancelar) override;
    Compactacion Compactar(const SeCancela& cancelar) override;
    void DiferirSincronizacion(bool diferir) override;
    void Sincronizar() override;
    std::string NombreServidor() const override { return "(local)"; }
    std::string NombreBaseDatos() const override { return nombreBase_; }
    std::string NombreUsuario() const override { return usuario_; }

    // Statements prepared and kept so far (one per statement shape).
    std::size_t SentenciasPreparadas() const { return sentencias_.size(); }

    // How SQLite would run each statement of `tsql` (EXPLAIN QUERY PLAN details, one line per
    // step, both branches of an IF): to check that lookups seek on an index. Runs nothing.
    std::vector<std::string> PlanDeConsulta(const std::string& tsql);

    void FijarAlEsperarBloqueo(std::function<void()> f) override { alEsperar_ = std::move(f); }
    void FijarAlProgresar(std::function<void()> f) override;

  private:
    struct Contexto;
    // The busy handler: the busy time-out's wait in short sleeps, with alEsperar_ between them.
    static int Ocupada(void* cn, int intento);
    static int Progreso(void* cn);  // the progress handler: alProgresar_ at most every few ms

    ConexionSqlite(sqlite3* db, const AjustesConexion& a);
    class Lote;
    long Correr(const std::string& sql, Resultado* res, const char* que);
    std::shared_ptr<const sqlite::Plan> PlanDe(const std::vector<sqlite::Token>& t, std::string_view texto);
    void Pasos(const std::vector<sqlite::Paso>& pasos, Contexto& c);
    static int Riesgo(const std::vector<sqlite::Paso>& pasos, int n);
    long long PasoSql(const sqlite::Paso& p, Contexto& c, bool recoger);
    // The statement to run for these literals and, for column pairs, the rows as they are now.
    const std::string& SqlParaLiterales(const sqlite::Paso& p, const std::vector<sqlite::Token>& t);
    void PasoExec(const sqlite::Paso& p, Contexto& c);
    void PasoDisparadores(const sqlite::Paso& p, Contexto& c);
    sqlite3_stmt* Preparada(const std::string& sql);
    void OlvidarEsquema();
    const std::vector<sqlite::Columna>* Columnas(const std::string& base, const std::string& tabla) override;
    void MarcarIndicesSinBlancos(const std::string& base, const std::string& tabla,
                                 std::vector<sqlite::Columna>& cols);
    // Runs an internal statement of the engine; raises with the statement named.
    void Ejecutar(const std::string& sql, const std::string& tsql);
    // The same for one that runs for every batch: prepared once and kept.
    void EjecutarPreparada(const std::string& sql, const std::string& tsql);
    [[noreturn]] void Rehusar(const std::string& descripcion, const std::string& estado = {});
    void Trazar(const char* que, const std::string& sql, const std::string& resultado);

    sqlite3* db_ = nullptr;
    bool wal_ = false;  // the file's journal mode is a write-ahead log
    int nivel_ = 0;
    int esperaBloqueo_ = 0;  // ms
    std::chrono::steady_clock::time_point inicioEspera_{};
    std::function<void()> alEsperar_;
    std::function<void()> alProgresar_;
    std::chrono::steady_clock::time_point ultimoProgreso_{};
    std::string ruta_, nombreBase_, usuario_, baseAdmin_;
    ArchivoAbierto traza_;
    std::unordered_map<std::string, sqlite::SentenciaGuardada> sentencias_;
    struct EntradaPlan {
        std::shared_ptr<const sqlite::Plan> plan;
        std::vector<std::string> fijos;
    };
    std::unordered_map<std::string, EntradaPlan> planes_;
    std::map<std::string, std::vector<sqlite::Columna>> columnas_;
    sqlite::Traductor traductor_;
};

}  // namespace dep
