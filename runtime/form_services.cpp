#include "runtime/form_services.hpp"

#include <filesystem>
#include <optional>
#include <system_error>

#include "runtime/archivo_ini.hpp"
#include "runtime/conversions.hpp"
#include "runtime/plataforma/entorno.hpp"
#include "runtime/plataforma/identidad.hpp"
#include "runtime/plataforma/programa.hpp"
#include "runtime/plataforma/rutas.hpp"

namespace dep {

namespace {

#ifdef _WIN32
constexpr char kSeparador = '\\';
#else
constexpr char kSeparador = '/';
#endif

std::optional<std::string>& CarpetaFijada() {
    static std::optional<std::string> c;
    return c;
}

}  // namespace

Moneda FormServices::TextoANumero(const std::string& texto) const {
    return Moneda::DesdeDoble(LeerNumero(texto));
}

Value FormServices::ValorCampo(const Value& v) const {
    return v.EsNulo() ? Value(std::string()) : v;
}

std::string FormServices::TextoSQL(const std::string& texto, int modo) const {
    return modo == 4 ? DoblarComillas(texto) : texto;
}

std::string FormServices::CarpetaConBarra(const std::string& carpeta) const {
    // An empty folder stays empty: a bare file name then means the current folder, not the root.
    if (carpeta.empty()) return carpeta;
    const char ultimo = carpeta.back();
    if (ultimo == '/' || ultimo == '\\') return carpeta;
    return carpeta + kSeparador;
}

bool FormServices::EnLista(const std::string& valor, const std::vector<std::string>& lista) const {
    for (const auto& x : lista)
        if (IgualesSinCaso(valor, x)) return true;
    return false;
}

std::string FormServices::CarpetaPrograma() {
    std::string c;
    if (CarpetaFijada()) {
        c = *CarpetaFijada();
    } else if (std::string e = plataforma::VariableEntorno("DEPURACION_CARPETA"); !e.empty()) {
        c = std::move(e);
    } else {
        c = plataforma::CarpetaDelEjecutable();
        std::error_code ec;
        if (c.empty()) c = TextoRuta(std::filesystem::current_path(ec));
    }
    if (!c.empty() && c.back() != '/' && c.back() != '\\') c += kSeparador;
    return c;
}

// An empty folder goes back to the environment and the program's own folder.
void FormServices::FijarCarpetaPrograma(std::string carpeta) {
    if (carpeta.empty()) {
        CarpetaFijada().reset();
    } else {
        CarpetaFijada() = std::move(carpeta);
    }
}

namespace InputServices {
bool TeclaSalida(int codigoTecla) {
    return codigoTecla == 13 || codigoTecla == 9 || codigoTecla == 38 || codigoTecla == 40;
}
}  // namespace InputServices

void LookupServices::AbrirLista(const std::string& origen, const std::string& filtro,
                                const std::string& seleccion) {
    ultimo_ = PedidoLista{origen, filtro, seleccion, campo_, archivo_};
    elegido_ = Value(op_.AbrirLista(ultimo_));
}

namespace SystemServices {
std::string Identidad() {
    return plataforma::NombreEquipo();
}

std::string CarpetaTemporal() {
    std::error_code ec;
    auto t = std::filesystem::temp_directory_path(ec);
    if (ec || t.empty()) return "/tmp";
    return TextoRuta(t);
}
}  // namespace SystemServices

namespace IniServices {
std::string LeerValor(const std::string& archivo, const std::string& entrada, const std::string& clave,
                      const std::string& defecto) {
    return LeerArchivoIni(archivo).Valor(entrada, clave, defecto);
}
}  // namespace IniServices

}  // namespace dep
