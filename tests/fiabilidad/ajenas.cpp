#include "tests/fiabilidad/ajenas.hpp"

#include <filesystem>
#include <regex>

namespace dep::fiabilidad {

namespace {

std::filesystem::path Memoria() {
    std::error_code ec;
    return std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                         : std::filesystem::path();
}

std::string Citar(const std::string& nombre) {
    return "\"" + nombre + "\"";
}

std::string Recortar(const std::string& s) {
    const auto a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::vector<std::string> Columnas(demo::Bd& bd, const std::string& tabla) {
    std::vector<std::string> c;
    for (const auto& f : bd.Filas("SELECT name FROM pragma_table_info('" + tabla + "')")) c.push_back(f[0]);
    return c;
}

std::string Lista(const std::vector<std::string>& columnas) {
    std::string s;
    for (const auto& c : columnas) s += (s.empty() ? "" : ", ") + Citar(c);
    return s;
}

}  // namespace

CarpetaEnMemoria::CarpetaEnMemoria() : prueba::Carpeta("dep-ajena", Memoria()) {}

std::vector<std::string> Tablas(demo::Bd& bd) {
    std::vector<std::string> t;
    for (const auto& f : bd.Filas("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                  "'sqlite!_%' ESCAPE '!' ORDER BY name"))
        t.push_back(f[0]);
    return t;
}

void CopiarTablas(const std::string& modelo, const std::string& base) {
    demo::Bd bd(base);
    bd.Ejecutar("ATTACH DATABASE '" + modelo + "' AS old");
    std::string sql = "BEGIN;";
    for (const auto& f : bd.Filas("SELECT name FROM old.sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                  "'sqlite!_%' ESCAPE '!'"))
        sql += "CREATE TABLE " + Citar(f[0]) + " AS SELECT * FROM old." + Citar(f[0]) + ";";
    for (const auto& f : bd.Filas("SELECT sql FROM old.sqlite_master WHERE type = 'view'")) sql += f[0] + ";";
    bd.Ejecutar(sql + "COMMIT; DETACH DATABASE old;");
}

void Reconstruir(demo::Bd& bd, const std::string& tabla, const Cambio& cambiar, const std::string& nombre) {
    const std::string crear =
        bd.Filas("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = '" + tabla + "'").at(0).at(0);
    const auto otros = bd.Filas(
        "SELECT sql FROM sqlite_master WHERE type IN ('index', 'trigger') AND sql IS "
        "NOT NULL AND tbl_name = '" +
        tabla + "' ORDER BY type");
    const std::string columnas = Lista(Columnas(bd, tabla));
    const std::string nueva = "dep_nueva_tabla", cambiado = cambiar(crear);
    std::string sql = "PRAGMA legacy_alter_table = ON; BEGIN; CREATE TABLE " + nueva + " " +
                      cambiado.substr(cambiado.find('(')) + ";";
    sql += "INSERT INTO " + nueva + " (" + columnas + ") SELECT " + columnas + " FROM " + Citar(tabla) + ";";
    sql += "DROP TABLE " + Citar(tabla) + "; ALTER TABLE " + nueva + " RENAME TO " +
           Citar(nombre.empty() ? tabla : nombre) + ";";
    for (const auto& f : otros) sql += f[0] + ";";
    bd.Ejecutar(sql + "COMMIT; PRAGMA legacy_alter_table = OFF;");
}

std::vector<std::string> Elementos(const std::string& sql) {
    std::vector<std::string> e;
    const auto a = sql.find('('), b = sql.rfind(')');
    int hondo = 0;
    std::string actual;
    for (const char ch : sql.substr(a + 1, b - a - 1)) {
        hondo += ch == '(' ? 1 : ch == ')' ? -1 : 0;
        if (ch == ',' && hondo == 0) {
            e.push_back(Recortar(actual));
            actual.clear();
        } else {
            actual += ch;
        }
    }
    e.push_back(Recortar(actual));
    return e;
}

std::string ConElementos(const std::string& sql, const std::vector<std::string>& elementos) {
    std::string lista;
    for (const auto& x : elementos) lista += (lista.empty() ? "\n    " : ",\n    ") + x;
    return sql.substr(0, sql.find('(') + 1) + lista + "\n" + sql.substr(sql.rfind(')'));
}

void RehacerIndices(demo::Bd& bd, const std::string& colacion) {
    static const std::regex clave(R"(rtrim\(([^)]*)\)\s+COLLATE\s+NOCASE)", std::regex::icase);
    std::string sql = "BEGIN;";
    for (const auto& f :
         bd.Filas("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL")) {
        const std::string plano = std::regex_replace(f[1], clave, "$1");
        std::vector<std::string> columnas = Elementos(plano);
        for (auto& c : columnas) c += colacion;
        sql += "DROP INDEX " + Citar(f[0]) + ";" + ConElementos(plano, columnas) + ";";
    }
    bd.Ejecutar(sql + "COMMIT;");
}

std::string FilasPorFecha(const std::string& base, const std::string& condicion) {
    demo::Bd bd(base);
    std::string r;
    for (const std::string t :
         {"MV_ASIENTOS", "V_MV_STOCK", "V_MV_CPTE", "C_MV_CPTE", "MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS"}) {
        std::string sql = "SELECT COUNT(*) FROM " + t + " WHERE datetime(FECHA) " + condicion;
        if (t == "MV_ASIENTOS")
            sql += " AND NOT (DETALLE = 'Depuracion' AND LETRA = 'X' AND TC IN ('CC', 'FP'))";
        r += t + "=" + bd.Filas(sql).at(0).at(0) + " ";
    }
    return r;
}

}  // namespace dep::fiabilidad
