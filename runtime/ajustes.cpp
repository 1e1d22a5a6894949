#include "runtime/ajustes.hpp"

#include <filesystem>

#include "runtime/archivo_ini.hpp"
#include "runtime/conversions.hpp"
#include "runtime/falla.hpp"
#include "runtime/form_services.hpp"
#include "runtime/plataforma/entorno.hpp"
#include "runtime/plataforma/rutas.hpp"

namespace dep {

namespace {

std::string Entorno(const char* nombre) {
    return plataforma::VariableEntorno(nombre);
}

std::string Minusculas(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A whole number of the settings file `ini`; anything else (negative, too large, not a number)
// keeps the default and says so in `avisos`, naming the file the operator must mend.
int Entero(const std::string& ini, const std::string& clave, const std::string& texto, int defecto,
           std::vector<std::string>& avisos) {
    const std::string t = Recortar(texto);
    if (t.empty()) return defecto;
    double d = -1;
    try {
        d = LeerNumero(t);
    } catch (const std::exception&) {
        d = -1;  // an overflowing number such as 1e400
    }
    if (!(d >= 0 && d <= 2147483647.0) || d != static_cast<double>(static_cast<long long>(d))) {
        avisos.push_back("El valor de " + clave + " en " + ini + " (\"" + t +
                         "\") no es un número entero válido: se usa " + std::to_string(defecto) + ".");
        return defecto;
    }
    return static_cast<int>(d);
}

// A settings file that is there but cannot be read would leave the program on the demo database
// without a word: the operator is told which file and why.
std::string AvisoIni(const ArchivoIni& f) {
    const std::string defecto = ": se usan los valores por defecto.";
    switch (f.estado) {
        case EstadoIni::kLeido:
            return "";
        case EstadoIni::kNoExiste:
            // Without DEPURACION_INI no settings file is the usual case; a name the operator
            // gave that leads nowhere is a mistake.
            return Entorno("DEPURACION_INI").empty() ? ""
                                                     : "No existe el archivo de configuración " + f.ruta +
                                                           " que nombra DEPURACION_INI" + defecto;
        case EstadoIni::kNoEsArchivo:
            return "El archivo de configuración " + f.ruta + " no es un archivo común" + defecto;
        case EstadoIni::kIlegible:
            break;
    }
    return "No se pudo leer el archivo de configuración " + f.ruta + defecto;
}

}  // namespace

std::string RutaAjustes() {
    const std::string ini = Entorno("DEPURACION_INI");
    return ini.empty() ? FormServices::CarpetaPrograma() + "cn000pr.ini" : ini;
}

AjustesConexion LeerAjustesConexion() {
    AjustesConexion a;
    const ArchivoIni archivo = LeerArchivoIni(RutaAjustes());
    const std::string& ini = archivo.ruta;
    if (const std::string aviso = AvisoIni(archivo); !aviso.empty()) a.avisos.push_back(aviso);
    auto leer = [&](const char* clave, const std::string& defecto) {
        return archivo.Valor("Conexion", clave, defecto);
    };

    const std::string motor = Minusculas(Recortar(leer("Motor", a.motor)));
    if (!motor.empty()) a.motor = motor;
    a.base = leer("Base", "");
    a.odbc = leer("Odbc", "");
    a.prefijoAdmin = leer("PrefijoAdmin", "");
    a.traza = leer("Traza", "");
    a.tiempoEspera = Entero(ini, "TiempoEspera", leer("TiempoEspera", ""), a.tiempoEspera, a.avisos);
    a.esperaBloqueo = Entero(ini, "EsperaBloqueo", leer("EsperaBloqueo", ""), a.esperaBloqueo, a.avisos);

    // A relative file in the settings is beside the settings file.
    const std::filesystem::path carpetaIni = Ruta(ini).parent_path();
    auto junto = [&](std::string& f) {
        if (!f.empty() && Ruta(f).is_relative() && !carpetaIni.empty()) f = (carpetaIni / f).string();
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
