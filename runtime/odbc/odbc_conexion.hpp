#pragma once
// The ODBC engine: a Conexion on unixODBC, for SQL Server through FreeTDS or Microsoft's
// driver. T-SQL goes to the server as it stands (after "@ADMIN_" is resolved); texts travel as
// UTF-8 through the narrow ODBC calls, so FreeTDS needs "ClientCharset=UTF-8" in the
// connection string (Microsoft's driver takes the process's locale, which must be a UTF-8 one).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ajustes.hpp"
#include "runtime/conexion.hpp"

namespace dep::odbc {

// What a translation hook may ask of the driver while one text of the program runs.
class EnvioOdbc {
  public:
    virtual ~EnvioOdbc() = default;
    // Runs one statement with its parameters bound (text, integer, double, currency, null).
    // Rows of the first result set of the text go to the caller's record set. False when the
    // driver refused it; its diagnostics are then in the connection's Errors().
    virtual bool Sentencia(const std::string& sql, const std::vector<Value>& parametros) = 0;
    // Runs a query for the hook's own use; its rows go to `r` only. False when refused.
    virtual bool Consulta(const std::string& sql, const std::vector<Value>& parametros, Resultado& r) = 0;
    // An informational message, as a server's PRINT.
    virtual void Informar(const std::string& texto) = 0;
};

struct OpcionesOdbc {
    std::string cadena;        // the connection string handed to SQLDriverConnect
    std::string prefijoAdmin;  // what "@ADMIN_" resolves to, e.g. "ADMIN.dbo."; "" = same database
    std::string traza;         // statement trace file, empty = none
    int tiempoEspera = 0;      // command time-out in seconds, 0 = none
    int esperaConexion = 15;   // login time-out in seconds, 0 = the driver's own
    // When set, each text goes through it instead of straight to the driver (after the prefix
    // is resolved): lets a driver that does not speak T-SQL (the SQLite one, in the tests) run
    // the program's text. It sends what it makes of the text through `EnvioOdbc`, stops at the
    // first refusal, and may raise Falla for text it cannot translate (a refusal too).
    std::function<void(const std::string& sql, class EnvioOdbc& envio)> traducir;
};

class ConexionOdbc : public Conexion {
  public:
    // Connects; a failure raises Falla(err::kConexion) with a Spanish message carrying the
    // driver's text, never the password.
    explicit ConexionOdbc(OpcionesOdbc opciones);
    ~ConexionOdbc() override;
    ConexionOdbc(const ConexionOdbc&) = delete;
    ConexionOdbc& operator=(const ConexionOdbc&) = delete;

    bool EstaAbierta() const override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    int NivelTransaccion() const override { return nivel_; }
    long Execute(const std::string& sql) override;
    Resultado Consultar(const std::string& sql) override;
    std::unique_ptr<CandadoCorrida> TomarCandadoCorrida(std::string& ocupante) override;
    bool CorridaEnCurso(std::string& ocupante) override;
    // One BACKUP statement on the server: `cancelar` is asked before it is sent, not during it.
    std::string CopiaDeSeguridad(const std::string& carpeta, long long& bytes,
                                 const SeCancela& cancelar) override;
    // The server's files are the administrator's: nothing is shrunk.
    Compactacion Compactar(const SeCancela& /*cancelar*/) override {
        return {-1, -1, "en SQL Server no se compacta: reducir los archivos es decision del administrador",
                EstadoCompactacion::kOmitida};
    }
    long long EspacioTablas(const std::vector<std::string>& tablas) override;
    void FijarAlProgresar(std::function<void()> f) override { alProgresar_ = std::move(f); }
    std::string NombreServidor() const override;
    std::string NombreBaseDatos() const override;
    std::string NombreUsuario() const override;

    // True when the driver reports Microsoft SQL Server as its database.
    bool EsSqlServer() const { return sqlServer_; }
    // The connection string with its password hidden.
    std::string CadenaVisible() const;

  private:
    struct Manejadores;
    long Correr(const std::string& sql, Resultado* r, bool traducir, const char* que);
    void Propia(const char* que, const std::string& sql);
    class Envio;
    // Sends one text to the driver and walks all its results; false when it was refused.
    bool Enviar(std::string sql, const std::vector<Value>& parametros, Resultado* r, bool& tomado,
                long& filas);
    void Terminar(bool confirmar);
    void Trazar(const char* que, const std::string& sql, const std::string& resultado) const;
    std::string Info(unsigned short tipo) const;
    std::string QuienTieneCandado();

    OpcionesOdbc op_;
    std::function<void()> alProgresar_;
    std::unique_ptr<Manejadores> h_;
    int nivel_ = 0;
    bool sqlServer_ = false;
    enum class Sabor { SqlServer, Sqlite, Otro } sabor_ = Sabor::Otro;
};

}  // namespace dep::odbc

namespace dep {
// Opens the ODBC connection the settings name (the connection string in `odbc`).
std::shared_ptr<Conexion> AbrirOdbc(const AjustesConexion& a);
}  // namespace dep
