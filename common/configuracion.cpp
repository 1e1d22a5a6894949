#include "common/configuracion.hpp"

#include "common/trampa.hpp"
#include "common/trata_error.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

void FijarTabla() {
    if (Recortar(TablaConfig()).empty()) TablaConfig() = "TA_CONFIGURACION";
}

}  // namespace

std::string& TablaConfig() {
    static std::string tabla;
    return tabla;
}

std::string Cfg(Servicios& s, const std::string& clave, std::string& aux) {
    // Only "Ignorar" goes on; every other answer (retry included) ends the read with "".
    Trampa trampa([&s](const Falla& e) {
        return TrataError(s, &e, std::nullopt, std::string("Cfg")) == vb::kIgnorar ? vb::kIgnorar
                                                                                   : vb::kAbortar;
    });

    Recordset rs;
    std::string sql, resultado;
    bool conectado = true;
    auto salir = [&]() -> std::string {
        rs.Close();
        return "";
    };

    if (trampa.Paso([&] { conectado = s.datos.EstaConectado(); }) == Salida::Abandonar) return salir();
    if (!conectado) return "";
    const std::string claveRecortada = Recortar(clave);
    const bool ok = trampa.Pasos({
        [&] { FijarTabla(); },
        [&] {
            // The key is doubled here so that a quote in it cannot end the literal early.
            sql = "SELECT VALOR, valoraux FROM " + TablaConfig() + " with(nolock)  WHERE CLAVE = '" +
                  DoblarComillas(claveRecortada) + "'";
        },
        [&] {
            if (IgualesSinCaso(claveRecortada, "[FECHA HASTA]") ||
                IgualesSinCaso(claveRecortada, "[FECHA DESDE]"))
                sql = Mayusculas(sql);
        },
        [&] { s.datos.AbrirRecordset(sql, rs, nullptr, ado::kSoloAvance, ado::kSoloLectura); },
        [&] {
            if (rs.EOF()) {
                resultado = ' ';
                aux.clear();
            } else {
                resultado = s.formularios.ValorCampo(rs.Fields("Valor")).ATexto();
                aux = s.formularios.ValorCampo(rs.Fields("ValorAux")).ATexto();
            }
        },
        [&] { s.datos.CerrarRecordset(rs); },
        [&] {
            if (IgualesSinCaso(clave, "THEME") && Recortar(resultado).empty()) resultado = '1';
        },
    });
    if (!ok) return salir();
    return resultado;
}

std::string Cfg(Servicios& s, const std::string& clave) {
    std::string aux;
    return Cfg(s, clave, aux);
}

bool GrabaDfg(Servicios& s, const std::string& clave, const Value& valor, const std::string& aux,
              bool politicaNegocio, const std::string& grupo, bool recortar) {
    // A failing step is skipped silently and the following ones still run; the caller learns
    // whether every step ran, so that nobody reports a value stored that was not.
    int fallos = 0;
    const Trampa trampa([&fallos](const Falla&) {
        ++fallos;
        return vb::kIgnorar;
    });
    Recordset rs;
    std::string sql;
    Conexion* cn = nullptr;
    trampa.Pasos({
        [&] { FijarTabla(); },
        [&] {
            sql = "SELECT * FROM " + TablaConfig() + " with(nolock)  WHERE CLAVE = '" +
                  DoblarComillas(clave) + "'";
        },
        [&] { cn = &s.datos.Conexion_(); },
        [&] { s.datos.AbrirRecordset(sql, rs, cn, ado::kDinamico, ado::kOptimista); },
        [&] {
            if (rs.EOF())
                rs.AddNew();
            else
                rs.MoveFirst();
        },
        [&] { rs.Poner("Grupo", s.formularios.ValorCampo(Value(grupo))); },
        [&] { rs.Poner("Clave", s.formularios.ValorCampo(Value(Mayusculas(Recortar(clave))))); },
        [&] {
            Value v = valor;
            if (recortar && !v.EsNulo()) v = Value(Recortar(v.EsVacio() ? std::string() : v.ATexto()));
            rs.Poner("Valor", s.formularios.ValorCampo(v));
        },
        [&] { rs.Poner("PoliticaNegocio", s.formularios.ValorCampo(Value(politicaNegocio))); },
        [&] {
            if (!aux.empty()) rs.Poner("ValorAux", Value(Recortar(aux)));
        },
        [&] { rs.Update(); },
        [&] { s.datos.CerrarRecordset(rs); },
    });
    rs.Close();
    return fallos == 0;
}

}  // namespace dep
