#pragma once
// The non-visual services of the runtime component (forms, input, lookup, system, settings
// files); what they must show goes through the Operador.
#include <string>
#include <vector>

#include "runtime/falla.hpp"
#include "runtime/operador.hpp"
#include "runtime/value.hpp"

namespace dep {

class FormServices {
  public:
    explicit FormServices(Operador& op) : op_(op) {}

    Moneda TextoANumero(const std::string& texto) const;
    Value ValorCampo(const Value& v) const;  // a null given back as empty text, a date kept a date
    std::string ElegirFecha(const std::string& inicial = {}) { return op_.ElegirFecha(inicial); }
    void PrepararVentana(void* /*ventana*/, int /*modo*/) {}
    void EntrarTrampa(bool /*flag*/) {}
    // Text to put between single quotes; mode 4 doubles the quotes inside it.
    std::string TextoSQL(const std::string& texto, int modo) const;
    int DialogoError(const Falla& e) { return op_.DialogoError(e); }
    std::string CarpetaConBarra(const std::string& carpeta) const;  // ends with the platform's separator
    bool EnLista(const std::string& valor, const std::vector<std::string>& lista) const;  // ignores case

    // The folder of the program (where "CONSULTAS.KST" and "Styles" live), ending with its
    // separator: the folder set below, else $DEPURACION_CARPETA, else that of the executable.
    static std::string CarpetaPrograma();
    static void FijarCarpetaPrograma(std::string carpeta);  // tests and the console; "" undoes it

  private:
    Operador& op_;
};

namespace InputServices {
// Key codes of the platform (13 Enter, 9 Tab, 38 up, 40 down ...).
bool TeclaSalida(int codigoTecla);
}  // namespace InputServices

class LookupServices {
  public:
    explicit LookupServices(Operador& op) : op_(op) {}
    void Activar(bool b) { activo_ = b; }
    bool Activo() const { return activo_; }
    void ArchivoDefiniciones(std::string ruta) { archivo_ = std::move(ruta); }
    const std::string& ArchivoDefiniciones() const { return archivo_; }
    void CampoCodigo(std::string c) { campo_ = std::move(c); }
    const std::string& CampoCodigo() const { return campo_; }
    // Shows the list modally (table name or select, filter, select statement).
    void AbrirLista(const std::string& origen, const std::string& filtro, const std::string& seleccion);
    const Value& ValorElegido() const { return elegido_; }
    const PedidoLista& UltimoPedido() const { return ultimo_; }

  private:
    Operador& op_;
    bool activo_ = false;
    std::string archivo_, campo_;
    Value elegido_ = Value(std::string());
    PedidoLista ultimo_;
};

namespace SystemServices {
std::string Identidad();        // names the settings entry (the machine's name)
std::string CarpetaTemporal();  // a folder for files when the environment gives none
}  // namespace SystemServices

namespace IniServices {
// The text stored under [entrada] clave= in an INI file, or the default.
std::string LeerValor(const std::string& archivo, const std::string& entrada, const std::string& clave,
                      const std::string& defecto);
}  // namespace IniServices

}  // namespace dep
