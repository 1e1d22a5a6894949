// The tables around the entries: chart of accounts, fiscal years, configuration, users, cash
// boxes, lookups, talonarios, stock adjustments, history and work tables.
#include <string>

#include "demo/calendario.hpp"
#include "demo/generador.hpp"

namespace dep::demo {

namespace {

void Filas2(Bd& bd, const std::string& tabla,
            std::initializer_list<std::pair<const char*, const char*>> filas) {
    Sentencia s(bd, "INSERT INTO " + tabla + " VALUES (?, ?)");
    for (const auto& [a, b] : filas) s.Texto(1, a).Texto(2, b).Paso();
}

void Configuracion(Contexto& cx) {
    Sentencia s(
        cx.bd,
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio) VALUES (?,?,?,?,?)");
    auto fila = [&s](const char* clave, const std::string& valor, const char* aux, const char* grupo,
                     int politica) {
        s.Texto(1, clave).Texto(2, valor);
        if (aux)
            s.Texto(3, aux);
        else
            s.Nulo(3);
        s.Texto(4, grupo).Entero(5, politica).Paso();
    };
    // The previous purge left everything before the first fiscal year consolidated.
    fila("FECHAULTIMADEPURACION", TextoFechaSuite(cx.primerDia - 1), nullptr, "DATOS", 0);
    fila("EMPRESA", "DEMOSTRACION S.A.", nullptr, "DATOS", 0);
    fila("CUIT", "30-71234567-9", nullptr, "DATOS", 0);
    fila("MONEDALOCAL", "PES", "PESOS", "DATOS", 0);
    fila("THEME", "1", nullptr, "GENERAL", 0);
    fila("DECIMALES", "2", nullptr, "GENERAL", 1);
    fila("NUM_ND", "FC", nullptr, "NUMERACION", 1);  // debit notes take the invoices' talonario
    fila("NUM_CBFP", "CB", nullptr, "NUMERACION", 1);
    fila("CONTROLA_STOCK", "S", nullptr, "STOCK", 1);
}

void Ejercicios(Contexto& cx) {
    Sentencia s(cx.bd,
                "INSERT INTO MV_EJERCICIOS (Periodo, \"FECHA DESDE\", \"FECHA HASTA\", DESCRIPCION, CERRADO) "
                "VALUES (?,?,?,?,?)");
    for (int k = 0; k < 4; ++k) {
        int anio = cx.o.anioInicial + k;
        s.Entero(1, anio).Texto(2, TextoFechaIso(DiasDesdeCivil(anio, 1, 1)));
        s.Texto(3, TextoFechaIso(DiasDesdeCivil(anio, 12, 31))).Texto(4, "EJERCICIO " + std::to_string(anio));
        s.Entero(5, k < 2 ? 1 : 0).Paso();
    }
}

void Catalogos(Contexto& cx) {
    Bd& bd = cx.bd;
    {
        Sentencia s(bd,
                    "INSERT INTO MA_CUENTAS (CUENTA, DESCRIPCION, IMPUTABLE, PATRIMONIAL) VALUES (?,?,1,?)");
        for (const auto& c : kCuentas)
            s.Texto(1, c.codigo).Texto(2, c.descripcion).Entero(3, c.patrimonial).Paso();
    }
    {
        Sentencia s(
            bd, "INSERT INTO TA_Usuarios (Nombre, NombreCompleto, sucot, letot, SISTEMA) VALUES (?,?,?,?,?)");
        s.Texto(1, "ADMIN")
            .Texto(2, "ADMINISTRADOR")
            .Texto(3, "0001")
            .Texto(4, "A")
            .Texto(5, "CN000PR")
            .Paso();
        s.Texto(1, "VENTAS")
            .Texto(2, "MOSTRADOR NORTE")
            .Texto(3, "0002")
            .Texto(4, "B")
            .Texto(5, "CN000PR")
            .Paso();
        s.Texto(1, "CONTADOR")
            .Texto(2, "ESTUDIO CONTABLE")
            .Texto(3, "0000")
            .Texto(4, "")
            .Texto(5, "CN000PR")
            .Paso();
        s.Texto(1, "COMPRAS").Texto(2, "COMPRAS").Texto(3, "").Texto(4, "").Texto(5, "CN000CP").Paso();
    }
    Filas2(bd, "V_TA_Cajas",
           {{"1", "CAJA CENTRAL"}, {"2", "CAJA SUCURSAL NORTE"}, {"3", "CAJA MONEDA EXTRANJERA"}});
    Filas2(
        bd, "V_TA_TECNICOS",
        {{"001", "GARCIA JUAN"}, {"002", "LOPEZ MARIA"}, {"003", "FERNANDEZ CARLOS"}, {"004", "DIAZ ANA"}});
    Filas2(bd, "V_TA_Bancos", {{"011", "BANCO DE LA NACION ARGENTINA"}, {"007", "BANCO DE GALICIA"}});
    Filas2(bd, "V_TA_Deposito", {{"1", "DEPOSITO CENTRAL"}, {"2", "DEPOSITO NORTE"}});
    Filas2(bd, "V_TA_Rubros",
           {{"01", "FERRETERIA"}, {"02", "ELECTRICIDAD"}, {"03", "PINTURERIA"}, {"04", "VARIOS"}});
    Filas2(
        bd, "V_TA_MotivoStock",
        {{"01", "AJUSTE POR INVENTARIO"}, {"02", "ROTURA"}, {"03", "VENCIMIENTO"}, {"04", "TRANSFERENCIA"}});
    Filas2(bd, "V_TA_UNIDADNEGOCIO", {{"01", "CASA CENTRAL"}, {"02", "SUCURSAL NORTE"}});
    Filas2(bd, "V_TA_VENDEDORES",
           {{"001", "PEREZ"}, {"002", "GOMEZ"}, {"003", "RODRIGUEZ"}, {"004", "SOSA"}});
    {
        Sentencia s(bd,
                    "INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDRUBRO, PRECIO) VALUES (?,?,?,?)");
        static const char* const nombres[] = {"TORNILLO", "TUERCA",   "CABLE", "PINTURA",
                                              "LIJA",     "MARTILLO", "LLAVE", "CINTA"};
        for (int i = 1; i <= 40; ++i)
            s.Texto(1, "ART" + Ceros(i, 4))
                .Texto(2, std::string(nombres[i % 8]) + " MODELO " + std::to_string(i))
                .Texto(3, Ceros(1 + i % 4, 2))
                .Importe(4, 1000 + cx.azar.Menor(500000))
                .Paso();
    }
    {
        Sentencia c(bd,
                    "INSERT INTO MA_CLIENTES (CODIGO, Razon_Social, Codigo_sucursal, CUIT) VALUES (?,?,?,?)");
        c.Texto(1, "C0001")
            .Texto(2, "D'ANGELO HNOS. S.R.L.")
            .Texto(3, "0001")
            .Texto(4, "30-70000001-1")
            .Paso();
        c.Texto(1, "C0002")
            .Texto(2, "DISTRIBUIDORA DEL SUR S.A.")
            .Texto(3, "0001")
            .Texto(4, "30-70000002-2")
            .Paso();
        c.Texto(1, "C0003")
            .Texto(2, "FERRETERIA LOS ANDES")
            .Texto(3, "0002")
            .Texto(4, "20-20000003-3")
            .Paso();
        Sentencia p(bd, "INSERT INTO MA_PROVEEDORES (CODIGO, Razon_Social, CUIT) VALUES (?,?,?)");
        p.Texto(1, "P0001").Texto(2, "PAPELERA ARGENTINA S.A.").Texto(3, "30-60000001-1").Paso();
        p.Texto(1, "P0002").Texto(2, "ACEROS DEL LITORAL").Texto(3, "30-60000002-2").Paso();
    }
}

// Rows of the work tables left by reports that were never cleaned up.
void TablasDeTrabajo(Contexto& cx) {
    Bd& bd = cx.bd;
    Azar& a = cx.azar;
    const char* terminales[] = {"PC-ADMIN", "PC-VENTAS", "PC-CONTABLE"};
    auto t = [&]() { return terminales[a.Menor(3)]; };
    Sentencia mayores(bd,
                      "INSERT INTO AUX_MAYORES (TERMINAL, CUENTA, FECHA, DETALLE, DEBE, HABER, SALDO) "
                      "VALUES (?,?,?,?,?,?,?)");
    Sentencia anexo(bd,
                    "INSERT INTO AUX_ANEXOA (TERMINAL, RUBRO, VALOR_ORIGEN, AMORTIZACION, VALOR_RESIDUAL) "
                    "VALUES (?,?,?,?,?)");
    Sentencia estad(bd, "INSERT INTO AUX_EstadisticaCta (TERMINAL, CUENTA, MES, IMPORTE) VALUES (?,?,?,?)");
    Sentencia cpte(
        bd, "INSERT INTO Aux_MV_Cpte (TERMINAL, TC, IDCOMPROBANTE, FECHA, IMPORTE) VALUES (?,?,?,?,?)");
    Sentencia saldos(
        bd, "INSERT INTO AUX_SALDOSMENSUALES (TERMINAL, CUENTA, PERIODO, MES, SALDO) VALUES (?,?,?,?,?)");
    Sentencia subd(bd,
                   "INSERT INTO AUX_SUBDIARIOS (TERMINAL, TC, IDCOMPROBANTE, FECHA, NETO, IVA, TOTAL) "
                   "VALUES (?,?,?,?,?,?,?)");
    Sentencia tmp(bd, "INSERT INTO AUX_TMP (TERMINAL, CLAVE, VALOR) VALUES (?,?,?)");
    Sentencia tot(bd, "INSERT INTO AUX_TOTALES_DET (TERMINAL, CONCEPTO, IMPORTE) VALUES (?,?,?)");
    Sentencia borr(bd,
                   "INSERT INTO AUX_BORRADOR_PRECIOS (TERMINAL, IDARTICULO, LISTA, PRECIO) VALUES (?,?,?,?)");
    Sentencia errs(bd, "INSERT INTO AUX_ERR (TERMINAL, FECHA, NUMERO, DESCRIPCION) VALUES (?,?,?,?)");
    Sentencia apl(bd,
                  "INSERT INTO AUX_MV_APLICACION_TR (TERMINAL, TC, IDCOMPROBANTE, TCO_ORIGEN, "
                  "IDCOMPROBANTE_ORIGEN, IMPORTE) VALUES (?,?,?,?,?,?)");
    for (int i = 0; i < 40; ++i) {
        int dia = cx.primerDia + static_cast<int>(a.Menor(3 * 365));
        std::string fecha = TextoFechaIso(dia);
        const char* cuenta = kCuentas[a.Menor(kNumCuentas)].codigo;
        std::int64_t x = a.Importe();
        std::string id = "0001" + Ceros(1 + a.Menor(5000), 8) + "A";
        mayores.Texto(1, t())
            .Texto(2, cuenta)
            .Texto(3, fecha)
            .Texto(4, "MAYOR")
            .Importe(5, x)
            .Importe(6, 0)
            .Importe(7, x)
            .Paso();
        anexo.Texto(1, t()).Texto(2, "RODADOS").Importe(3, x).Importe(4, x / 5).Importe(5, x - x / 5).Paso();
        estad.Texto(1, t()).Texto(2, cuenta).Entero(3, 1 + a.Menor(12)).Importe(4, x).Paso();
        cpte.Texto(1, t()).Texto(2, "FC").Texto(3, id).Texto(4, fecha).Importe(5, x).Paso();
        saldos.Texto(1, t())
            .Texto(2, cuenta)
            .Entero(3, cx.o.anioInicial)
            .Entero(4, 1 + a.Menor(12))
            .Importe(5, x)
            .Paso();
        subd.Texto(1, t())
            .Texto(2, "FC")
            .Texto(3, id)
            .Texto(4, fecha)
            .Importe(5, x)
            .Importe(6, (x * 21) / 100)
            .Importe(7, x + (x * 21) / 100)
            .Paso();
        tmp.Texto(1, t()).Texto(2, "ULTIMO_LISTADO").Texto(3, std::to_string(i)).Paso();
        tot.Texto(1, t()).Texto(2, "TOTAL GENERAL").Importe(3, x).Paso();
        borr.Texto(1, t())
            .Texto(2, "ART" + Ceros(1 + a.Menor(40), 4))
            .Texto(3, "1")
            .Importe(4, x / 100)
            .Paso();
        errs.Texto(1, t()).Texto(2, fecha).Entero(3, 3021).Texto(4, "No hay registro activo").Paso();
        apl.Texto(1, t())
            .Texto(2, "FC")
            .Texto(3, id)
            .Texto(4, "RC")
            .Texto(5, "0001" + Ceros(i + 1, 8) + "X")
            .Importe(6, x)
            .Paso();
    }
}

// Applications left by earlier years: both vouchers already consolidated away, and a few whose
// origin type the control passes over (in whatever letter case an old program wrote it).
void AplicacionesAntiguas(Contexto& cx) {
    int dia = cx.primerDia - 20;
    const std::string deudores = kCuentas[kDeudores].codigo, proveedores = kCuentas[kProveedores].codigo;
    for (int i = 0; i < 6; ++i) {
        cx.Aplicar(deudores, {"FC", "0001", Ceros(91 + i, 8), "A"}, {"RC", "0001", Ceros(10 + i, 8), "X"},
                   150000 + 1000 * i, dia + i);
        cx.Aplicar(proveedores, {"FP", "0004", Ceros(41 + i, 8), "A"},
                   {"PGFP", "0001", Ceros(10 + i, 8), "X"}, 230000 + 1000 * i, dia + i);
    }
    cx.Aplicar(deudores, {"FC", "0001", "00000097", "A"}, {"opg", "0001", "00000001", "X"}, 10000, dia);
    cx.Aplicar(deudores, {"FC", "0001", "00000098", "A"}, {"TR", "0001", "00000001", "X"}, 10000, dia);
    cx.Aplicar(deudores, {"FC", "0001", "00000099", "A"}, {"VJ", "0001", "00000001", "X"}, 10000, dia);
    cx.Aplicar(proveedores, {"OPG", "0001", "00000001", "X"}, {"FP", "0004", "00000040", "A"}, 10000, dia);
}

void ControlDeComprobantes(Contexto& cx) {
    Sentencia s(cx.bd,
                "INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA, FECHA, USUARIO, TERMINAL) "
                "VALUES (?,?,?,?,?,?,?)");
    std::string fecha = TextoFechaIso(cx.ultimoDia, 9 * 3600);
    // A reservation of the first summary voucher number, which numbering releases.
    s.Texto(1, "CC")
        .Texto(2, "0001")
        .Texto(3, "00000001")
        .Texto(4, "X")
        .Texto(5, fecha)
        .Texto(6, "ADMIN")
        .Texto(7, "PC-ADMIN")
        .Paso();
    s.Texto(1, "RM")
        .Texto(2, "0001")
        .Texto(3, "00002500")
        .Texto(4, "R")
        .Texto(5, fecha)
        .Texto(6, "VENTAS")
        .Texto(7, "PC-VENTAS")
        .Paso();
    s.Texto(1, "OPG")
        .Texto(2, "0001")
        .Texto(3, "99999998")
        .Texto(4, "X")
        .Texto(5, fecha)
        .Texto(6, "ADMIN")
        .Texto(7, "PC-ADMIN")
        .Paso();
}

long long Ultimo(const Contexto& cx, const std::string& tc, const std::string& suc,
                 const std::string& letra) {
    auto it = cx.ultimoNumero.find(tc + "|" + suc + "|" + letra);
    return it == cx.ultimoNumero.end() ? 0 : it->second;
}

struct Letra {
    char letra;
    long long ultimo, hasta;
};

void Talonario(Sentencia& s, const char* codigo, int talonario, const char* unegocio, const char* descripcion,
               const char* modifica, int suc, std::initializer_list<Letra> letras) {
    static const char kLetras[] = "ABCEMRX";
    std::string texto;
    for (const Letra& l : letras) texto += l.letra;
    s.Texto(1, codigo).Entero(2, talonario);
    if (unegocio)
        s.Texto(3, unegocio);
    else
        s.Nulo(3);
    s.Texto(4, texto).Texto(5, descripcion).Texto(6, modifica);
    for (int i = 0; i < 7; ++i) {
        int p = 7 + 4 * i;
        const Letra* l = nullptr;
        for (const Letra& x : letras)
            if (x.letra == kLetras[i]) l = &x;
        if (l) {
            s.Entero(p, l->ultimo).Entero(p + 1, l->hasta).Entero(p + 2, suc).Texto(p + 3, "");
        } else {
            s.Entero(p, 0).Entero(p + 1, 0).Entero(p + 2, suc).Nulo(p + 3);
        }
    }
    s.Paso();
}

void Talonarios(Contexto& cx) {
    std::string sql =
        "INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, UNEGOCIO, Letras, Descripcion, Modificanumeracion";
    for (char l : std::string("ABCEMRX")) {
        std::string L(1, l);
        sql += ", " + L + "_ULTIMO_NRO, " + L + "_NRO_HASTA, " + L + "_SUC_DEFAULT, Vence" + L;
    }
    sql += ") VALUES (?";
    for (int i = 1; i < 34; ++i) sql += ",?";
    sql += ")";
    Sentencia s(cx.bd, sql);
    const long long kSin = 99999999;
    auto u = [&cx](const char* tc, const char* suc, const char* l) { return Ultimo(cx, tc, suc, l); };
    Talonario(s, "CC", 1, nullptr, "SALDO INICIAL", "N", 1, {{'X', 0, kSin}});
    Talonario(
        s, "FP", 1, nullptr, "FACTURA DE PROVEEDOR", "S", 1,
        {{'A', 0, kSin}, {'B', 0, kSin}, {'C', 0, kSin}, {'E', 0, kSin}, {'M', 0, kSin}, {'X', 0, kSin}});
    // Branch 1 has used up its book of A invoices; branch 2 has room.
    long long fa1 = u("FC", "0001", "A"), fb1 = u("FC", "0001", "B");
    Talonario(s, "FC", 1, nullptr, "FACTURA DE VENTA", "N", 1, {{'A', fa1, fa1}, {'B', fb1, fb1 + 5000}});
    Talonario(s, "FC", 2, nullptr, "FACTURA DE VENTA", "N", 2,
              {{'A', u("FC", "0002", "A"), kSin}, {'B', u("FC", "0002", "B"), kSin}});
    Talonario(s, "FC", 3, "02", "FACTURA DE EXPORTACION", "N", 3, {{'E', u("FC", "0003", "E"), kSin}});
    Talonario(s, "NC", 1, nullptr, "NOTA DE CREDITO", "N", 1,
              {{'A', u("NC", "0001", "A"), kSin}, {'B', u("NC", "0001", "B"), kSin}});
    Talonario(s, "NC", 2, nullptr, "NOTA DE CREDITO", "N", 2,
              {{'A', u("NC", "0002", "A"), kSin}, {'B', u("NC", "0002", "B"), kSin}});
    Talonario(s, "ND", 1, nullptr, "NOTA DE DEBITO", "N", 1,
              {{'A', u("ND", "0001", "A"), kSin}, {'B', u("ND", "0001", "B"), kSin}});
    Talonario(s, "RC", 1, nullptr, "RECIBO", "S", 1, {{'X', u("RC", "0001", "X"), kSin}});
    Talonario(s, "RC", 2, nullptr, "RECIBO", "S", 2, {{'X', u("RC", "0002", "X"), kSin}});
    Talonario(s, "FPC", 1, nullptr, "FACTURA DE PROVEEDOR CONTADO", "S", 1,
              {{'A', 0, kSin}, {'B', 0, kSin}, {'C', 0, kSin}});
    struct Simple {
        const char* tc;
        const char* descripcion;
    };
    for (Simple x : {Simple{"OPG", "ORDEN DE PAGO"}, Simple{"CB", "COMPROBANTE BANCARIO"},
                     Simple{"AS", "ASIENTO MANUAL"}, Simple{"SI", "ASIENTO DE APERTURA"},
                     Simple{"PGFP", "PAGO A PROVEEDOR"}, Simple{"CBFP", "TRANSFERENCIA A PROVEEDOR"},
                     Simple{"OC", "ORDEN DE COMPRA"}, Simple{"VJ", "VIAJE"}, Simple{"VS", "VALE DE SALIDA"},
                     Simple{"IR", "INGRESO POR REMITO"}, Simple{"AJP", "AJUSTE POSITIVO DE STOCK"},
                     Simple{"AJN", "AJUSTE NEGATIVO DE STOCK"}, Simple{"TR", "TRANSFERENCIA DE STOCK"}})
        Talonario(s, x.tc, 1, nullptr, x.descripcion, "N", 1, {{'X', u(x.tc, "0001", "X"), kSin}});
    Talonario(s, "RM", 1, nullptr, "REMITO", "N", 1, {{'R', 2500, 2500}});  // every book used up
    Sentencia t(
        cx.bd,
        "INSERT OR IGNORE INTO TA_Cpte (CODIGO, DESCRIPCION) SELECT CODIGO, Descripcion FROM V_TA_CPTE");
    t.Paso();
}

// Pending credits of the summary vouchers a consolidation of these data will write: "CC" takes
// number 1 of branch 0001; "FP" the next number of branch 0001 among the supplier invoices.
void CreditosDeLosResumenes(Contexto& cx) {
    long long fp = 0;
    for (const auto& [clave, n] : cx.ultimoNumero)
        if (clave.rfind("FP|0001|", 0) == 0 && n > fp) fp = n;
    cx.CreditoPendiente({"CC", "0001", "00000001", "X"}, kCuentas[kDeudores].codigo, 1250050, cx.ultimoDia);
    cx.CreditoPendiente({"CC", "0001", "00000001", "X"}, kCuentas[kDocumentosACobrar].codigo, 300000,
                        cx.ultimoDia);
    cx.CreditoPendiente({"FP", "0001", Ceros(fp + 1, 8), "X"}, kCuentas[kProveedores].codigo, 875025,
                        cx.ultimoDia);
}

}  // namespace

void TablasFijas(Contexto& cx) {
    Configuracion(cx);
    Ejercicios(cx);
    Catalogos(cx);
    TablasDeTrabajo(cx);
    AplicacionesAntiguas(cx);
}

void TablasFinales(Contexto& cx) {
    ControlDeComprobantes(cx);
    Talonarios(cx);
    CreditosDeLosResumenes(cx);
}

// Stock adjustments and transfers, the transmissions log and the price history of one day.
void MovimientosDelDia(Contexto& cx, int dia) {
    Azar& a = cx.azar;
    Ymd f = CivilDesdeDias(dia);
    int ds = DiaSemana(dia);
    if (ds == 0) return;
    auto movimiento = [&](const char* tc, const char* deposito, const char* obs, int signo) {
        Clave c = cx.NuevaClave(tc, "0001", "X");
        Sentencia& s = *cx.stock;
        s.Texto(1, tc).Texto(2, c.Id()).Texto(3, c.suc).Texto(4, c.num).Texto(5, "X");
        s.Texto(6, TextoFechaIso(dia, 18 * 3600)).Texto(7, deposito).Texto(8, obs).Paso();
        int items = 1 + static_cast<int>(a.Menor(4));
        for (int i = 1; i <= items; ++i) {
            Sentencia& it = *cx.stockItem;
            it.Texto(1, tc).Texto(2, c.Id()).Entero(3, i).Texto(4, "ART" + Ceros(1 + a.Menor(40), 4));
            it.Entero(5, signo * (1 + static_cast<int>(a.Menor(10)))).Importe(6, 100 + a.Menor(90000)).Paso();
        }
    };
    if (f.dia == 28) {
        movimiento("AJP", "1", "AJUSTE POR INVENTARIO", 1);
        movimiento("AJN", "1", "ROTURA", -1);
    }
    if (ds == 1) movimiento("TR", "2", "TRANSFERENCIA A DEPOSITO NORTE", 1);
    static const char* const kTablas[] = {"MA_CLIENTES", "V_MA_ARTICULOS", "V_MV_CPTE", "MV_ASIENTOS",
                                          "V_MV_STOCK"};
    Sentencia log(cx.bd,
                  "INSERT INTO MV_TRANSMISIONESLOG (FECHA, TERMINAL, TABLA, OPERACION, REGISTROS, ESTADO) "
                  "VALUES (?,?,?,?,?,?)");
    int envios = ds == 6 ? 1 : 1 + static_cast<int>(a.Menor(3));
    for (int i = 0; i < envios; ++i)
        log.Texto(1, TextoFechaIso(dia, static_cast<int>(a.Entre(7 * 60, 21 * 60)) * 60))
            .Texto(2, a.Prob(1, 2) ? "SUC-NORTE" : "CASA-CENTRAL")
            .Texto(3, kTablas[a.Menor(5)])
            .Texto(4, a.Prob(1, 2) ? "ENVIO" : "RECEPCION")
            .Entero(5, a.Entre(1, 5000))
            .Texto(6, a.Prob(1, 20) ? "ERROR" : "OK")
            .Paso();
    if (f.dia == 1 || (f.dia == 2 && ds == 1)) {
        Sentencia p(
            cx.bd,
            "INSERT INTO V_MV_PRECIOSHIS (IDARTICULO, LISTA, FECHA, PRECIO_ANTERIOR, PRECIO_NUEVO, USUARIO) "
            "VALUES (?,?,?,?,?,?)");
        int cambios = 5 + static_cast<int>(a.Menor(8));
        for (int i = 0; i < cambios; ++i) {
            std::int64_t antes = 1000 + a.Menor(500000);
            p.Texto(1, "ART" + Ceros(1 + a.Menor(40), 4)).Texto(2, a.Prob(2, 3) ? "1" : "2");
            p.Texto(3, TextoFechaIso(dia, 8 * 3600))
                .Importe(4, antes)
                .Importe(5, antes * (102 + a.Menor(14)) / 100);
            p.Texto(6, "ADMIN").Paso();
        }
    }
}

}  // namespace dep::demo
