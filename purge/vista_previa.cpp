// The preview of a run: counts with the run's own statements' filters, nothing written.
#include "purge/vista_previa.hpp"

#include <algorithm>

#include "common/periodo.hpp"
#include "numbering/ast.hpp"
#include "purge/consolidacion.hpp"
#include "purge/decision_pasada.hpp"
#include "purge/depuracion.hpp"
#include "purge/fechas_validas.hpp"
#include "purge/fusion.hpp"
#include "purge/importes_validos.hpp"
#include "purge/pasada_en_curso.hpp"
#include "purge/pasadas.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

// The first row's `campo`.
Value Uno(Servicios& s, const std::string& sql, const char* campo) {
    Recordset rs;
    s.datos.AbrirRecordset(sql, rs);
    Value v = rs.EOF() ? Value::Nulo() : rs.Fields(campo);
    s.datos.CerrarRecordset(rs);
    return v;
}

long long Cuenta(Servicios& s, const std::string& sql) {
    const Value v = Uno(s, sql, "N");
    return v.EsNulo() || v.EsVacio() ? 0 : static_cast<long long>(v.AEntero());
}

std::optional<Fecha> FechaODesconocida(const Value& v) {
    if (v.EsNulo() || v.EsVacio()) return std::nullopt;
    return FechaDeValor(v);
}

// The dates the walk visits from `primera` to `ultima`, as the run steps over the dates that hold
// nothing: the ordinary entries of the pass (`filtro`) and `otra` (re-dated rows), when there is one.
long long FechasVisitadas(Servicios& s, const Fecha& primera, const Fecha& ultima, std::string_view filtro,
                          const std::optional<Fecha>& otra) {
    std::vector<Fecha> fechas;
    if (otra) fechas.push_back(*otra);
    Recordset rs;
    s.datos.AbrirRecordset(SqlFechasConAsientos(TextoFecha(primera), TextoFecha(ultima), filtro, true), rs);
    for (; !rs.EOF(); rs.MoveNext())
        if (const auto f = FechaODesconocida(rs.Fields("FECHA"))) fechas.push_back(*f);
    s.datos.CerrarRecordset(rs);
    std::sort(fechas.begin(), fechas.end());
    long long n = 1;
    for (Fecha d = PasoTrasFechaVacia(primera, fechas, ultima); !(ultima < d);
         d = PasoTrasFechaVacia(d, fechas, ultima))
        ++n;
    return n;
}

// The summary voucher key the pass would take: the talonario's branch and the next number.
bool DecidirClave(Servicios& s, DecisionPasada& d, const std::string& tipo, bool existe, const Fecha& corte) {
    if (!d.ConTipo(existe)) return false;
    std::string sucursal, numero, letra;
    bool modifica = false;
    Obtener_Nro_Comprobante(s, tipo, sucursal, numero, letra, modifica, true, TextoFecha(corte.SumarDias(1)),
                            "");
    if (!d.ConSucursal(sucursal)) return false;
    return d.ConSiguienteNumero(
               SiguienteNumeroResumen(Uno(s, SqlMayorNumeroResumen(sucursal, tipo), "NUMERO"))) &&
           d.ConClaveOcupada(ExisteComprobanteResumen(s.datos, tipo, d.Clave()));
}

// Lists in `p` the summary voucher the pass would re-date before its walk (the one a dead run
// recorded); returns the condition on its rows ("" when none) and sets `fecha` to where it goes.
// False when the run would refuse the record.
bool BuscarVarados(Servicios& s, DecisionPasada& d, PreviaPasada& p, const Fecha& corte, std::string& varados,
                   std::optional<Fecha>& fecha) {
    const auto rec = LeerPasadaEnCurso(s.datos, p.tipo);
    if (!rec) return true;
    const Recuperacion r = PlanearRecuperacion(s.datos, *rec, corte);
    if (!d.ConRecuperacion(r)) return false;
    if (r.accion != Recuperacion::Accion::Mover) return true;
    fecha = r.destino;
    p.varados.push_back({rec->clave, r.filas, TextoFecha(r.destino)});
    varados = CondicionComprobante(p.tipo, rec->clave);
    return true;
}

// What the pass before left for the next one: the rows its last delete took, and whether it
// wrote a summary voucher on the cut-off date.
struct LoQueDejo {
    std::string filtro;
    std::optional<Fecha> borrado;
    bool resumen = false;
};

// The earliest date the walk would find: the earliest entry left by the previous pass, or the
// cut-off date where that pass's summary voucher or this pass's re-dated ones stand.
std::optional<Fecha> PrimeraFecha(Servicios& s, const LoQueDejo& antes, const Fecha& corte,
                                  const std::optional<Fecha>& fechaVarados) {
    std::string sql = "SELECT MIN(FECHA) AS FECHA FROM MV_ASIENTOS with(nolock)";
    if (antes.borrado)
        sql += " WHERE NOT (" + CondicionBorrado(HastaFecha(TextoFecha(*antes.borrado)), antes.filtro) + ")";
    std::optional<Fecha> primera = FechaODesconocida(Uno(s, sql, "FECHA"));
    if (antes.resumen && (!primera || corte < *primera)) primera = corte;
    if (fechaVarados && (!primera || *fechaVarados < *primera)) primera = *fechaVarados;
    return primera;
}

// Counts, in `p`, what the walk of the pass `f` from `primera` to `ultima` would do, with the
// re-dated voucher `varados` on `fechaVarados` (if any); returns what it leaves for the next pass.
LoQueDejo ContarPasada(Servicios& s, const DefPasada& f, const Fecha& primera, const Fecha& ultima,
                       const std::string& varados, std::optional<Fecha> fechaVarados, PreviaPasada& p) {
    p.primeraFecha = TextoFecha(primera);
    p.ultimaFecha = TextoFecha(ultima);
    // The re-dated voucher stands on its own cut-off date: the walk takes it when it gets there.
    const bool conVarados = fechaVarados && !(ultima < *fechaVarados);
    if (!conVarados) fechaVarados.reset();
    p.fechas = FechasVisitadas(s, primera, ultima, f.filtro, fechaVarados);
    auto hastaDia = [&](const Fecha& dia) {
        const std::string c = HastaFecha(TextoFecha(dia));
        return conVarados ? "(" + c + " OR (" + varados + "))" : c;
    };
    const std::string hastaUltima = CondicionAgrupacion(hastaDia(ultima), f.filtro);
    p.asientos = ContarAsientos(s.datos, kOrdinarios + hastaUltima);
    {
        Recordset rs;
        s.datos.AbrirRecordset(SqlAgrupacion(hastaUltima), rs);
        p.grupos = rs.RecordCount();
        s.datos.CerrarRecordset(rs);
    }
    // A date deletes only when it merged something: the last delete is the first walk date at or
    // after the latest ordinary entry.
    std::optional<Fecha> borrado;
    std::optional<Fecha> m =
        FechaODesconocida(Uno(s,
                              std::string("SELECT MAX(FECHA) AS FECHA FROM MV_ASIENTOS with(nolock) WHERE ") +
                                  kOrdinarios + CondicionAgrupacion(HastaFecha(TextoFecha(ultima)), f.filtro),
                              "FECHA"));
    if (conVarados && (!m || *m < *fechaVarados)) m = *fechaVarados;
    if (m) {
        borrado = PasoNoAntesDe(primera, *m);
        p.cierres = ContarAsientos(s.datos, CondicionBorrado(hastaDia(*borrado), f.filtro)) - p.asientos;
    }
    return {f.filtro, borrado, p.grupos > 0};
}

// Counts, in `p`, what the pass `f` would do; false when the run would stop at it. `antes` comes
// in as the pass before left the table and goes out as this one leaves it.
bool PreverPasada(Servicios& s, const DefPasada& f, bool existe, const Fecha& corte, PreviaPasada& p,
                  LoQueDejo& antes) {
    DecisionPasada d(f.tipo);
    std::string varados;
    std::optional<Fecha> fechaVarados;
    const bool corre = DecidirClave(s, d, p.tipo, existe, corte) &&
                       BuscarVarados(s, d, p, corte, varados, fechaVarados) &&
                       d.ConPrimeraFecha(PrimeraFecha(s, antes, corte, fechaVarados), corte);
    p.comprobante = d.Clave();
    p.motivo = d.Motivo();
    if (!corre) return false;
    p.correria = true;
    antes = ContarPasada(s, f, d.Primera(), d.Ultima(), varados, fechaVarados, p);
    return true;
}

}  // namespace

const std::vector<std::string>& TablasTemporales() {
    static const std::vector<std::string> t = {
        "AUX_MAYORES", "AUX_ANEXOA",           "AUX_EstadisticaCta",
        "Aux_MV_Cpte", "AUX_SALDOSMENSUALES",  "AUX_SUBDIARIOS",
        "AUX_TMP",     "AUX_TOTALES_DET",      "AUX_BORRADOR_PRECIOS",
        "AUX_ERR",     "AUX_MV_APLICACION_TR",
    };
    return t;
}

const std::vector<std::string>& TablasHistorial() {
    static const std::vector<std::string> t = {"MV_TRANSMISIONESLOG", "V_MV_PRECIOSHIS"};
    return t;
}

VistaPrevia CalcularVistaPrevia(Servicios& s, const std::string& hasta, bool stock, bool asientos,
                                bool temporales) {
    VistaPrevia v;
    v.hasta = hasta;
    v.stock = stock;
    v.asientos = asientos;
    v.temporales = temporales;
    if (const std::string rechazo = RechazoFechaCorte(hasta, Depuracion::Ahora()); !rechazo.empty())
        throw Falla(err::kTipoIncompatible, rechazo, "depuracion");
    const Fecha corte = *LeerFechaCorte(hasta);
    s.datos.Conexion_().CorridaEnCurso(v.corridaEnCurso);

    if (temporales) {
        for (const auto& t : TablasTemporales()) {
            ConteoTabla c{t, 0, true, {}};
            try {
                c.filas = Cuenta(s, "SELECT COUNT(*) AS N FROM " + t + " with(nolock)");
            } catch (const Falla&) {
                c.existe = false;  // the run's TRUNCATE is skipped the same way
            }
            v.trabajo.push_back(c);
        }
        for (const std::string& t : TablasHistorial()) {
            ConteoTabla c{t, 0, true, {}};
            try {
                const FechasNoValidas f = BuscarFechasNoValidas(s.datos, t);
                if (f.cantidad > 0)
                    c.aviso = DescribirFechasNoValidas(t, f) + ": no se borraría ninguna de sus filas";
                else
                    c.filas = Cuenta(s, std::string("SELECT COUNT(*) AS N FROM ") + t +
                                            " with(nolock) WHERE FECHA <= '" + DoblarComillas(hasta) + "'");
            } catch (const Falla&) {
                c.existe = false;
            }
            v.historial.push_back(c);
        }
    }

    v.existeCC = s.datos.ExisteRegistro("V_TA_CPTE", "CC", "Codigo", 8);
    v.existeFP = s.datos.ExisteRegistro("V_TA_CPTE", "FP", "Codigo", 8);
    if (!asientos) return v;
    if (const FechasNoValidas f = BuscarFechasNoValidas(s.datos, "MV_ASIENTOS"); f.cantidad > 0) {
        v.fechasAsientos = DescribirFechasNoValidas("MV_ASIENTOS", f) + ": no se consolidaría ningún asiento";
        return v;
    }
    if (const std::string m = LoQueDetieneLaConsolidacion(s.datos, TextoFecha(corte)); !m.empty()) {
        v.importesAsientos = m + ": no se consolidaría ningún asiento";
        return v;
    }

    // The numbering may write (its check deletes a control row): everything it does is undone.
    const TransaccionDeshecha deshecha(s.datos.Conexion_());
    LoQueDejo antes;
    bool sigue = true;
    for (const DefPasada& f : kPasadas) {
        PreviaPasada p;
        p.tipo = f.tipo;
        if (sigue)
            sigue = PreverPasada(s, f, p.tipo == "CC" ? v.existeCC : v.existeFP, corte, p, antes);
        else
            p.motivo = DecisionPasada::TrasUnaDetenida(p.tipo).Motivo();
        v.pasadas.push_back(p);
    }
    return v;
}

}  // namespace dep
