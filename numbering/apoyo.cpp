#include "numbering/apoyo.hpp"

#include <cmath>

#include "runtime/conversions.hpp"

namespace dep::numeracion {

namespace {
int abiertos = 0;
}

int ConjuntosAbiertos() {
    return abiertos;
}

void ConjuntoLocal::Registrar() {
    if (!contado_ && rs_.State() != ado::kCerrado) {
        contado_ = true;
        ++abiertos;
    }
}

void ConjuntoLocal::Abrir(const std::string& sql, Conexion* cn) {
    Cerrar();
    datos_.AbrirRecordset(sql, rs_, cn, ado::kSoloAvance, ado::kSoloLectura, -1, true);
    Registrar();
}

void ConjuntoLocal::Cerrar() noexcept {
    datos_.CerrarRecordset(rs_);
    if (contado_) {
        contado_ = false;
        --abiertos;
    }
}

ConjuntoLocal::~ConjuntoLocal() {
    Cerrar();
}

const Value& Campo(const Recordset& rs, std::string_view nombre, std::string_view tabla) {
    if (!rs.TieneCampo(nombre))
        throw Falla(err::kElementoNoEncontrado,
                    "No se encontró la columna " + std::string(nombre) + " en " + std::string(tabla) + ".",
                    "Numeracion");
    return rs.Fields(nombre);
}

Trampa TrampaRutina(Servicios& s, std::string rutina) {
    DataServices* datos = &s.datos;
    return Trampa(
        [datos, rutina = std::move(rutina)](const Falla& e) { return datos->ErrorRutina(e, rutina); });
}

double NumeroDeTexto(const Value& v) {
    if (v.EsNulo() || v.EsVacio()) return 0;
    if (v.EsNumero()) return v.ANumero();
    return LeerNumero(v.ATexto());
}

std::string Formato(double n, int digitos) {
    if (!std::isfinite(n) || std::fabs(n) > 9.2e18)
        throw Falla(err::kDesbordamiento, "Desbordamiento al dar formato al número " + TextoNumero(n) + ".",
                    "Numeracion");
    return FormatoCeros(std::llround(n), digitos);
}

std::string FormatoValor(const Value& v, int digitos) {
    if (v.EsNulo() || v.EsVacio()) return "";
    if (const std::string* t = v.SiTexto(); t && t->empty()) return "";
    return Formato(NumeroDeTexto(v), digitos);
}

std::string SiguienteOcho(Moneda m) {
    m.diezmilesimos += 10000;
    return Formato(m.ADoble(), 8);
}

bool EsUno(const std::string& tc, std::initializer_list<const char*> lista) {
    for (const char* x : lista)
        if (IgualesSinCaso(tc, x)) return true;
    return false;
}

}  // namespace dep::numeracion
