#include "runtime/odbc/odbc_conexion.hpp"

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "runtime/archivo_acotado.hpp"
#include "runtime/conversions.hpp"

#include "runtime/falla.hpp"
#include "runtime/odbc/odbc_interno.hpp"
#include "runtime/odbc/odbc_texto.hpp"

namespace dep::odbc {

using detalle::Anotar;
using detalle::Diagnostico;
using detalle::LeerDiagnosticos;

namespace {

constexpr const char* kFuente = "ODBC";
constexpr const char* kSinDetalles = "El controlador ODBC rechazó la instrucción sin dar detalles";

SQLPOINTER Entero(SQLULEN n) {
    return reinterpret_cast<SQLPOINTER>(n);
}

// A count over years of entries may keep the server busy for long: the driver's call runs on a
// thread of its own while the caller's thread keeps its window painted through `alProgresar`.
// Nothing else uses the connection meanwhile (the callback must not).
SQLRETURN Esperando(const std::function<void()>& alProgresar, const std::function<SQLRETURN()>& llamada) {
    if (!alProgresar) return llamada();
    std::promise<SQLRETURN> hecho;
    std::future<SQLRETURN> respuesta = hecho.get_future();
    const std::jthread hilo([&] { hecho.set_value(llamada()); });
    while (respuesta.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready) alProgresar();
    return respuesta.get();
}

// Raises the first refusal of `errores` (or a generic one) as the platform's failure.
[[noreturn]] void LanzarPrimera(const std::vector<ErrorBD>& errores) {
    for (const ErrorBD& e : errores)
        if (!e.informativo) throw Falla(err::kBaseDatos, e.descripcion, e.fuente);
    throw Falla(err::kBaseDatos, "El controlador ODBC rechazó la operación sin dar detalles", kFuente);
}

}  // namespace

namespace detalle {

std::string MensajeFalloConexion(const std::vector<Diagnostico>& ds, std::string_view cadena) {
    std::string pista;
    std::string textos;
    for (const Diagnostico& d : ds) {
        if (pista.empty()) {
            if (d.estado == "IM002" || d.estado == "IM003" ||
                d.mensaje.find("Can't open lib") != std::string::npos)
                pista = "no se encontró el controlador ODBC o no se pudo cargar";
            else if (d.estado == "28000")
                pista = "el servidor rechazó el usuario o la contraseña";
            else if (d.nativo == 4060)
                pista = "la base de datos no existe o el usuario no tiene acceso a ella";
            else if (d.estado == "08001" || d.estado == "08S01" || d.estado == "HYT00")
                pista = "el servidor no responde o no existe";
        }
        const std::string t = PartirMensaje(d.mensaje).texto;
        if (t.empty() || textos.find(t) != std::string::npos) continue;
        if (!textos.empty()) textos += "; ";
        textos += t;
    }
    std::string m = "No se pudo conectar con el servidor: ";
    if (!pista.empty()) m += pista + ". ";
    m += textos.empty() ? std::string("el controlador no dio detalles") : textos;
    m += ". Cadena de conexión: " + OcultarClave(cadena);
    for (const char* clave : {"PWD", "Password"}) {
        const std::string secreto = AtributoCadena(cadena, clave);
        if (secreto.size() < 3) continue;  // a tiny value would mask ordinary words
        for (size_t p = m.find(secreto); p != std::string::npos; p = m.find(secreto, p + 3))
            m.replace(p, secreto.size(), "***");
    }
    return m;
}

}  // namespace detalle

struct ConexionOdbc::Manejadores {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool conectada = false;
    ~Manejadores() {
        if (conectada) SQLDisconnect(dbc);
        if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

ConexionOdbc::ConexionOdbc(OpcionesOdbc opciones) : op_(std::move(opciones)), h_(new Manejadores) {
    auto fallar = [&](std::vector<Diagnostico> ds) {
        const std::string m = detalle::MensajeFalloConexion(ds, op_.cadena);
        Trazar("Abrir", OcultarClave(op_.cadena), "ERROR " + m);
        throw Falla(err::kConexion, m, kFuente);
    };
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h_->env)))
        fallar({{"HY001", 0, "no se pudo preparar el entorno ODBC"}});
    SQLSetEnvAttr(h_->env, SQL_ATTR_ODBC_VERSION, Entero(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, h_->env, &h_->dbc)))
        fallar(LeerDiagnosticos(SQL_HANDLE_ENV, h_->env));
    if (op_.esperaConexion > 0)
        SQLSetConnectAttr(h_->dbc, SQL_ATTR_LOGIN_TIMEOUT, Entero(static_cast<SQLULEN>(op_.esperaConexion)),
                          0);
    SQLCHAR salida[1024];
    SQLSMALLINT largo = 0;
    std::string cadena = op_.cadena;
    const SQLRETURN rc = SQLDriverConnect(h_->dbc, nullptr, reinterpret_cast<SQLCHAR*>(cadena.data()),
                                          static_cast<SQLSMALLINT>(cadena.size()), salida, sizeof salida,
                                          &largo, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) fallar(LeerDiagnosticos(SQL_HANDLE_DBC, h_->dbc));
    h_->conectada = true;
    Trazar("Abrir", OcultarClave(op_.cadena), "hecho");
    const std::string motor = Info(SQL_DBMS_NAME);
    sqlServer_ = ContieneSinCaso(motor, "SQL Server");
    sabor_ = sqlServer_ ? Sabor::SqlServer : ContieneSinCaso(motor, "SQLite") ? Sabor::Sqlite : Sabor::Otro;
    // Date literals are written day/month/year, as the operator types them.
    if (sqlServer_) Correr("SET DATEFORMAT dmy", nullptr, false, "Abrir");
}

ConexionOdbc::~ConexionOdbc() {
    if (nivel_ > 0 && h_->conectada) SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_ROLLBACK);
}

bool ConexionOdbc::EstaAbierta() const {
    return h_ && h_->conectada;
}

std::string ConexionOdbc::CadenaVisible() const {
    return OcultarClave(op_.cadena);
}

std::string ConexionOdbc::Info(unsigned short tipo) const {
    if (!EstaAbierta()) return {};
    SQLCHAR buf[512] = {};
    SQLSMALLINT largo = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(h_->dbc, tipo, buf, sizeof buf, &largo))) return {};
    return reinterpret_cast<const char*>(buf);
}

std::string ConexionOdbc::NombreServidor() const {
    return Info(SQL_SERVER_NAME);
}
std::string ConexionOdbc::NombreBaseDatos() const {
    return Info(SQL_DATABASE_NAME);
}
std::string ConexionOdbc::NombreUsuario() const {
    return Info(SQL_USER_NAME);
}

void ConexionOdbc::Trazar(const char* que, const std::string& sql, const std::string& resultado) const {
    if (op_.traza.empty()) return;
    // It shows the statements: readable by this user only, never through a planted link, and
    // never into a file another user left under the name (in a shared folder).
    std::string motivo;
    ArchivoAbierto f = AbrirArchivoAcotado(op_.traza, Apertura::kAnadir, Propios(0600), motivo);
    if (!f) return;
    f.Escribir(EntradaTraza(que, sql, resultado));
}

// A statement of the connection's own (savepoints), sent as it stands.
void ConexionOdbc::Propia(const char* que, const std::string& sql) {
    errores_.clear();
    bool tomado = false;
    long filas = -1;
    if (Enviar(sql, {}, nullptr, tomado, filas)) {
        Trazar(que, sql, "hecho");
        return;
    }
    Trazar(que, sql, "ERROR " + (errores_.empty() ? std::string() : errores_.front().descripcion));
    LanzarPrimera(errores_);
}

void ConexionOdbc::BeginTrans() {
    if (!EstaAbierta())
        throw Falla(err::kOperacionNoPermitida, "La conexión con la base de datos está cerrada", kFuente);
    if (nivel_ > 0) {
        // Nested transactions are savepoints inside the one the driver holds.
        const std::string nombre = "dep_t" + std::to_string(nivel_ + 1);
        if (sabor_ == Sabor::SqlServer)
            Propia("BeginTrans", "IF @@TRANCOUNT = 0 BEGIN TRANSACTION; SAVE TRANSACTION " + nombre);
        else if (sabor_ == Sabor::Sqlite)
            Propia("BeginTrans", "SAVEPOINT " + nombre);
        else
            throw Falla(err::kOperacionNoPermitida,
                        "Este controlador ODBC no admite transacciones anidadas: ya hay una en curso",
                        kFuente);
        ++nivel_;
        return;
    }
    const SQLRETURN rc =
        SQLSetConnectAttr(h_->dbc, SQL_ATTR_AUTOCOMMIT, Entero(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(rc)) {
        errores_.clear();
        Anotar(LeerDiagnosticos(SQL_HANDLE_DBC, h_->dbc), errores_);
        Trazar("BeginTrans", "SQL_AUTOCOMMIT_OFF", "ERROR");
        LanzarPrimera(errores_);
    }
    nivel_ = 1;
    Trazar("BeginTrans", "SQL_AUTOCOMMIT_OFF", "hecho");
}

void ConexionOdbc::CommitTrans() {
    Terminar(true);
}
void ConexionOdbc::RollbackTrans() {
    Terminar(false);
}

void ConexionOdbc::Terminar(bool confirmar) {
    const char* que = confirmar ? "CommitTrans" : "RollbackTrans";
    if (nivel_ == 0)
        throw Falla(err::kOperacionNoPermitida,
                    confirmar ? "No hay ninguna transacción iniciada que confirmar"
                              : "No hay ninguna transacción iniciada que anular",
                    kFuente);
    if (nivel_ > 1) {
        const std::string nombre = "dep_t" + std::to_string(nivel_);
        --nivel_;
        if (sabor_ == Sabor::SqlServer) {
            // An inner commit has nothing to do: the outer transaction keeps the work.
            if (!confirmar) Propia(que, "ROLLBACK TRANSACTION " + nombre);
        } else {
            if (!confirmar) Propia(que, "ROLLBACK TO " + nombre);
            Propia(que, "RELEASE " + nombre);
        }
        return;
    }
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, h_->dbc, confirmar ? SQL_COMMIT : SQL_ROLLBACK);
    std::vector<ErrorBD> fallos;
    if (!SQL_SUCCEEDED(rc)) {
        Anotar(LeerDiagnosticos(SQL_HANDLE_DBC, h_->dbc), fallos);
        // A commit that failed must not leave the work half applied.
        if (confirmar) SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_ROLLBACK);
    }
    SQLSetConnectAttr(h_->dbc, SQL_ATTR_AUTOCOMMIT, Entero(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    nivel_ = 0;
    const char* sql = confirmar ? "SQL_COMMIT" : "SQL_ROLLBACK";
    if (!SQL_SUCCEEDED(rc)) {
        errores_ = std::move(fallos);
        Trazar(que, sql, "ERROR " + (errores_.empty() ? std::string() : errores_.front().descripcion));
        LanzarPrimera(errores_);
    }
    Trazar(que, sql, "hecho");
}

long ConexionOdbc::Execute(const std::string& sql) {
    return Correr(sql, nullptr, true, "Execute");
}

Resultado ConexionOdbc::Consultar(const std::string& sql) {
    Resultado r;
    Correr(sql, &r, true, "Consultar");
    return r;
}

// The hook's view of one call of the program: statements it sends share the call's result.
class ConexionOdbc::Envio : public EnvioOdbc {
  public:
    Envio(ConexionOdbc& cn, Resultado* r) : cn_(cn), r_(r) {}
    bool Sentencia(const std::string& sql, const std::vector<Value>& parametros) override {
        const bool bien = cn_.Enviar(sql, parametros, r_, tomado_, filas_);
        rechazado_ = rechazado_ || !bien;
        return bien;
    }
    bool Consulta(const std::string& sql, const std::vector<Value>& parametros, Resultado& r) override {
        bool tomado = false;
        long filas = -1;
        const bool bien = cn_.Enviar(sql, parametros, &r, tomado, filas);
        rechazado_ = rechazado_ || !bien;
        return bien;
    }
    void Informar(const std::string& texto) override {
        cn_.errores_.push_back({err::kBaseDatos, texto, kFuente, "01000", true});
    }
    bool rechazado_ = false;
    bool tomado_ = false;
    long filas_ = -1;

  private:
    ConexionOdbc& cn_;
    Resultado* r_;
};

long ConexionOdbc::Correr(const std::string& original, Resultado* r, bool traducir, const char* que) {
    errores_.clear();
    if (!EstaAbierta())
        throw Falla(err::kOperacionNoPermitida, "La conexión con la base de datos está cerrada", kFuente);
    std::string sql = ResolverPrefijoAdmin(original, op_.prefijoAdmin);
    Envio envio(*this, r);
    if (traducir && op_.traducir) {
        try {
            op_.traducir(sql, envio);
        } catch (const Falla& f) {
            errores_.push_back({f.Numero(), f.Descripcion(), f.Origen(), "42000", false});
            envio.rechazado_ = true;
        }
    } else {
        envio.Sentencia(sql, {});
    }
    if (envio.rechazado_) {
        // A procedure that failed after its own BEGIN TRANSACTION leaves the session inside it
        // (the server keeps it open in autocommit mode): roll it back, so that what runs next
        // is not joined to work that will never be committed.
        if (nivel_ == 0 && sabor_ == Sabor::SqlServer) {
            std::vector<ErrorBD> guardados = errores_;
            bool tomado = false;
            long n = -1;
            Enviar("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION", {}, nullptr, tomado, n);
            errores_ = std::move(guardados);
        }
        std::string primera;
        for (const ErrorBD& e : errores_)
            if (!e.informativo && primera.empty()) primera = e.descripcion;
        if (r) *r = Resultado{};
        Trazar(que, original, "ERROR " + primera);
        LanzarPrimera(errores_);
    }
    const long filas = envio.filas_;
    Trazar(que, original,
           r ? std::to_string(r->filas.size()) + " filas leídas" : std::to_string(filas) + " filas");
    return filas;
}

bool ConexionOdbc::Enviar(std::string sql, const std::vector<Value>& parametros, Resultado* r, bool& tomado,
                          long& filas) {
    SQLHSTMT st = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &st))) {
        Anotar(LeerDiagnosticos(SQL_HANDLE_DBC, h_->dbc), errores_);
        return false;
    }
    struct Liberar {
        SQLHSTMT h;
        ~Liberar() { SQLFreeHandle(SQL_HANDLE_STMT, h); }
    } liberar{st};
    if (op_.tiempoEspera > 0)
        SQLSetStmtAttr(st, SQL_ATTR_QUERY_TIMEOUT, Entero(static_cast<SQLULEN>(op_.tiempoEspera)), 0);

    // Parameter buffers live until the statement has run.
    std::vector<std::string> textos(parametros.size());
    std::vector<SQLBIGINT> enteros(parametros.size());
    std::vector<double> dobles(parametros.size());
    std::vector<SQLLEN> largos(parametros.size());
    for (size_t i = 0; i < parametros.size(); ++i) {
        const Value& v = parametros[i];
        const auto n = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rb = SQL_SUCCESS;
        switch (v.tipo()) {
            case Value::Tipo::Vacio:
            case Value::Tipo::Nulo:
                largos[i] = SQL_NULL_DATA;
                rb = SQLBindParameter(st, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0,
                                      &largos[i]);
                break;
            case Value::Tipo::Logico:
            case Value::Tipo::Entero:
                enteros[i] = v.AEntero();
                rb = SQLBindParameter(st, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &enteros[i], 0,
                                      nullptr);
                break;
            case Value::Tipo::Doble:
                dobles[i] = v.ANumero();
                rb = SQLBindParameter(st, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &dobles[i], 0,
                                      nullptr);
                break;
            default:  // currency keeps its exact digits as text; dates and texts as text
                textos[i] = v.tipo() == Value::Tipo::Moneda ? v.ATexto()
                            : v.SiFecha()                   ? TextoFechaIso(*v.SiFecha())
                                                            : v.ATexto();
                largos[i] = static_cast<SQLLEN>(textos[i].size());
                rb = SQLBindParameter(st, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                      std::max<SQLULEN>(1, textos[i].size()), 0, textos[i].data(),
                                      static_cast<SQLLEN>(textos[i].size()), &largos[i]);
                break;
        }
        if (!SQL_SUCCEEDED(rb)) {
            if (!Anotar(LeerDiagnosticos(SQL_HANDLE_STMT, st), errores_))
                errores_.push_back({err::kBaseDatos, kSinDetalles, kFuente, "HY000", false});
            return false;
        }
    }

    bool fallo = false;
    auto anotar = [&](const std::vector<Diagnostico>& ds) {
        if (!Anotar(ds, errores_))
            errores_.push_back({err::kBaseDatos, kSinDetalles, kFuente, "HY000", false});
        fallo = true;
    };
    SQLRETURN rc = Esperando(alProgresar_, [&] {
        return SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(sql.data()), static_cast<SQLINTEGER>(sql.size()));
    });
    if (rc == SQL_ERROR) anotar(LeerDiagnosticos(SQL_HANDLE_STMT, st));
    if (rc == SQL_SUCCESS_WITH_INFO) Anotar(LeerDiagnosticos(SQL_HANDLE_STMT, st), errores_);
    if (rc == SQL_NO_DATA) filas = filas < 0 ? 0 : filas;  // a searched statement that touched no row
    // Every result of a batch is walked, so that messages of later statements (PRINT, errors
    // raised by a procedure after its first statement) reach the collection too.
    std::string ultimoError;
    for (int vuelta = 0; vuelta < 100000; ++vuelta) {
        if (SQL_SUCCEEDED(rc)) {
            SQLSMALLINT ncol = 0;
            SQLNumResultCols(st, &ncol);
            if (ncol > 0) {
                if (r && !tomado) {
                    if (!detalle::LeerFilas(st, *r, errores_)) fallo = true;
                    tomado = true;
                }
            } else {
                SQLLEN n = -1;
                if (SQL_SUCCEEDED(SQLRowCount(st, &n)) && n >= 0) filas = (filas < 0 ? 0 : filas) + n;
            }
        }
        rc = Esperando(alProgresar_, [&] { return SQLMoreResults(st); });
        if (rc == SQL_NO_DATA) break;
        if (rc == SQL_SUCCESS_WITH_INFO) Anotar(LeerDiagnosticos(SQL_HANDLE_STMT, st), errores_);
        if (rc != SQL_ERROR) {
            ultimoError.clear();
            continue;
        }
        const std::vector<Diagnostico> ds = LeerDiagnosticos(SQL_HANDLE_STMT, st);
        // The driver manager's "function sequence error": the driver has no more results.
        if (ds.empty() || ds.front().estado == "HY010") break;
        // A driver that keeps failing the same way is not advancing through the batch.
        const std::string firma = ds.front().estado + ds.front().mensaje;
        if (firma == ultimoError) break;
        ultimoError = firma;
        anotar(ds);
    }
    return !fallo;
}

namespace {

// The server's application lock of the session: released by the session's end, so a run that
// dies leaves nothing to clean up.
class CandadoAplicacion final : public CandadoCorrida {
  public:
    explicit CandadoAplicacion(std::function<void()> soltar) : soltar_(std::move(soltar)) {}
    ~CandadoAplicacion() override {
        try {
            if (soltar_) soltar_();
        } catch (const std::exception&) {
            // The session's end releases it anyway.
        }
    }
    CandadoAplicacion(const CandadoAplicacion&) = delete;
    CandadoAplicacion& operator=(const CandadoAplicacion&) = delete;

  private:
    std::function<void()> soltar_;
};

constexpr const char* kTomarCandado =
    "DECLARE @r INT; EXEC @r = sp_getapplock @Resource = 'DEPURACION', @LockMode = 'Exclusive', "
    "@LockOwner = 'Session', @LockTimeout = 1000; SELECT @r AS RESULTADO";
constexpr const char* kSoltarCandado =
    "EXEC sp_releaseapplock @Resource = 'DEPURACION', @LockOwner = 'Session'";
constexpr const char* kProbarCandado =
    "SELECT APPLOCK_TEST('public', 'DEPURACION', 'Exclusive', 'Session') AS LIBRE";
// Who holds it: needs the right to see other sessions; without it the message says less.
constexpr const char* kQuienTieneCandado =
    "SELECT TOP 1 s.login_name AS USUARIO, s.host_name AS EQUIPO, "
    "CONVERT(VARCHAR(19), s.last_request_start_time, 103) + ' ' + "
    "CONVERT(VARCHAR(8), s.last_request_start_time, 108) AS DESDE "
    "FROM sys.dm_tran_locks l JOIN sys.dm_exec_sessions s ON s.session_id = l.request_session_id "
    "WHERE l.resource_type = 'APPLICATION' AND l.resource_database_id = DB_ID() "
    "AND l.resource_description LIKE '%DEPURACION%'";

}  // namespace

// Pages in use (data, indexes, large values) of the tables that exist, from the server's own
// count; it needs the right VIEW DATABASE STATE.
constexpr const char* kEspacioTablas =
    "SELECT SUM(used_page_count) * 8192 AS BYTES FROM sys.dm_db_partition_stats WHERE object_id IN (";

long long ConexionOdbc::EspacioTablas(const std::vector<std::string>& tablas) {
    if (sabor_ != Sabor::SqlServer || tablas.empty()) return -1;
    std::string sql = kEspacioTablas;
    for (std::size_t i = 0; i < tablas.size(); ++i)
        sql += (i ? ", OBJECT_ID('" : "OBJECT_ID('") + DoblarComillas(tablas[i]) + "')";
    sql += ")";
    try {
        const Resultado r = Consultar(sql);
        if (r.filas.empty() || r.filas[0].empty() || r.filas[0][0].EsNulo()) return -1;
        return r.filas[0][0].AEntero();
    } catch (const std::exception&) {
        return -1;  // without the right the report just gives no figures
    }
}

std::string ConexionOdbc::QuienTieneCandado() {
    try {
        const Resultado r = Consultar(kQuienTieneCandado);
        if (!r.filas.empty() && r.filas[0].size() >= 3)
            return "el usuario " + Recortar(r.filas[0][0].ATexto()) + " en el equipo " +
                   Recortar(r.filas[0][1].ATexto()) + ", desde el " + Recortar(r.filas[0][2].ATexto());
    } catch (const std::exception&) {
        // Without the right to see other sessions the message names no one.
    }
    return "otra sesión del servidor";
}

std::unique_ptr<CandadoCorrida> ConexionOdbc::TomarCandadoCorrida(std::string& ocupante) {
    // Only the server has application locks; the other drivers serve tests on a private file.
    if (sabor_ != Sabor::SqlServer) return std::make_unique<CandadoAplicacion>(nullptr);
    const Resultado r = Consultar(kTomarCandado);
    const long long codigo = r.filas.empty() || r.filas[0].empty() ? -999 : r.filas[0][0].AEntero();
    if (codigo >= 0) return std::make_unique<CandadoAplicacion>([this] { Execute(kSoltarCandado); });
    if (codigo != -1)
        throw Falla(err::kBaseDatos,
                    "El servidor no concedió el bloqueo de corridas (sp_getapplock devolvió " +
                        std::to_string(codigo) + ")",
                    kFuente);
    ocupante = QuienTieneCandado();
    return nullptr;
}

bool ConexionOdbc::CorridaEnCurso(std::string& ocupante) {
    if (sabor_ != Sabor::SqlServer) return false;
    const Resultado r = Consultar(kProbarCandado);
    if (r.filas.empty() || r.filas[0].empty() || r.filas[0][0].AEntero() != 0) return false;
    ocupante = QuienTieneCandado();
    return true;
}

std::string ConexionOdbc::CopiaDeSeguridad(const std::string& carpeta, long long& bytes,
                                           const SeCancela& cancelar) {
    bytes = -1;
    if (cancelar && cancelar())
        throw Falla(err::kCancelado, "Copia de seguridad cancelada: no se pidió al servidor", kFuente);
    if (sabor_ != Sabor::SqlServer)
        throw Falla(err::kOperacionNoPermitida,
                    "No se pudo hacer la copia de seguridad: este controlador ODBC no es de SQL Server",
                    kFuente);
    auto uno = [&](const std::string& sql) {
        const Resultado r = Consultar(sql);
        return r.filas.empty() || r.filas[0].empty() ? std::string() : Recortar(r.filas[0][0].ATexto());
    };
    std::string dir = carpeta;
    if (dir.empty())
        dir = uno("SELECT CAST(SERVERPROPERTY('InstanceDefaultBackupPath') AS NVARCHAR(4000)) AS CARPETA");
    if (dir.empty())
        throw Falla(
            err::kBaseDatos,
            "No se pudo hacer la copia de seguridad: el servidor no tiene carpeta de copias por defecto; "
            "indique una",
            kFuente);
    const std::string base = uno("SELECT DB_NAME() AS BASE");
    const char sep = dir.find('\\') != std::string::npos ? '\\' : '/';
    const std::string destino = dir + (dir.back() == sep ? "" : std::string(1, sep)) + base + "-" +
                                HoraLocal("%Y%m%d-%H%M%S") + ".bak";
    std::string corchetes;  // the name inside [ ]: a ']' in it is doubled
    for (char c : base) corchetes += c == ']' ? std::string("]]") : std::string(1, c);
    try {
        Execute("BACKUP DATABASE [" + corchetes + "] TO DISK = N'" + DoblarComillas(destino) +
                "' WITH COPY_ONLY, CHECKSUM");
    } catch (const Falla& f) {
        throw Falla(
            err::kBaseDatos,
            "No se pudo hacer la copia de seguridad en el servidor (hace falta el permiso BACKUP DATABASE "
            "y una carpeta del servidor donde pueda escribir): " +
                f.Descripcion(),
            kFuente);
    }
    return destino;
}

}  // namespace dep::odbc

namespace dep {

std::shared_ptr<Conexion> AbrirOdbc(const AjustesConexion& a) {
    odbc::OpcionesOdbc o;
    o.cadena = a.odbc;
    o.prefijoAdmin = a.prefijoAdmin;
    o.traza = a.traza;
    o.tiempoEspera = a.tiempoEspera;
    return std::make_shared<odbc::ConexionOdbc>(std::move(o));
}

}  // namespace dep
