#ifdef DEP_HAS_ODBC
#include "tests/runtime/odbc_base.hpp"

#include <cstring>

#include "demo/demo.hpp"
#include "runtime/plataforma/odbc.hpp"
#include "tests/runtime/odbc_sqlite_puente.hpp"

namespace dep::odbc::prueba {

std::string PorQueNoHayDriver(const std::string& nombre) {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return "no hay ODBC";
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    std::string motivo = "falta el controlador ODBC '" + nombre + "'";
    SQLCHAR descripcion[256], atributos[1024];
    SQLSMALLINT nd = 0, na = 0;
    for (SQLUSMALLINT dir = SQL_FETCH_FIRST; SQL_SUCCEEDED(
             SQLDrivers(env, dir, descripcion, sizeof descripcion, &nd, atributos, sizeof atributos, &na));
         dir = SQL_FETCH_NEXT) {
        if (nombre != reinterpret_cast<const char*>(descripcion)) continue;
        motivo.clear();
#ifdef _WIN32
        // Under Wine the list may hold the host's drivers: a Linux library cannot open a file by
        // its Windows path.
        for (const char* a = reinterpret_cast<const char*>(atributos); *a; a += std::strlen(a) + 1)
            if (std::string(a).rfind("Driver=", 0) == 0 && std::string(a).find(".so") != std::string::npos)
                motivo = "el controlador ODBC '" + nombre + "' instalado es de Linux (" + a + ")";
#endif
        break;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return motivo;
}

void BaseOdbc::SetUp() {
    if (const std::string no = PorQueNoHayDriver(kDriverSqlite); !no.empty()) GTEST_SKIP() << no;
    carpeta_ = dir_.emplace("dep_odbc").Ruta();
    ruta_ = (carpeta_ / "demo.db").string();
    CrearEsquema(ruta_);
    cn_ = Abrir();
}

void BaseOdbc::TearDown() {
    cn_.reset();
    dir_.reset();
}

std::unique_ptr<ConexionOdbc> BaseOdbc::Abrir(const std::string& extra, const std::string& traza) {
    OpcionesOdbc o;
    o.cadena = std::string("Driver={") + kDriverSqlite + "};Database=" + ruta_ + ";" + extra;
    o.traza = traza;
    o.tiempoEspera = 30;
    o.traducir = TraduccionSqlite();
    return std::make_unique<ConexionOdbc>(std::move(o));
}

long BaseOdbc::Contar(const std::string& tabla) {
    const Resultado r = cn_->Consultar("SELECT COUNT(*) AS N FROM " + tabla + " with(nolock)");
    return static_cast<long>(r.filas.at(0).at(0).AEntero());
}

}  // namespace dep::odbc::prueba
#endif
