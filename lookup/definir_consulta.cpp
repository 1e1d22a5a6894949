#include "lookup/definir_consulta.hpp"

#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <system_error>

#include "runtime/carpetas.hpp"
#include "runtime/conversions.hpp"
#include "runtime/plataforma/rutas.hpp"

namespace dep {
namespace {

bool EsUna(const std::string& clave, std::initializer_list<std::string_view> lista) {
    for (auto c : lista)
        if (IgualesSinCaso(clave, c)) return true;
    return false;
}

bool Empieza(const std::string& clave, std::string_view prefijo) {
    return clave.size() >= prefijo.size() &&
           IgualesSinCaso(std::string_view(clave).substr(0, prefijo.size()), prefijo);
}

// "ID" + the key from character `desde` (1-based) on, without one trailing S when asked.
std::string IdDe(const std::string& clave, std::size_t desde, bool quitarS) {
    std::string r = "ID" + (clave.size() >= desde ? clave.substr(desde - 1) : std::string());
    if (quitarS && r.size() > 2 && (r.back() == 'S' || r.back() == 's')) r.pop_back();
    return r;
}

DefinicionConsulta Fila(const std::string& tabla, std::string d, std::string c, std::string x) {
    return {true, tabla, std::move(d), std::move(c), std::move(x)};
}

}  // namespace

DefinicionConsulta BuscarDefinicion(const std::string& k) {
    if (EsUna(k, {"TA_COMPROBANTES", "V_TA_Cpte"})) return Fila("VT_TA_Cpte", "Descripcion", "Codigo", "");
    if (EsUna(k, {"V_TA_PERCEPCION"})) return Fila(k, "DESCRIPCION", "IDPERCEPCION", "");
    if (EsUna(k, {"V_TA_RETENCIONES"})) return Fila(k, "DESCRIPCION", "IDRETENCION", "");
    if (EsUna(k, {"V_TA_UNIDADNEGOCIO"})) return Fila(k, "DESCRIPCION", "CODIGO", "");
    if (EsUna(k, {"V_ta_PoliticaPrecios"})) return Fila(k, "Descripcion", "codigo", "");
    if (EsUna(k, {"V_TA_CATEGORIAARTICULO"})) return Fila(k, "DESCRIPCION", "idcategoria", "");
    if (EsUna(k, {"V_TA_Cajas", "V_TA_Bancos", "V_TA_MotivoVta", "V_TA_MotivoCpra", "V_TA_Deposito",
                  "V_TA_Tecnicos", "V_TA_Tareas", "V_TA_Unidad", "V_TA_TipoArticulo", "V_TA_Rubros",
                  "V_TA_MotivoStock", "V_TA_CPRA_VTA", "V_TA_CATEGORIA", "V_TA_DESTINO", "V_TA_ORIGEN"})) {
        std::string codigo = IdDe(k, 6, true);
        if (IgualesSinCaso(k, "V_TA_CPRA_VTA")) codigo = "IDCOND_CPRA_VTA";
        if (IgualesSinCaso(k, "V_TA_TipoArticulo")) codigo = "IDTIPO";
        if (IgualesSinCaso(k, "V_TA_Cajas")) codigo = "IDCajas";
        return Fila(k, IgualesSinCaso(k, "V_TA_Tecnicos") ? "NOMBRE" : "DESCRIPCION", codigo, "");
    }
    if (EsUna(k, {"P_TA_NIVELESTUDIO", "P_TA_CONOCIMIENTOS", "P_TA_Categorizacion", "P_TA_CentroMedico",
                  "P_TA_FormasDePago", "P_MA_Empresas", "P_TA_ZONARESIDENCIA", "P_TA_ObraSocial",
                  "P_TA_MotivoEgreso", "P_TA_Grupos", "P_TA_EstadoBusqueda", "P_TA_Areas", "P_TA_IDIOMAS",
                  "P_TA_TITULOs", "P_TA_ESTADOPOSTULANTE", "P_TA_Parentesco", "P_TA_EstadoCivil"})) {
        return Fila(k, IgualesSinCaso(k, "P_MA_Empresas") ? "NombreEmpresa" : "Descripcion",
                    IdDe(k, 6, !IgualesSinCaso(k, "P_TA_Areas")), "");
    }
    if (EsUna(k, {"P_SINDICATOS"})) return Fila(k, "Descripcion", "IdSindicato", "");
    if (EsUna(k, {"P_TA_Funciones"})) return Fila(k, "DESCRIPCION", IdDe(k, 6, false), "");
    if (EsUna(k, {"TA_Categoria", "TA_Deposito", "TA_MotivoStock", "TA_TipoArticulo", "TA_Rubros"})) {
        return Fila(k, "DESCRIPCION", IgualesSinCaso(k, "TA_TipoArticulo") ? "IDTIPO" : IdDe(k, 4, true), "");
    }
    if (EsUna(k, {"P_MA_Clientes"})) return Fila(k, "RAZON_SOCIAL", "IDCLIENTE", "");
    if (EsUna(k, {"TA_Cpte"})) return Fila(k, "DESCRIPCION", "CODIGO", "DESCRIPCION");
    if (EsUna(k, {"V_TA_VENDEDORES"})) return Fila(k, "NOMBRE", "idvendedor", "NOMBRE");
    if (EsUna(k, {"V_MA_ARTICULOS"})) return Fila(k, "DESCRIPCION", IdDe(k, 6, true), "DESCRIPCION");
    if (EsUna(k, {"V_MV_COTIZAR"})) return Fila(k, "COT_OBSERVACIONES", "IDARTICULO", "COT_OBSERVACIONES");
    if (EsUna(k, {"MA_ARTICULOS"})) return Fila(k, "DESCRIPCION", IdDe(k, 4, true), "DESCRIPCION");
    if (EsUna(k, {"MA_MODELOS"})) return Fila(k, "NOMBRE", "NOMBRE", "NOMBRE");
    if (EsUna(k, {"MA_CHOFERES"})) return Fila(k, "APELLIDO", "CODIGO", "NOMBRES");
    if (EsUna(k, {"MA_DESTINATARIOS"})) return Fila(k, "NOMBRE", "CODIGO", "NOMBRE");
    if (EsUna(k, {"MA_VEHICULOS"}))
        return Fila(k, "PATENTE,TIPO_VEHICULO,MARCA,MODELO,TIPO", "PATENTE", "MODELO");
    if (EsUna(k, {"MV_EJERCICIOS"})) return Fila(k, "DESCRIPCION", "PERIODO", "DESCRIPCION");
    if (EsUna(k, {"TA_USUARIOS"})) return Fila(k, "NOMBRE", "NOMBRE", "");
    if (Empieza(k, "TA_")) return Fila(k, "DESCRIPCION", "CODIGO", "DESCRIPCION");
    if (Empieza(k, "MA_")) {
        if (Empieza(k, "MA_PRO") || Empieza(k, "MA_VEN") || Empieza(k, "MA_TRA") || Empieza(k, "MA_CON") ||
            Empieza(k, "MA_AGE"))
            return Fila(k, "Razon_Social", "Codigo", "Razon_Social");
        if (Empieza(k, "MA_CLI")) return Fila(k, "Razon_Social", "Codigo", "Codigo_sucursal");
        return Fila(k, "Descripcion", "Codigo", "Descripcion");
    }
    if (Empieza(k, "[MA_CA")) return Fila(k, "nombre", "Codigo", "nombre");
    if (Empieza(k, "MV_PRO")) return Fila(k, "ASUNTO", "ID", "ASUNTO");
    return {false, k, {}, {}, {}};
}

bool ExisteArchivoDefiniciones(const std::string& carpeta) {
    std::error_code ec;
    std::filesystem::directory_iterator it(carpeta.empty() ? std::filesystem::path(".") : Ruta(carpeta), ec),
        fin;
    for (; !ec && it != fin; it.increment(ec)) {
        if (IgualesSinCaso(TextoRuta(it->path().filename()), "consultas.kst") && it->is_regular_file(ec))
            return true;
    }
    return false;
}

void DefinirConsulta(FormServices& fs, LookupServices& ls, std::string& tabla, std::string& campoDescripcion,
                     std::string& campoCodigo, std::string& campoExtra, bool mostrar,
                     const std::string& filtro) {
    DefinicionConsulta d = BuscarDefinicion(tabla);
    if (d.conocida) {
        tabla = d.tabla;
        campoDescripcion = d.descripcion;
        campoCodigo = d.codigo;
        campoExtra = d.extra;
    }
    // The other programs of the suite that ignore the file are never this one.
    const bool conArchivo = ExisteArchivoDefiniciones(fs.CarpetaConBarra(CarpetaDatos("CONSULTAS.KST")));
    if (conArchivo) {
        if (IgualesSinCaso(tabla, "VT_CLIENTES") || IgualesSinCaso(tabla, "VT_PROVEEDORES"))
            campoCodigo = "CODIGO";
        std::string s = "select " + campoDescripcion + "," + campoCodigo + " from " + tabla + " " + filtro;
        ls.CampoCodigo(campoCodigo);
        ls.AbrirLista(tabla, filtro, s);
    } else if (mostrar) {
        if (Recortar(campoDescripcion).empty()) campoDescripcion = " * ";
        std::string s = "select " + campoDescripcion + "," + campoCodigo + " from " + tabla + " " + filtro;
        ls.CampoCodigo(campoCodigo);
        ls.AbrirLista(s, "", "");
    } else {
        return;
    }
    const Value& v = ls.ValorElegido();
    const bool vacio = v.EsVacio() || v.EsNulo() || v.ATexto().empty();
    campoCodigo = vacio ? std::string() : ls.ValorElegido().ATexto();
}

}  // namespace dep
