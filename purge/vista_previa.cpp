// The preview of a run: counts with the run's own statements' filters, nothing written.
#include "purge/vista_previa.hpp"

#include <set>

#include "common/periodo.hpp"
#include "numbering/ast.hpp"
#include "purge/consolidacion.hpp"
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

// The rows of MV_ASIENTOS that meet `donde`.
long long CuentaAsientos(Servicios& s, const std::string& donde) {
    return Cuenta(s, "SELECT COUNT(*) AS N FROM MV_ASIENTOS with(nolock) WHERE " + donde);
}

std::optional<Fecha> FechaODesconocida(const Value& v) {
    if (v.EsNulo() || v.EsVacio()) return std::nullopt;
    return FechaDeValor(v);
}

// The dates the walk visits from `primera` to `ultima`: its first one, then, as it passes over
// the dates that hold nothing, the first walk date at or after each later ordinary entry of the
// pass (`filtro`), and at or after `otra` (re-dated rows) when there is one.
long long FechasVisitadas(Servicios& s, const Fecha& primera, const Fecha& ultima, std::string_view filtro,
                          const std::optional<Fecha>& otra) {
    std::set<Fecha> pasos{primera};
    if (otra && !(ultima < *otra)) pasos.insert(PasoNoAntesDe(primera, *otra));
    Recordset rs;
    s.datos.AbrirRecordset(SqlFechasConAsientos(TextoFecha(primera), TextoFecha(ultima), filtro, true), rs);
    for (; !rs.EOF(); rs.MoveNext())
        if (const auto f = FechaODesconocida(rs.Fields("FECHA"))) pasos.insert(PasoNoAntesDe(primera, *f));
    s.datos.CerrarRecordset(rs);
    return static_cast<long long>(pasos.size());
}

// The summary voucher key the pass would take: the talonario's branch and the next number.
std::string ClaveResumen(Servicios& s, const std::string& tipo, const Fecha& corte, std::string& motivo) {
    std::string sucursal, numero, letra;
    bool modifica = false;
    Obtener_Nro_Comprobante(s, tipo, sucursal, numero, letra, modifica, true, TextoFecha(corte.SumarDias(1)),
                            "");
    if (sucursal.size() != 4) {
        motivo = "no se pudo obtener la sucursal del comprobante " + tipo + " (se obtuvo '" + sucursal + "')";
        return {};
    }
    const double n = SiguienteNumeroResumen(Uno(s, SqlMayorNumeroResumen(sucursal, tipo), "NUMERO"));
    if (n > kMayorNumeroResumen) {
        motivo = "el comprobante " + tipo + " de la sucursal " + sucursal + " ya llego al numero 99999999";
        return {};
    }
    return ClaveComprobanteResumen(sucursal, n);
}

// Lists in `p` the summary voucher the pass would re-date before its walk (the one a dead run
// recorded); returns the condition on its rows ("" when none) and sets `fecha` to where it goes.
// When the run would refuse the record, `p.motivo` says why.
std::string BuscarVarados(Servicios& s, PreviaPasada& p, const Fecha& corte, std::optional<Fecha>& fecha) {
    const auto rec = LeerPasadaEnCurso(s.datos, p.tipo);
    if (!rec) return {};
    const Recuperacion r = PlanearRecuperacion(s.datos, *rec, corte);
    if (r.accion == Recuperacion::Accion::Rehusar) p.motivo = r.motivo;
    if (r.accion != Recuperacion::Accion::Mover) return {};
    fecha = r.destino;
    p.varados.push_back({rec->clave, r.filas, TextoFecha(r.destino)});
    return CondicionComprobante(p.tipo, rec->clave);
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
    {
        std::string anteriorFiltro;
        std::optional<Fecha> anteriorBorrado;
        bool anteriorResumen = false;
        bool sigue = true;
        for (const DefPasada& f : kPasadas) {
            PreviaPasada p;
            p.tipo = f.tipo;
            const bool existe = p.tipo == "CC" ? v.existeCC : v.existeFP;
            if (!sigue) {
                p.motivo = "la pasada anterior termina la consolidacion";
            } else if (!existe) {
                p.motivo = "falta el codigo " + p.tipo + " en la tabla de comprobantes (V_TA_CPTE)";
            } else {
                p.comprobante = ClaveResumen(s, p.tipo, corte, p.motivo);
            }
            if (!sigue || !existe || p.comprobante.empty()) {
                sigue = false;
                v.pasadas.push_back(p);
                continue;
            }
            std::optional<Fecha> fechaVarados;
            const std::string varados = BuscarVarados(s, p, corte, fechaVarados);
            if (!p.motivo.empty()) {
                sigue = false;
                v.pasadas.push_back(p);
                continue;
            }
            // The walk starts at the earliest entry left by the previous pass, or at the cut-off
            // date where that pass's summary voucher or this pass's re-dated ones stand.
            std::string sql = "SELECT MIN(FECHA) AS FECHA FROM MV_ASIENTOS with(nolock)";
            if (anteriorBorrado)
                sql += " WHERE NOT (" +
                       CondicionBorrado(HastaFecha(TextoFecha(*anteriorBorrado)), anteriorFiltro) + ")";
            std::optional<Fecha> primera = FechaODesconocida(Uno(s, sql, "FECHA"));
            if (anteriorResumen && (!primera || corte < *primera)) primera = corte;
            if (fechaVarados && (!primera || *fechaVarados < *primera)) primera = *fechaVarados;
            if (!primera || *primera > corte) {
                p.motivo = primera ? "no hay asientos hasta la fecha" : "no hay asientos";
                sigue = false;
                v.pasadas.push_back(p);
                continue;
            }
            p.correria = true;
            Fecha ultima = *primera;
            const long long dias =
                corte.Dias() - primera->Dias() - (corte.SegundosDelDia() < primera->SegundosDelDia() ? 1 : 0);
            ultima = primera->SumarDias(static_cast<int>(dias));
            p.primeraFecha = TextoFecha(*primera);
            p.ultimaFecha = TextoFecha(ultima);
            // The re-dated voucher stands on its own cut-off date: the walk takes it when it gets there.
            const bool conVarados = fechaVarados && !(ultima < *fechaVarados);
            p.fechas = FechasVisitadas(s, *primera, ultima, f.filtro,
                                       conVarados ? fechaVarados : std::optional<Fecha>());
            auto hastaDia = [&](const Fecha& d) {
                const std::string c = HastaFecha(TextoFecha(d));
                return conVarados ? "(" + c + " OR (" + varados + "))" : c;
            };
            const std::string hastaUltima = CondicionAgrupacion(hastaDia(ultima), f.filtro);
            p.asientos = CuentaAsientos(s, kOrdinarios + hastaUltima);
            {
                Recordset rs;
                s.datos.AbrirRecordset(SqlAgrupacion(hastaUltima), rs);
                p.grupos = rs.RecordCount();
                s.datos.CerrarRecordset(rs);
            }
            // A date deletes only when it merged something: the last delete is the first walk
            // date at or after the latest ordinary entry.
            std::optional<Fecha> borrado;
            std::optional<Fecha> m = FechaODesconocida(
                Uno(s,
                    std::string("SELECT MAX(FECHA) AS FECHA FROM MV_ASIENTOS with(nolock) WHERE ") +
                        kOrdinarios + CondicionAgrupacion(HastaFecha(TextoFecha(ultima)), f.filtro),
                    "FECHA"));
            if (conVarados && (!m || *m < *fechaVarados)) m = *fechaVarados;
            if (m) {
                Fecha d = *primera;
                while (d < *m) d = d.SumarDias(1);
                borrado = d;
                const long long todos = CuentaAsientos(s, CondicionBorrado(hastaDia(d), f.filtro));
                p.cierres = todos - p.asientos;
            }
            anteriorFiltro = f.filtro;
            anteriorBorrado = borrado;
            anteriorResumen = p.grupos > 0;
            v.pasadas.push_back(p);
        }
    }
    return v;
}

}  // namespace dep
