#ifdef DEP_HAS_ODBC
#include "tests/runtime/odbc_base.hpp"

#include "runtime/plataforma/identidad.hpp"

#include <atomic>

#include "demo/demo.hpp"
#include "runtime/odbc/odbc_sqlite.hpp"

namespace dep::odbc::prueba {

void BaseOdbc::SetUp() {
    if (!std::filesystem::exists(kDriverSqlite))
        GTEST_SKIP() << "falta el controlador ODBC de SQLite " << kDriverSqlite;
    static std::atomic<int> n{0};
    carpeta_ = std::filesystem::temp_directory_path() /
               ("dep_odbc_" + std::to_string(plataforma::IdProceso()) + "_" + std::to_string(n++));
    std::filesystem::remove_all(carpeta_);
    std::filesystem::create_directories(carpeta_);
    ruta_ = (carpeta_ / "demo.db").string();
    CrearEsquema(ruta_);
    cn_ = Abrir();
}

void BaseOdbc::TearDown() {
    cn_.reset();
    if (!carpeta_.empty()) std::filesystem::remove_all(carpeta_);
}

std::unique_ptr<ConexionOdbc> BaseOdbc::Abrir(const std::string& extra, const std::string& traza) {
    OpcionesOdbc o;
    o.cadena = std::string("Driver=") + kDriverSqlite + ";Database=" + ruta_ + ";" + extra;
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
