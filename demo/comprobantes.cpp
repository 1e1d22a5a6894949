// The vouchers of the demo company: sales, receipts, payments, bank movements, supplier
// invoices and payments, manual entries, and the year-end closing and opening entries.
// Every voucher balances (debits = credits, in cents).
#include <algorithm>
#include <string>

#include "demo/calendario.hpp"
#include "demo/generador.hpp"

namespace dep::demo {

namespace {

const char* const kNombresClientes[] = {
    "DISTRIBUIDORA DEL SUR S.A.", "FERRETERIA LOS ANDES",       "D'ANGELO HNOS. S.R.L.",
    "SUPERMERCADOS NORTE S.A.",   "AGROPECUARIA LA PAMPA",      "CONSTRUCTORA RIO SALADO",
    "LIBRERIA CENTRAL",           "TRANSPORTES PATAGONIA S.A.", "FARMACIA SAN MARTIN",
    "ALMACEN DON PEDRO",          "TALLERES MECANICOS OESTE",   "COOPERATIVA EL SOL",
    "HOTEL PLAZA MAYOR",          "ESTUDIO CONTABLE GOMEZ",     "PANADERIA LA ESPIGA",
    "METALURGICA CORDOBA S.A.",   "VIVERO LAS ROSAS",           "OPTICA BELGRANO",
    "IMPORTADORA ATLANTICO",      "CLINICA DEL VALLE",
};
const char* const kNombresProveedores[] = {
    "PAPELERA ARGENTINA S.A.",    "ACEROS DEL LITORAL", "QUIMICA INDUSTRIAL S.R.L.", "EMBALAJES MODERNOS",
    "ELECTRICIDAD TOTAL",         "TEXTIL SAN JUAN",    "LOGISTICA EXPRESS S.A.",    "MAYORISTA EL PUENTE",
    "SERVICIOS INFORMATICOS SUR", "PLASTICOS ROSARIO",  "GLOBAL TRADE INC.",         "MADERERA DEL NORTE",
};
constexpr int kArticulos = 40;

template <std::size_t N>
const char* Uno(Azar& a, const char* const (&lista)[N]) {
    return lista[a.Menor(N)];
}

std::string Articulo(Azar& a) {
    return "ART" + Ceros(1 + a.Menor(kArticulos), 4);
}

std::int64_t Iva(std::int64_t neto) {
    return (neto * 21 + 50) / 100;
}

std::string Titulo(const char* que, const Clave& c) {
    return std::string(que) + " " + c.letra + " " + c.suc + "-" + c.num;
}

// Register type, cash box, business unit and time of day, spread over every kind of voucher.
void Terminar(Azar& a, Comprobante& c, const std::string& registro) {
    std::uint32_t r = a.Menor(100);
    c.tipoReg = r < 15 ? kRegistroPorDefecto : r < 22 ? "" : registro;
    r = a.Menor(100);
    c.caja = c.moneda != "PES" ? "3" : r < 60 ? "1" : r < 85 ? "2" : "3";
    r = a.Menor(100);
    c.unegocio = r < 50 ? "01" : r < 80 ? "02" : "";
    if (a.Prob(15, 100))
        c.segundos = a.Prob(1, 3) ? 10 * 3600 + 30 * 60 : static_cast<int>(a.Entre(480, 1199)) * 60;
}

// Headers and lines of the sales side; the stock leaves with half of the invoices.
void RegistrarVenta(Contexto& cx, const Comprobante& c, const char* cliente, std::int64_t neto,
                    std::int64_t iva) {
    Azar& a = cx.azar;
    std::string fecha = TextoFechaIso(c.dia, c.segundos), id = c.clave.Id();
    Sentencia& v = *cx.ventas;
    v.Texto(1, c.clave.tc).Texto(2, id).Texto(3, c.clave.suc).Texto(4, c.clave.num).Texto(5, c.clave.letra);
    v.Texto(6, fecha)
        .Texto(7, cliente)
        .Texto(8, Ceros(1 + a.Menor(4), 3))
        .Texto(9, c.unegocio)
        .Texto(10, c.moneda);
    v.Doble(11, static_cast<double>(c.cotizacion) / 100.0)
        .Importe(12, neto)
        .Importe(13, iva)
        .Importe(14, neto + iva);
    v.Paso();
    int items = 1 + static_cast<int>(a.Menor(3));
    for (int i = 1; i <= items; ++i) {
        Sentencia& it = *cx.ventasItem;
        std::int64_t cantidad = 1 + a.Menor(20);
        it.Texto(1, c.clave.tc).Texto(2, id).Entero(3, i).Texto(4, Articulo(a)).Entero(5, cantidad);
        it.Importe(6, std::max<std::int64_t>(1, neto / items / cantidad)).Paso();
    }
    if (c.clave.tc == "FC" && a.Prob(1, 2)) {
        Clave vs = cx.NuevaClave("VS", "0001", "X");
        Sentencia& s = *cx.stock;
        s.Texto(1, "VS").Texto(2, vs.Id()).Texto(3, vs.suc).Texto(4, vs.num).Texto(5, "X").Texto(6, fecha);
        s.Texto(7, "1").Texto(8, "ENTREGA " + Titulo("FC", c.clave)).Paso();
        for (int i = 1; i <= items; ++i) {
            Sentencia& it = *cx.stockItem;
            it.Texto(1, "VS")
                .Texto(2, vs.Id())
                .Entero(3, i)
                .Texto(4, Articulo(a))
                .Entero(5, -(1 + a.Entre(0, 19)));
            it.Importe(6, 100 + a.Menor(90000)).Paso();
        }
    }
    if (c.clave.tc == "FC" && a.Prob(1, 12)) {
        Clave vj = cx.NuevaClave("VJ", "0001", "X");
        static const char* const kDestinos[] = {"ROSARIO", "CORDOBA", "MENDOZA", "MAR DEL PLATA", "NEUQUEN"};
        Sentencia& s = *cx.viaje;
        s.Texto(1, "VJ").Texto(2, vj.Id()).Texto(3, vj.suc).Texto(4, vj.num).Texto(5, "X").Texto(6, fecha);
        s.Texto(7, "CH" + Ceros(1 + a.Menor(5), 3)).Texto(8, "AB" + Ceros(100 + a.Menor(900), 3) + "CD");
        s.Texto(9, Uno(a, kDestinos)).Importe(10, 500000 + a.Menor(5000000)).Paso();
    }
}

void RegistrarCompra(Contexto& cx, const Comprobante& c, const char* proveedor, std::int64_t neto,
                     std::int64_t iva, bool mercaderia) {
    Azar& a = cx.azar;
    std::string fecha = TextoFechaIso(c.dia, c.segundos), id = c.clave.Id();
    Sentencia& s = *cx.compras;
    s.Texto(1, c.clave.tc).Texto(2, id).Texto(3, c.clave.suc).Texto(4, c.clave.num).Texto(5, c.clave.letra);
    s.Texto(6, fecha).Texto(7, proveedor).Texto(8, c.unegocio).Texto(9, c.moneda);
    s.Doble(10, static_cast<double>(c.cotizacion) / 100.0)
        .Importe(11, neto)
        .Importe(12, iva)
        .Importe(13, neto + iva);
    s.Paso();
    int items = 1 + static_cast<int>(a.Menor(2));
    for (int i = 1; i <= items; ++i) {
        Sentencia& it = *cx.comprasItem;
        it.Texto(1, c.clave.tc).Texto(2, id).Entero(3, i).Texto(4, Articulo(a)).Entero(5, 1 + a.Menor(50));
        it.Importe(6, std::max<std::int64_t>(1, neto / items / 10)).Paso();
    }
    if (mercaderia && a.Prob(1, 2)) {
        Clave ir = cx.NuevaClave("IR", "0001", "X");
        Sentencia& st = *cx.stock;
        st.Texto(1, "IR").Texto(2, ir.Id()).Texto(3, ir.suc).Texto(4, ir.num).Texto(5, "X").Texto(6, fecha);
        st.Texto(7, a.Prob(3, 4) ? "1" : "2").Texto(8, "INGRESO " + Titulo("FP", c.clave)).Paso();
        Sentencia& it = *cx.stockItem;
        it.Texto(1, "IR").Texto(2, ir.Id()).Entero(3, 1).Texto(4, Articulo(a)).Entero(5, 1 + a.Menor(100));
        it.Importe(6, std::max<std::int64_t>(1, neto / 50)).Paso();
    }
}

// Takes one of the oldest open invoices; its balance goes down by what is applied.
Pendiente* UnaPendiente(Azar& a, std::deque<Pendiente>& cola) {
    if (cola.empty()) return nullptr;
    return &cola[a.Menor(static_cast<std::uint32_t>(std::min<std::size_t>(cola.size(), 30)))];
}

void Descontar(std::deque<Pendiente>& cola, Pendiente* p, std::int64_t centavos) {
    p->centavos -= centavos;
    if (p->centavos > 0) return;
    auto it = std::find_if(cola.begin(), cola.end(), [p](const Pendiente& x) { return &x == p; });
    if (it != cola.end()) cola.erase(it);
}

void Recordar(std::deque<Pendiente>& cola, const Clave& c, std::int64_t centavos) {
    cola.push_back({c, centavos});
    if (cola.size() > 400) cola.pop_front();  // very old invoices stay unpaid
}

int Banco(Azar& a) {
    return a.Prob(3, 5) ? kBancoNacion : kBancoGalicia;
}

// An invoice of the previous year, already purged: its entries are gone but payments still
// point at it.
Clave FacturaAnterior(Azar& a, const char* tc, const char* letra) {
    return {tc, "0001", Ceros(1 + a.Menor(90), 8), letra};
}

Comprobante Factura(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    std::uint32_t r = a.Menor(100);
    std::string letra = r < 8 ? "E" : r < 60 ? "A" : "B";
    c.clave = cx.NuevaClave("FC", letra == "E" ? "0003" : a.Prob(7, 10) ? "0001" : "0002", letra);
    const char* cliente = Uno(a, kNombresClientes);
    std::int64_t neto, iva = 0;
    if (letra == "E") {
        c.moneda = "DOL";
        c.cotizacion = cx.Cotizacion("DOL", dia);
        neto = (a.Importe() / 40 + 1000) * c.cotizacion / 100;
        c.lineas = {{kDeudores, 'D', neto}, {kVentasExterior, 'H', neto}};
    } else {
        neto = a.Importe();
        iva = Iva(neto);
        c.lineas = {{kDeudores, 'D', neto + iva}, {kVentas, 'H', neto}, {kIvaDebito, 'H', iva}};
    }
    c.detalle = Titulo("FACTURA", c.clave) + " " + cliente;
    Terminar(a, c, "VT");
    RegistrarVenta(cx, c, cliente, neto, iva);
    Recordar(cx.facturas, c.clave, neto + iva);
    if (dia < cx.primerDia + 45 && a.Prob(1, 6))  // a credit note of last year, applied to this invoice
        cx.Aplicar(kCuentas[kDeudores].codigo, c.clave, FacturaAnterior(a, "NC", "A"),
                   std::min<std::int64_t>(neto, 50000), dia);
    return c;
}

Comprobante NotaCredito(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("NC", a.Prob(7, 10) ? "0001" : "0002", a.Prob(3, 5) ? "A" : "B");
    const char* cliente = Uno(a, kNombresClientes);
    std::int64_t neto = a.Importe() / 5 + 1000, iva = Iva(neto);
    c.lineas = {{kVentas, 'D', neto}, {kIvaDebito, 'D', iva}, {kDeudores, 'H', neto + iva}};
    c.detalle = Titulo("NOTA DE CREDITO", c.clave) + " " + cliente;
    Terminar(a, c, "VT");
    RegistrarVenta(cx, c, cliente, neto, iva);
    Pendiente* p = a.Prob(7, 10) ? UnaPendiente(a, cx.facturas) : nullptr;
    if (p) {
        std::int64_t aplicado = std::min(neto + iva, p->centavos);
        cx.Aplicar(kCuentas[kDeudores].codigo, p->clave, c.clave, aplicado, dia);
        Descontar(cx.facturas, p, aplicado);
    } else {
        cx.CreditoPendiente(c.clave, kCuentas[kDeudores].codigo, neto + iva, dia);
    }
    return c;
}

Comprobante NotaDebito(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("ND", "0001", a.Prob(3, 5) ? "A" : "B");
    const char* cliente = Uno(a, kNombresClientes);
    std::int64_t neto = a.Importe() / 10 + 500, iva = Iva(neto);
    c.lineas = {{kDeudores, 'D', neto + iva}, {kIntereses, 'H', neto}, {kIvaDebito, 'H', iva}};
    c.detalle = Titulo("NOTA DE DEBITO", c.clave) + " INTERESES " + cliente;
    Terminar(a, c, "VT");
    RegistrarVenta(cx, c, cliente, neto, iva);
    Recordar(cx.facturas, c.clave, neto + iva);
    return c;
}

Comprobante Recibo(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("RC", a.Prob(7, 10) ? "0001" : "0002", "X");
    Pendiente* p = a.Prob(9, 10) ? UnaPendiente(a, cx.facturas) : nullptr;
    bool anterior = dia < cx.primerDia + 45 && a.Prob(1, 4);
    std::int64_t importe = p && !anterior
                               ? (a.Prob(4, 5) ? p->centavos : std::max<std::int64_t>(100, p->centavos / 2))
                               : a.Importe();
    std::uint32_t r = a.Menor(100);
    if (r < 20) {
        std::int64_t efectivo = importe * (20 + a.Menor(60)) / 100;
        c.lineas = {{kCaja, 'D', efectivo}, {kValoresADepositar, 'D', importe - efectivo}};
    } else if (r < 50) {
        c.lineas = {{kCaja, 'D', importe}};
    } else if (r < 78) {
        c.lineas = {{kValoresADepositar, 'D', importe}};
    } else {
        c.lineas = {{kBancoNacion, 'D', importe, true}};
        c.nroBancario = Ceros(a.Entre(1000000, 99999999), 8);
    }
    c.lineas.push_back({kDeudores, 'H', importe});
    c.detalle = "RECIBO " + c.clave.suc + "-" + c.clave.num;
    Terminar(a, c, "TE");
    const std::string cuenta = kCuentas[kDeudores].codigo;
    if (anterior) {
        cx.Aplicar(cuenta, FacturaAnterior(a, "FC", "A"), c.clave, importe, dia);
    } else if (p) {
        cx.Aplicar(cuenta, p->clave, c.clave, importe, dia);
        Descontar(cx.facturas, p, importe);
    } else {
        cx.CreditoPendiente(c.clave, cuenta, importe, dia);  // paid on account
    }
    return c;
}

Comprobante OrdenPago(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("OPG", "0001", "X");
    std::int64_t total;
    if (a.Prob(1, 5)) {
        total = a.Importe();
        c.lineas = {{a.Prob(2, 3) ? kSueldosAPagar : kCargasAPagar, 'D', total}};
        c.detalle = "ORDEN DE PAGO " + c.clave.num + " SUELDOS Y CARGAS";
    } else {
        static const int gastos[] = {kAlquileres, kServicios, kHonorarios, kFletes};
        std::int64_t neto = a.Importe() / 2 + 1000;
        c.lineas = {{gastos[a.Menor(4)], 'D', neto}};
        total = neto;
        if (a.Prob(1, 2)) {
            c.lineas.push_back({kIvaCredito, 'D', Iva(neto)});
            total += Iva(neto);
        }
        c.detalle = "ORDEN DE PAGO " + c.clave.num + " GASTOS";
    }
    std::uint32_t r = a.Menor(100);
    if (r < 70) {
        c.lineas.push_back({Banco(a), 'H', total, true});
        c.nroBancario = Ceros(a.Entre(1, 99999999), 8);
    } else if (r < 95) {
        c.lineas.push_back({kCaja, 'H', total});
    } else {
        c.moneda = a.Prob(1, 3) ? "EUR" : "DOL";
        c.cotizacion = cx.Cotizacion(c.moneda, dia);
        c.lineas.push_back({kCajaDolares, 'H', total});
    }
    Terminar(a, c, "TE");
    return c;
}

Comprobante MovimientoBancario(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("CB", "0001", "X");
    c.nroBancario = Ceros(a.Entre(1, 99999999), 8);
    std::uint32_t r = a.Menor(100);
    std::int64_t importe = a.Importe();
    if (r < 50) {
        c.lineas = {{Banco(a), 'D', importe, true}, {kValoresADepositar, 'H', importe}};
        c.detalle = "DEPOSITO BANCARIO " + c.nroBancario;
    } else if (r < 80) {
        std::int64_t neto = importe / 100 + 500;
        c.lineas = {{kGastosBancarios, 'D', neto},
                    {kIvaCredito, 'D', Iva(neto)},
                    {Banco(a), 'H', neto + Iva(neto), true}};
        c.detalle = "GASTOS BANCARIOS";
    } else {
        c.lineas = {{kBancoGalicia, 'D', importe, true}, {kBancoNacion, 'H', importe, true}};
        c.detalle = "TRANSFERENCIA ENTRE CUENTAS";
    }
    Terminar(a, c, "TE");
    return c;
}

Comprobante AsientoVario(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("AS", "0001", "X");
    std::uint32_t r = a.Menor(100);
    std::int64_t importe = a.Importe();
    if (r < 40) {
        std::int64_t cargas = importe * 27 / 100;
        c.lineas = {{kSueldos, 'D', importe},
                    {kCargasSociales, 'D', cargas},
                    {kSueldosAPagar, 'H', importe},
                    {kCargasAPagar, 'H', cargas}};
        c.detalle = "DEVENGAMIENTO DE SUELDOS";
    } else if (r < 70) {
        c.moneda = "DOL";
        c.cotizacion = cx.Cotizacion("DOL", dia);
        std::int64_t dif = importe / 20 + 100;
        c.lineas = {{kCajaDolares, 'D', dif}, {kDiferenciaCambio, 'H', dif}};
        c.detalle = "DIFERENCIA DE CAMBIO";
    } else {
        c.lineas = {{kCostoVentas, 'D', importe}, {kMercaderias, 'H', importe}};
        c.detalle = "COSTO DE MERCADERIAS VENDIDAS";
    }
    Terminar(a, c, kRegistroPorDefecto);
    return c;
}

Comprobante FacturaProveedor(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    static const int pesos[] = {70, 10, 10, 5, 5};
    static const char* const letras[] = {"A", "B", "C", "M", "E"};
    std::string letra = letras[a.Pesos(pesos)];
    c.clave = cx.NuevaClave("FP", Ceros(1 + a.Menor(15), 4), letra, 40);
    const char* proveedor = Uno(a, kNombresProveedores);
    bool mercaderia = letra == "E" || a.Prob(4, 5);
    std::int64_t neto, iva = 0;
    if (letra == "E") {
        c.moneda = "DOL";
        c.cotizacion = cx.Cotizacion("DOL", dia);
        neto = (a.Importe() / 40 + 1000) * c.cotizacion / 100;
        c.lineas = {{kMercaderias, 'D', neto}, {kProveedores, 'H', neto}};
    } else {
        neto = a.Importe();
        iva = Iva(neto);
        c.lineas = {{mercaderia ? kMercaderias : kServicios, 'D', neto},
                    {kIvaCredito, 'D', iva},
                    {kProveedores, 'H', neto + iva}};
    }
    c.detalle = Titulo("FACTURA PROVEEDOR", c.clave) + " " + proveedor;
    Terminar(a, c, "CO");
    RegistrarCompra(cx, c, proveedor, neto, iva, mercaderia);
    Recordar(cx.facturasProveedor, c.clave, neto + iva);
    if (a.Prob(1, 4)) {  // the purchase order it closes
        Comprobante oc;
        oc.clave = cx.NuevaClave("OC", "0001", "X");
        oc.dia = dia - static_cast<int>(a.Entre(3, 20));
        oc.unegocio = c.unegocio;
        oc.moneda = c.moneda;
        oc.cotizacion = c.cotizacion;
        RegistrarCompra(cx, oc, proveedor, neto, iva, false);
        cx.Aplicar(kCuentas[kProveedores].codigo, c.clave, oc.clave, neto + iva, dia);
    }
    return c;
}

Comprobante FacturaContado(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    static const char* const letras[] = {"A", "B", "C"};
    c.clave = cx.NuevaClave("FPC", Ceros(1 + a.Menor(15), 4), letras[a.Menor(3)], 25);
    const char* proveedor = Uno(a, kNombresProveedores);
    std::int64_t neto = a.Importe() / 4 + 1000, iva = Iva(neto);
    c.lineas = {
        {a.Prob(1, 2) ? kServicios : kFletes, 'D', neto}, {kIvaCredito, 'D', iva}, {kCaja, 'H', neto + iva}};
    c.detalle = Titulo("FACTURA CONTADO", c.clave) + " " + proveedor;
    Terminar(a, c, "CO");
    RegistrarCompra(cx, c, proveedor, neto, iva, false);
    return c;
}

// "PGFP" by cheque or cash, "CBFP" by bank transfer.
Comprobante PagoProveedor(Contexto& cx, int dia, const char* tc) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave(tc, "0001", "X");
    bool transferencia = std::string(tc) == "CBFP";
    Pendiente* p = a.Prob(9, 10) ? UnaPendiente(a, cx.facturasProveedor) : nullptr;
    bool anterior = dia < cx.primerDia + 45 && a.Prob(1, 4);
    std::int64_t importe = p && !anterior ? p->centavos : a.Importe();
    c.nroBancario = Ceros(a.Entre(1, 99999999), 8);
    c.lineas = {{kProveedores, 'D', importe}};
    if (!transferencia && a.Prob(1, 5)) {
        std::int64_t efectivo = importe / 4;
        c.lineas.push_back({kBancoNacion, 'H', importe - efectivo, true});
        c.lineas.push_back({kCaja, 'H', efectivo});
    } else {
        c.lineas.push_back({transferencia ? kBancoGalicia : Banco(a), 'H', importe, true});
    }
    c.detalle = std::string(transferencia ? "TRANSFERENCIA A PROVEEDOR " : "PAGO A PROVEEDOR ") + c.clave.num;
    Terminar(a, c, "TE");
    const std::string cuenta = kCuentas[kProveedores].codigo;
    if (anterior) {
        cx.Aplicar(cuenta, FacturaAnterior(a, "FP", "A"), c.clave, importe, dia);
    } else if (p) {
        cx.Aplicar(cuenta, p->clave, c.clave, importe, dia);
        Descontar(cx.facturasProveedor, p, importe);
    } else {
        cx.CreditoPendiente(c.clave, cuenta, importe, dia);  // an advance to the supplier
    }
    return c;
}

Comprobante Especial(Contexto& cx, int dia, const char* tc, int cierre, int apertura,
                     const std::string& detalle) {
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave(tc, "0001", "X");
    c.tipoReg = kRegistroPorDefecto;
    c.cierre = cierre;
    c.apertura = apertura;
    c.detalle = detalle;
    return c;
}

}  // namespace

Comprobante ComprobanteOrdinario(Contexto& cx, int dia) {
    static const int pesos[] = {22, 4, 2, 15, 8, 6, 5, 14, 4, 8, 3};
    switch (cx.azar.Pesos(pesos)) {
        case 0:
            return Factura(cx, dia);
        case 1:
            return NotaCredito(cx, dia);
        case 2:
            return NotaDebito(cx, dia);
        case 3:
            return Recibo(cx, dia);
        case 4:
            return OrdenPago(cx, dia);
        case 5:
            return MovimientoBancario(cx, dia);
        case 6:
            return AsientoVario(cx, dia);
        case 7:
            return FacturaProveedor(cx, dia);
        case 8:
            return FacturaContado(cx, dia);
        case 9:
            return PagoProveedor(cx, dia, "PGFP");
        default:
            return PagoProveedor(cx, dia, "CBFP");
    }
}

Comprobante AsientoManual(Contexto& cx, int dia, int lineas) {
    Azar& a = cx.azar;
    Comprobante c;
    c.dia = dia;
    c.clave = cx.NuevaClave("AS", "0001", "X");
    static const int gastos[] = {kAlquileres, kServicios, kHonorarios, kFletes, kGastosBancarios, kSueldos};
    std::int64_t total = 0;
    for (int i = 0; i < lineas - 1; ++i) {
        std::int64_t x = a.Importe() / 3 + 500;
        c.lineas.push_back({gastos[a.Menor(6)], 'D', x});
        total += x;
    }
    c.lineas.push_back({a.Prob(1, 2) ? kDocumentosAPagar : kCaja, 'H', total});
    c.detalle = "PROVISION DE GASTOS";
    Terminar(a, c, kRegistroPorDefecto);
    return c;
}

void CerrarEjercicio(Contexto& cx, int dia) {
    Comprobante c = Especial(cx, dia, "AS", 1, 0,
                             "ASIENTO DE CIERRE EJERCICIO " + std::to_string(CivilDesdeDias(dia).anio));
    for (int i = 0; i < kNumCuentas; ++i)
        if (cx.saldo[i] != 0)
            c.lineas.push_back(
                {i, cx.saldo[i] > 0 ? 'H' : 'D', cx.saldo[i] > 0 ? cx.saldo[i] : -cx.saldo[i]});
    if (!c.lineas.empty()) cx.Emitir(c);
}

void AbrirEjercicio(Contexto& cx, int dia, const std::int64_t (&saldos)[kNumCuentas]) {
    Comprobante c = Especial(cx, dia, "SI", 0, 1,
                             "ASIENTO DE APERTURA EJERCICIO " + std::to_string(CivilDesdeDias(dia).anio));
    std::int64_t resultado = 0;
    for (int i = 0; i < kNumCuentas; ++i)
        if (!kCuentas[i].patrimonial) resultado += saldos[i];
    for (int i = 0; i < kNumCuentas; ++i) {
        if (!kCuentas[i].patrimonial) continue;
        std::int64_t s = saldos[i] + (i == kResultadosNoAsignados ? resultado : 0);
        if (s != 0) c.lineas.push_back({i, s > 0 ? 'D' : 'H', s > 0 ? s : -s});
    }
    if (!c.lineas.empty()) cx.Emitir(c);
}

void AperturaInicial(Contexto& cx, int dia) {
    Comprobante c = Especial(cx, dia, "SI", 0, 1,
                             "ASIENTO DE APERTURA EJERCICIO " + std::to_string(CivilDesdeDias(dia).anio));
    c.lineas = {
        {kCaja, 'D', 25000000},         {kBancoNacion, 'D', 180000000},     {kBancoGalicia, 'D', 95000000},
        {kDeudores, 'D', 320000000},    {kMercaderias, 'D', 410000000},     {kBienesDeUso, 'D', 750000000},
        {kProveedores, 'H', 210000000}, {kDocumentosAPagar, 'H', 60000000}, {kCapital, 'H', 1000000000}};
    std::int64_t neto = 0;
    for (const Linea& l : c.lineas) neto += l.lado == 'D' ? l.centavos : -l.centavos;
    c.lineas.push_back({kResultadosNoAsignados, 'H', neto});
    cx.Emitir(c);
}

}  // namespace dep::demo
