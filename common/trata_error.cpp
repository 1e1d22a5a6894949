#include "common/trata_error.hpp"

#include <cstdlib>

#include "runtime/conversions.hpp"
#include "runtime/plataforma/entorno.hpp"

namespace dep {

namespace {

// CarpetaConBarra needs no operator; the folder is asked for outside any routine.
class SinOperador : public Operador {
  public:
    int Mensaje(const std::string&, int, const std::string&) override { return 0; }
    int DialogoError(const Falla&) override { return 0; }
    int ErrorRutina(const Falla&, const std::string&) override { return 0; }
    std::string ElegirFecha(const std::string&) override { return {}; }
    std::string AbrirLista(const PedidoLista&) override { return {}; }
};

std::string CarpetaDelEntorno() {
    // Windows spells them TEMP/TMP; a Unix session usually only has TMPDIR.
    for (const char* nombre : {"TEMP", "TMP", "temp", "tmp", "TMPDIR"}) {
        std::string v = plataforma::VariableEntorno(nombre);
        if (!Recortar(v).empty()) return v;
    }
    return {};
}

std::string CarpetaRegistro(const FormServices& fs) {
    std::string carpeta = CarpetaDelEntorno();
    if (carpeta.empty()) carpeta = SystemServices::CarpetaTemporal();
    return fs.CarpetaConBarra(carpeta);
}

const char* TextoRespuesta(int r) {
    switch (r) {
        case vb::kReintentar:
            return "Reintentar";
        case vb::kIgnorar:
            return "Ignorar";
        case vb::kAbortar:
            return "Abortar";
        case vb::kCancelar:
            return "Cancelar";
        case vb::kSi:
            return "Sí";
        case vb::kNo:
            return "No";
        default:
            return "";
    }
}

}  // namespace

std::string CarpetaRegistro() {
    SinOperador op;
    FormServices fs(op);
    return CarpetaRegistro(fs);
}

int TrataError(Servicios& s, const Falla* e, std::optional<int> botones, std::optional<std::string> rutina) {
    // The handler itself must never raise: every step is skipped when it fails.
    ArchivoAbierto log;
    try {
        log = AbrirRegistroErrores(CarpetaRegistro(s.formularios));
    } catch (...) {
        // No log: the error is still shown and answered.
    }
    if (e == nullptr || e->Numero() == 0) return 0;

    std::string mensaje, parteRutina, titulo;
    try {
        mensaje = "Ha ocurrido el Siguiente Error (" + Recortar(TextoEntero(e->Numero())) + ") " +
                  Recortar(e->Descripcion());
        if (rutina) parteRutina = " - " + *rutina;
        titulo = e->Origen() + parteRutina + " Aviso al operador!!! - 2 ";
    } catch (...) {
        // The dialog still asks, with what text could be built.
    }

    int respuesta = 0;
    try {
        respuesta = s.operador.Mensaje(
            mensaje, botones.value_or(vb::kAbortarReintentarIgnorar | vb::kCritico), titulo);
    } catch (...) {
        // No answer (0): the routine leaves, as on any answer but retry or ignore.
    }

    try {
        if (log) log.Escribir(LineaRegistroErrores(parteRutina, mensaje, TextoRespuesta(respuesta)));
    } catch (...) {
        // The line is lost; the answer stands.
    }
    return respuesta;
}

}  // namespace dep
