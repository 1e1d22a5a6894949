#include "purge/pasada_en_curso.hpp"

#include "common/clave_comprobante.hpp"
#include "purge/fusion.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Clave(const std::string& tipo) {
    return "DEPURACION_EN_CURSO_" + tipo;
}

// ValorAux holds the cut-off date and, once a walk date merged, ";" and that date. A record of an
// earlier version holds the cut-off date only.
std::string ValorAux(const PasadaEnCurso& p) {
    return p.ultima.empty() ? p.corte : p.corte + ";" + p.ultima;
}

}  // namespace

long long ContarAsientos(DataServices& datos, const std::string& donde) {
    Recordset rs;
    datos.AbrirRecordset("SELECT COUNT(*) AS N FROM MV_ASIENTOS with(nolock) WHERE " + donde, rs);
    const Value v = rs.EOF() ? Value::Nulo() : rs.Fields("N");
    datos.CerrarRecordset(rs);
    return v.EsNulo() || v.EsVacio() ? 0 : static_cast<long long>(v.AEntero());
}

std::string SqlGrabarPasadaEnCurso(const PasadaEnCurso& p) {
    return "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio) VALUES ('" +
           DoblarComillas(Clave(p.tipo)) + "', '" + DoblarComillas(p.clave) + "', '" +
           DoblarComillas(ValorAux(p)) + "', 'DATOS', 0)";
}

std::string SqlAvanzarPasadaEnCurso(const PasadaEnCurso& p) {
    return "UPDATE TA_CONFIGURACION SET ValorAux = '" + DoblarComillas(ValorAux(p)) + "' WHERE CLAVE = '" +
           DoblarComillas(Clave(p.tipo)) + "'";
}

std::string SqlBorrarPasadaEnCurso(const std::string& tipo) {
    return "DELETE FROM TA_CONFIGURACION WHERE CLAVE = '" + DoblarComillas(Clave(tipo)) + "'";
}

std::optional<PasadaEnCurso> LeerPasadaEnCurso(DataServices& datos, const std::string& tipo) {
    Recordset rs;
    datos.AbrirRecordset(
        "SELECT VALOR, ValorAux FROM TA_CONFIGURACION WHERE CLAVE = '" + DoblarComillas(Clave(tipo)) + "'",
        rs);
    std::optional<PasadaEnCurso> r;
    if (!rs.EOF()) {
        const std::string aux = Recortar(TextoPlano(rs.Fields("ValorAux")));
        const auto corte = aux.find(';');
        r = PasadaEnCurso{tipo, Recortar(TextoPlano(rs.Fields("VALOR"))), Recortar(aux.substr(0, corte)),
                          corte == std::string::npos ? std::string() : Recortar(aux.substr(corte + 1))};
    }
    datos.CerrarRecordset(rs);
    return r;
}

Recuperacion PlanearRecuperacion(DataServices& datos, const PasadaEnCurso& rec, const Fecha& corte) {
    Recuperacion r;
    const auto corteRec = ReconocerFecha(rec.corte);
    const auto ultima = rec.ultima.empty() ? std::nullopt : ReconocerFecha(rec.ultima);
    const std::string nombre = "EL REGISTRO DE UNA DEPURACION INTERRUMPIDA (" + rec.tipo + " '" + rec.clave +
                               "' '" + rec.corte + (rec.ultima.empty() ? "" : ";" + rec.ultima) + "')";
    if (rec.clave.size() != ClaveComprobante::kLargo || !corteRec || (!rec.ultima.empty() && !ultima)) {
        r.motivo = "ATENCION: " + nombre + " NO ES VALIDO: SE DESCARTA SIN TOCAR LOS ASIENTOS.";
        return r;
    }
    const std::string delComprobante = CondicionComprobante(rec.tipo, rec.clave);
    // What that pass wrote, and nothing else: its merges carry the day after its cut-off date and
    // the detail "Depuracion".
    r.condicion = delComprobante + " AND Fecha = '" + TextoFecha(corteRec->SumarDias(1)) +
                  "' AND DETALLE = 'Depuracion'";
    const long long todas = ContarAsientos(datos, delComprobante);
    if (todas == 0) return r;  // nothing was merged before it died: only the record goes
    r.filas = ContarAsientos(datos, r.condicion);
    if (r.filas != todas) {
        r.accion = Recuperacion::Accion::Rehusar;
        r.motivo = "ATENCION: " + nombre + " NOMBRA UN COMPROBANTE CON " + std::to_string(todas - r.filas) +
                   " RENGLON(ES) QUE ESA DEPURACION NO ESCRIBIO: NO SE MOVIO NINGUN ASIENTO Y NO SE "
                   "CONSOLIDO. REVISE ESE COMPROBANTE Y ESE REGISTRO DE TA_CONFIGURACION.";
        return r;
    }
    if (ultima && *corteRec < ultima->SoloDia()) {
        // A walk never passes its cut-off date: this record was written by something else.
        r.accion = Recuperacion::Accion::Rehusar;
        r.motivo = "ATENCION: " + nombre +
                   " DICE QUE CONSOLIDO HASTA DESPUES DE SU FECHA DE CORTE: NO SE MOVIO "
                   "NINGUN ASIENTO Y NO SE CONSOLIDO. REVISE ESE REGISTRO DE TA_CONFIGURACION.";
    } else if (ultima) {
        r.accion = Recuperacion::Accion::Mover;
        r.destino = *ultima;
    } else if (!(corte < *corteRec)) {
        // A record of an earlier version, which does not say how far that walk got: on its cut-off
        // date, this walk (which goes at least as far) folds the voucher in.
        r.accion = Recuperacion::Accion::Mover;
        r.destino = *corteRec;
    } else {
        r.accion = Recuperacion::Accion::Rehusar;
        r.motivo = "ATENCION: " + nombre +
                   " NO DICE HASTA QUE FECHA CONSOLIDO, Y ESTA CORRIDA TERMINA ANTES "
                   "DE SU FECHA DE CORTE: NO SE MOVIO NINGUN ASIENTO Y NO SE CONSOLIDO. DEPURE HASTA EL " +
                   rec.corte + " O DESPUES PARA TERMINARLA.";
    }
    return r;
}

bool ExisteComprobanteResumen(DataServices& datos, const std::string& tipo, const std::string& id) {
    return ContarAsientos(datos, CondicionComprobante(tipo, id)) > 0;
}

std::string CondicionComprobante(const std::string& tipo, const std::string& clave) {
    return ClaveComprobante::Leer(clave).Condicion(tipo);
}

}  // namespace dep
