#include "lookup/consultar_campo.hpp"

#include "lookup/definir_consulta.hpp"
#include "runtime/carpetas.hpp"
#include "runtime/conversions.hpp"

namespace dep {
namespace {

std::string ElegidoComoTexto(const LookupServices& ls) {
    const Value& v = ls.ValorElegido();
    return v.EsVacio() || v.EsNulo() ? std::string() : v.ATexto();
}

}  // namespace

void ConsultarCampo(FormServices& fs, LookupServices& ls, CampoConsulta& campo) {
    std::string k = campo.Etiqueta();
    if (Recortar(k).empty()) return;
    ls.Activar(true);
    ls.ArchivoDefiniciones(fs.CarpetaConBarra(CarpetaDatos("CONSULTAS.KST")) + "CONSULTAS.KST");

    std::string r;
    if (IgualesSinCaso(k, "FECHA")) {
        r = fs.ElegirFecha(campo.Texto());
        // Closed without a choice (Esc, the window's close): the field keeps the date it had.
        if (r.empty()) return;
    } else if (IgualesSinCaso(k, "V_TA_TECNICOS")) {
        ls.CampoCodigo("IDTECNICO");
        ls.AbrirLista("V_TA_TECNICOS", "", "");
        r = ElegidoComoTexto(ls);
        campo.Escribir(r);
        campo.PulsarEnter();
    } else if (IgualesSinCaso(k, "TA_USUARIOS")) {
        ls.CampoCodigo("NOMBRE");
        ls.AbrirLista(std::string("SELECT NOMBRE,SISTEMA  FROM TA_USUARIOS WHERE SISTEMA = '") + "CN000PR" +
                          "' ORDER BY NOMBRE ",
                      "", "");
        r = ElegidoComoTexto(ls);
        campo.Escribir(r);
        campo.PulsarEnter();
    } else {
        std::string d, x;
        DefinirConsulta(fs, ls, k, d, r, x, true, "");
    }
    campo.Escribir(IgualesSinCaso(k, "Fecha") ? r : Recortar(r));
    campo.PulsarEnter();
}

}  // namespace dep
