#pragma once
// Inside the demo generator: the state of one generation and the voucher it is writing.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "demo/azar.hpp"
#include "demo/bd_sqlite.hpp"
#include "demo/demo.hpp"

namespace dep::demo {

// The chart of accounts of the demo company; the order is the index used everywhere.
enum Cuenta : int {
    kCaja,
    kCajaDolares,
    kBancoNacion,
    kBancoGalicia,
    kValoresADepositar,
    kDeudores,
    kDocumentosACobrar,
    kIvaCredito,
    kMercaderias,
    kBienesDeUso,
    kProveedores,
    kDocumentosAPagar,
    kIvaDebito,
    kSueldosAPagar,
    kCargasAPagar,
    kCapital,
    kResultadosNoAsignados,
    kVentas,
    kVentasExterior,
    kIntereses,
    kCostoVentas,
    kSueldos,
    kCargasSociales,
    kAlquileres,
    kServicios,
    kGastosBancarios,
    kDiferenciaCambio,
    kFletes,
    kHonorarios,
    kNumCuentas
};

struct DatosCuenta {
    const char* codigo;
    const char* descripcion;
    bool patrimonial;
};
extern const DatosCuenta kCuentas[kNumCuentas];

inline constexpr const char* kRegistroPorDefecto = "\xC3\xBFRS";  // U+00FF followed by "RS"

struct Clave {
    std::string tc, suc, num, letra;
    std::string Id() const { return suc + num + letra; }
};

struct Linea {
    int cuenta;
    char lado;  // 'D' or 'H'
    std::int64_t centavos;
    bool bancaria = false;  // carries the voucher's bank number
};

struct Comprobante {
    Clave clave;
    int dia = 0, segundos = 0;
    std::string moneda = "PES";
    std::int64_t cotizacion = 100;  // hundredths
    std::string nroBancario;        // empty: NULL
    std::string tipoReg, caja = "1", unegocio;
    std::string detalle;
    int cierre = 0, apertura = 0;
    std::vector<Linea> lineas;
};

// An invoice still owed (customers) or owing (suppliers), for the applications.
struct Pendiente {
    Clave clave;
    std::int64_t centavos;
};

struct Contexto {
    Contexto(Bd& b, const OpcionesDemo& op);
    ~Contexto();

    Bd& bd;
    const OpcionesDemo& o;
    Azar azar;
    int primerDia, ultimoDia;  // first and last day of the entries
    long long filas = 0;       // rows of MV_ASIENTOS written

    std::int64_t saldo[kNumCuentas] = {};           // debit positive, cents
    std::map<std::string, long long> ultimoNumero;  // "TC|SUC|LETRA" -> last number issued
    std::map<std::tuple<int, int, std::string>, long long> ultimoAsiento;  // (period, month, register)
    std::vector<std::int64_t> dolar;  // rate per month from the first year, hundredths
    std::deque<Pendiente> facturas, facturasProveedor;

    std::unique_ptr<Sentencia> asiento, ccosto, aplicacion, credito, ventas, ventasItem, compras, comprasItem,
        stock, stockItem, viaje;

    Clave NuevaClave(const std::string& tc, const std::string& suc, const std::string& letra,
                     int saltoMax = 1);
    std::int64_t Cotizacion(const std::string& moneda, int dia) const;
    void Emitir(const Comprobante& c);
    void Aplicar(const std::string& cuenta, const Clave& aplicado, const Clave& origen, std::int64_t centavos,
                 int dia);
    void CreditoPendiente(const Clave& c, const std::string& cuenta, std::int64_t centavos, int dia);
};

// Ordinary vouchers: one of the suite's voucher types with its natural lines, for day `dia`.
Comprobante ComprobanteOrdinario(Contexto& cx, int dia);
// A manual entry of exactly `lineas` lines (2 or more), to fill a day to its row count.
Comprobante AsientoManual(Contexto& cx, int dia, int lineas);
// Year-end closing (EsCierre) and the opening of the next year (ES_SALDO_APERTURA).
void CerrarEjercicio(Contexto& cx, int dia);
void AbrirEjercicio(Contexto& cx, int dia, const std::int64_t (&saldos)[kNumCuentas]);
void AperturaInicial(Contexto& cx, int dia);

// Tables that do not depend on the entries, and those written after them.
void TablasFijas(Contexto& cx);
void TablasFinales(Contexto& cx);
void MovimientosDelDia(Contexto& cx, int dia);

}  // namespace dep::demo
