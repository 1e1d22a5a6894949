// The demo database: schema, then three fiscal years of entries walked day by day, then the
// tables that depend on them. One transaction, prepared inserts, MV_ASIENTOS indexes and
// triggers rebuilt after the load.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "demo/calendario.hpp"
#include "demo/demo.hpp"
#include "demo/generador.hpp"
#include "demo/interno.hpp"
#include "runtime/falla.hpp"

namespace dep::demo {

const DatosCuenta kCuentas[kNumCuentas] = {
    {"110101", "CAJA", true},
    {"110102", "CAJA MONEDA EXTRANJERA", true},
    {"110201", "BANCO NACION CTA. CTE.", true},
    {"110202", "BANCO GALICIA CTA. CTE.", true},
    {"110301", "VALORES A DEPOSITAR", true},
    {"113101", "DEUDORES POR VENTAS", true},
    {"113102", "DOCUMENTOS A COBRAR", true},
    {"114101", "IVA CREDITO FISCAL", true},
    {"115101", "MERCADERIAS", true},
    {"121101", "BIENES DE USO", true},
    {"211101", "PROVEEDORES", true},
    {"211102", "DOCUMENTOS A PAGAR", true},
    {"213101", "IVA DEBITO FISCAL", true},
    {"214101", "SUELDOS A PAGAR", true},
    {"215101", "CARGAS SOCIALES A PAGAR", true},
    {"311101", "CAPITAL SOCIAL", true},
    {"312101", "RESULTADOS NO ASIGNADOS", true},
    {"411101", "VENTAS", false},
    {"411102", "VENTAS AL EXTERIOR", false},
    {"421101", "INTERESES GANADOS", false},
    {"511101", "COSTO DE MERCADERIAS VENDIDAS", false},
    {"521101", "SUELDOS Y JORNALES", false},
    {"521102", "CARGAS SOCIALES", false},
    {"522101", "ALQUILERES", false},
    {"522102", "SERVICIOS", false},
    {"523101", "GASTOS BANCARIOS", false},
    {"524101", "DIFERENCIA DE CAMBIO", false},
    {"525101", "FLETES", false},
    {"526101", "HONORARIOS", false},
};

namespace {

const char* const kInsertAsiento =
    "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, IDCOMPROBANTE, SECUENCIA, \"DEBE-HABER\", "
    "IMPORTE, MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, PERIODO, FECHA, "
    "MES_OPERATIVO, \"NUMERO ASIENTO\", DETALLE, EsCierre, ES_SALDO_APERTURA) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

bool EsGasto(int cuenta) {
    return cuenta >= kSueldos;
}

// Activity of a day: none on Sundays and the two holidays, little on Saturdays, more at month end.
int Peso(int dia) {
    Ymd f = CivilDesdeDias(dia);
    int ds = DiaSemana(dia);
    if (ds == 0 || (f.mes == 1 && f.dia == 1) || (f.mes == 12 && f.dia == 25)) return 0;
    if (ds == 6) return 3;
    return f.dia >= 27 ? 15 : 10;
}

// Rows of a voucher that fits the `resto` rows left for the day without leaving a single one.
Comprobante ComprobanteQueCabe(Contexto& cx, int dia, long long resto) {
    Comprobante c = ComprobanteOrdinario(cx, dia);
    long long n = static_cast<long long>(c.lineas.size());
    if (n <= resto && resto - n != 1) return c;
    // Too big, or one row would be left over: a manual entry of the right size instead.
    long long k = std::min<long long>(resto, 6);
    if (resto - k == 1) --k;
    return AsientoManual(cx, dia, static_cast<int>(k));
}

}  // namespace

Contexto::Contexto(Bd& b, const OpcionesDemo& op) : bd(b), o(op), azar(op.semilla) {
    primerDia = DiasDesdeCivil(o.anioInicial, 1, 1);
    ultimoDia = DiasDesdeCivil(o.anioInicial + 2, 12, 31);
    // A local currency that loses value against the dollar month after month.
    std::int64_t tasa = 9500;
    for (int m = 0; m < 48; ++m) {
        tasa += 250 + azar.Menor(400) + tasa / 60;
        dolar.push_back(tasa);
    }
    asiento = std::make_unique<Sentencia>(bd, kInsertAsiento);
    ccosto = std::make_unique<Sentencia>(
        bd,
        "INSERT INTO MV_ASIENTOSCCOSTO (CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, CENTRO_COSTO, "
        "\"DEBE-HABER\", IMPORTE, TIPO_REG, PERIODO, FECHA, MES_OPERATIVO, \"NUMERO ASIENTO\") "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    aplicacion = std::make_unique<Sentencia>(
        bd,
        "INSERT INTO MV_APLICACION (CUENTA, TC, SUCURSAL, NUMERO, LETRA, IDCOMPROBANTE, TCO_ORIGEN, "
        "SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN, IDCOMPROBANTE_ORIGEN, IMPORTE, FECHA) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    credito = std::make_unique<Sentencia>(
        bd,
        "INSERT INTO VE_CPTES_CREDITOS_PENDIENTES (TC, SUCURSAL, NUMERO, LETRA, CUENTA, IMPORTE, FECHA) "
        "VALUES (?,?,?,?,?,?,?)");
    ventas = std::make_unique<Sentencia>(
        bd,
        "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA, FECHA, CLIENTE, IDVENDEDOR, "
        "UNEGOCIO, MONEDA, COTIZACION, IMPORTE_NETO, IMPORTE_IVA, IMPORTE_TOTAL) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    ventasItem = std::make_unique<Sentencia>(bd,
                                             "INSERT INTO V_MV_CPTE_ITEMS (TC, IDCOMPROBANTE, ITEM, "
                                             "IDARTICULO, CANTIDAD, PRECIO) VALUES (?,?,?,?,?,?)");
    compras = std::make_unique<Sentencia>(
        bd,
        "INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA, FECHA, PROVEEDOR, UNEGOCIO, "
        "MONEDA, "
        "COTIZACION, IMPORTE_NETO, IMPORTE_IVA, IMPORTE_TOTAL) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    comprasItem = std::make_unique<Sentencia>(bd,
                                              "INSERT INTO C_MV_CPTE_ITEMS (TC, IDCOMPROBANTE, ITEM, "
                                              "IDARTICULO, CANTIDAD, COSTO) VALUES (?,?,?,?,?,?)");
    stock = std::make_unique<Sentencia>(bd,
                                        "INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA, "
                                        "FECHA, IDDEPOSITO, OBSERVACIONES) "
                                        "VALUES (?,?,?,?,?,?,?,?)");
    stockItem = std::make_unique<Sentencia>(bd,
                                            "INSERT INTO V_MV_STOCK_ITEMS (TC, IDCOMPROBANTE, ITEM, "
                                            "IDARTICULO, CANTIDAD, COSTO) VALUES (?,?,?,?,?,?)");
    viaje = std::make_unique<Sentencia>(
        bd,
        "INSERT INTO MV_VIAJES (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA, FECHA, CHOFER, PATENTE, DESTINO, "
        "IMPORTE) VALUES (?,?,?,?,?,?,?,?,?,?)");
}

Contexto::~Contexto() = default;

Clave Contexto::NuevaClave(const std::string& tc, const std::string& suc, const std::string& letra,
                           int saltoMax) {
    auto [it, nueva] = ultimoNumero.try_emplace(tc + "|" + suc + "|" + letra, 0);
    if (nueva) it->second = 100 + azar.Menor(2900);
    it->second += saltoMax > 1 ? azar.Entre(1, saltoMax) : 1;
    return {tc, suc, Ceros(it->second, 8), letra};
}

std::int64_t Contexto::Cotizacion(const std::string& moneda, int dia) const {
    if (moneda == "PES") return 100;
    Ymd f = CivilDesdeDias(dia);
    std::size_t m = static_cast<std::size_t>(std::clamp((f.anio - o.anioInicial) * 12 + f.mes - 1, 0, 47));
    return moneda == "EUR" ? dolar[m] * 108 / 100 : dolar[m];
}

void Contexto::Emitir(const Comprobante& c) {
    Ymd f = CivilDesdeDias(c.dia);
    long long nroAsiento = ++ultimoAsiento[{f.anio, f.mes, c.tipoReg}];
    std::string fecha = TextoFechaIso(c.dia, c.segundos);
    std::string id = c.clave.Id();
    double cotizacion = static_cast<double>(c.cotizacion) / 100.0;
    for (std::size_t i = 0; i < c.lineas.size(); ++i) {
        const Linea& l = c.lineas[i];
        const char lado[2] = {l.lado, 0};
        Sentencia& s = *asiento;
        s.Texto(1, kCuentas[l.cuenta].codigo)
            .Texto(2, c.clave.tc)
            .Texto(3, c.clave.suc)
            .Texto(4, c.clave.num);
        s.Texto(5, c.clave.letra).Texto(6, id).Entero(7, static_cast<std::int64_t>(i + 1)).Texto(8, lado);
        s.Importe(9, l.centavos).Texto(10, c.moneda).Doble(11, cotizacion);
        if (l.bancaria && !c.nroBancario.empty())
            s.Texto(12, c.nroBancario);
        else
            s.Nulo(12);
        s.Texto(13, c.tipoReg).Texto(14, c.caja).Texto(15, c.unegocio).Entero(16, f.anio).Texto(17, fecha);
        s.Entero(18, f.mes)
            .Entero(19, nroAsiento)
            .Texto(20, c.detalle)
            .Entero(21, c.cierre)
            .Entero(22, c.apertura);
        s.Paso();
        ++filas;
        saldo[l.cuenta] += l.lado == 'D' ? l.centavos : -l.centavos;
        if (!EsGasto(l.cuenta) || c.cierre) continue;
        // The expense is spread over one or two cost centres.
        static const char* const kCentros[] = {"ADM", "COM", "PRO"};
        std::size_t primero = azar.Menor(3);
        std::int64_t parte = azar.Prob(2, 5) ? l.centavos * (30 + azar.Menor(41)) / 100 : l.centavos;
        for (int k = 0; k < 2 && parte > 0; ++k) {
            Sentencia& cc = *ccosto;
            cc.Texto(1, kCuentas[l.cuenta].codigo)
                .Texto(2, c.clave.tc)
                .Texto(3, c.clave.suc)
                .Texto(4, c.clave.num);
            cc.Texto(5, c.clave.letra).Entero(6, static_cast<std::int64_t>(i + 1));
            cc.Texto(7, kCentros[(primero + k) % 3]).Texto(8, lado).Importe(9, parte).Texto(10, c.tipoReg);
            cc.Entero(11, f.anio).Texto(12, fecha).Entero(13, f.mes).Entero(14, nroAsiento);
            cc.Paso();
            parte = l.centavos - parte;
        }
    }
}

void Contexto::Aplicar(const std::string& cuenta, const Clave& aplicado, const Clave& origen,
                       std::int64_t centavos, int dia) {
    Sentencia& s = *aplicacion;
    s.Texto(1, cuenta)
        .Texto(2, aplicado.tc)
        .Texto(3, aplicado.suc)
        .Texto(4, aplicado.num)
        .Texto(5, aplicado.letra);
    s.Texto(6, aplicado.Id())
        .Texto(7, origen.tc)
        .Texto(8, origen.suc)
        .Texto(9, origen.num)
        .Texto(10, origen.letra);
    s.Texto(11, origen.Id()).Importe(12, centavos).Texto(13, TextoFechaIso(dia));
    s.Paso();
}

void Contexto::CreditoPendiente(const Clave& c, const std::string& cuenta, std::int64_t centavos, int dia) {
    Sentencia& s = *credito;
    s.Texto(1, c.tc).Texto(2, c.suc).Texto(3, c.num).Texto(4, c.letra).Texto(5, cuenta).Importe(6, centavos);
    s.Texto(7, TextoFechaIso(dia));
    s.Paso();
}

namespace {

void GenerarAsientos(Contexto& cx) {
    const long long n = cx.o.asientos;
    std::vector<std::int64_t> acumulado;
    std::int64_t total = 0;
    for (int d = cx.primerDia; d <= cx.ultimoDia; ++d) acumulado.push_back(total += Peso(d));
    std::int64_t saldosAlCierre[kNumCuentas] = {};
    bool abrirHoy = false;
    for (int d = cx.primerDia; d <= cx.ultimoDia; ++d) {
        if (d == cx.primerDia) AperturaInicial(cx, d);
        if (abrirHoy) AbrirEjercicio(cx, d, saldosAlCierre);
        abrirHoy = false;
        long long meta = n * acumulado[static_cast<std::size_t>(d - cx.primerDia)] / total;
        // The last day takes what is left, which must never be a single row.
        meta = d == cx.ultimoDia ? n : std::min(meta, n - 2);
        while (meta - cx.filas >= 2) cx.Emitir(ComprobanteQueCabe(cx, d, meta - cx.filas));
        MovimientosDelDia(cx, d);
        Ymd f = CivilDesdeDias(d);
        if (f.mes == 12 && f.dia == 31 && f.anio < cx.o.anioInicial + 2) {
            std::copy(std::begin(cx.saldo), std::end(cx.saldo), std::begin(saldosAlCierre));
            CerrarEjercicio(cx, d);
            abrirHoy = true;
        }
    }
    if (cx.filas != n)
        throw Falla(
            err::kDesbordamiento,
            "No se pudieron repartir " + std::to_string(n) + " asientos en los tres ejercicios; pida más.",
            "depuracion-demo");
}

// MV_ASIENTOS loads much faster without its indexes and triggers; they are put back afterwards.
std::vector<std::string> QuitarIndicesYDisparadores(Bd& bd) {
    auto objetos = bd.Filas(
        "SELECT type, name, sql FROM sqlite_master WHERE tbl_name = 'MV_ASIENTOS' AND type IN ('index', "
        "'trigger') AND sql IS NOT NULL ORDER BY type, name");
    std::vector<std::string> recrear;
    for (const auto& o : objetos) {
        bd.Ejecutar("DROP " + std::string(o[0] == "index" ? "INDEX " : "TRIGGER ") + "\"" + o[1] + "\"");
        recrear.push_back(o[2]);
    }
    return recrear;
}

void ValidarOpciones(const OpcionesDemo& o) {
    if (o.asientos < kMinimoAsientosDemo || o.asientos > kMaximoAsientosDemo)
        throw Falla(err::kDesbordamiento,
                    "La cantidad de asientos debe estar entre " + std::to_string(kMinimoAsientosDemo) +
                        " y " + std::to_string(kMaximoAsientosDemo) + ".",
                    "depuracion-demo");
    if (o.anioInicial < 1990 || o.anioInicial > 2090)
        throw Falla(err::kDesbordamiento, "El año inicial debe estar entre 1990 y 2090.", "depuracion-demo");
}

}  // namespace
}  // namespace dep::demo

namespace dep {

void GenerarDemo(const std::string& ruta, const OpcionesDemo& o) {
    demo::ValidarOpciones(o);
    demo::ExigirArchivoNuevo(ruta);
    try {
        demo::Bd bd(ruta);
        // A fixture being built from nothing: a failure removes the file, so no journal is needed.
        bd.Ejecutar(
            "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536; "
            "PRAGMA temp_store = MEMORY");
        demo::AplicarEsquema(bd);
        {
            sqlite::Transaccion t(bd.Manejador());
            if (!t) bd.Fallar("BEGIN");
            auto recrear = demo::QuitarIndicesYDisparadores(bd);
            {
                demo::Contexto cx(bd, o);
                demo::TablasFijas(cx);
                demo::GenerarAsientos(cx);
                demo::TablasFinales(cx);
            }
            for (const auto& sql : recrear) bd.Ejecutar(sql);
            if (t.Confirmar() != SQLITE_OK) bd.Fallar("COMMIT");
        }
        bd.Ejecutar("PRAGMA analysis_limit = 1000; ANALYZE");
        // The suite's demo file keeps a write-ahead log, as the program's engine prefers; the
        // engine itself leaves every file in the journal mode it has.
        bd.Ejecutar("PRAGMA journal_mode = WAL");
    } catch (...) {
        demo::BorrarSiExiste(ruta);
        throw;
    }
}

}  // namespace dep
