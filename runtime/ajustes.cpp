#include "runtime/ajustes.hpp"

#include <cstdlib>
#include <filesystem>

#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/form_services.hpp"

namespace dep {

namespace {

std::string Entorno(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v != nullptr ? std::string(v) : std::string();
}

std::string Minusculas(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

int Entero(const std::string& texto, int defecto) {
    const std::string t = Recortar(texto);
    if (t.empty()) return defecto;
    const double d = LeerNumero(t);
    if (d < 0 || d > 2147483647.0) return defecto;
    return static_cast<int>(d);
}

}  // namespace

AjustesConexion LeerAjustesConexion() {
    AjustesConexion a;
    std::string ini = Entorno("DEPURACION_INI");
    if (ini.empty()) ini = FormServices::CarpetaPrograma() + "cn000pr.ini";
    const std::string s = "Conexion";
    auto leer = [&](const char* clave, const std::string& defecto) {
        return IniServices::LeerValor(ini, s, clave, defecto);
    };

    const std::string motor = Minusculas(Recortar(leer("Motor", a.motor)));
    if (!motor.empty()) a.motor = motor;
    a.base = leer("Base", "");
    a.odbc = leer("Odbc", "");
    a.prefijoAdmin = leer("PrefijoAdmin", "");
    a.traza = leer("Traza", "");
    a.tiempoEspera = Entero(leer("TiempoEspera", ""), a.tiempoEspera);
    a.esperaBloqueo = Entero(leer("EsperaBloqueo", ""), a.esperaBloqueo);

    // A relative file in the settings is beside the settings file.
    const std::filesystem::path carpetaIni = std::filesystem::path(ini).parent_path();
    auto junto = [&](std::string& f) {
        if (!f.empty() && std::filesystem::path(f).is_relative() && !carpetaIni.empty())
            f = (carpetaIni / f).string();
    };
    junto(a.base);
    junto(a.traza);

    // The environment wins; naming a database in it also chooses its engine.
    if (const std::string b = Entorno("DEPURACION_BASE"); !b.empty()) {
        a.base = b;
        a.motor = "sqlite";
    }
    if (const std::string o = Entorno("DEPURACION_ODBC"); !o.empty()) {
        a.odbc = o;
        a.motor = "odbc";
    }
    if (const std::string t = Entorno("DEPURACION_TRAZA"); !t.empty()) a.traza = t;

    if (a.base.empty()) a.base = FormServices::CarpetaPrograma() + "demo.db";
    return a;
}

}  // namespace dep
