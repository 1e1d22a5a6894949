#include "base.hpp"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/configuracion.hpp"
#include "demo/demo.hpp"
#include "numbering/ast.hpp"
#include "purge/consolidacion.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/conversions.hpp"
#include "runtime/motores.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep::prueba {

bool FamiliaFP(const std::string& tc) {
    const std::string t = Mayusculas(tc);
    return t == "FP" || t == "CBFP" || t == "FPC" || t == "PGFP";
}

ClaveGrupo Grupo(const Asiento& a) {
    return {Mayusculas(a.cuenta), Mayusculas(a.dh),      Mayusculas(a.moneda),  TextoNumero(a.cotizacion),
            Mayusculas(a.nro),    Mayusculas(a.tipoReg), Mayusculas(a.idCajas), Mayusculas(a.unegocio)};
}

void BasePurga::SetUp() {
    temporal.emplace("dep-purga");
    carpeta = temporal->Ruta();
    dep::prueba::FijarVariable("TEMP", carpeta.string());
    Nueva("prueba");
}

void BasePurga::Nueva(const std::string& nombre) {
    const std::string base = (carpeta / (nombre + ".db")).string();
    CrearEsquema(base);
    Abrir(base);
}

void BasePurga::Demo(long long asientos, std::uint32_t semilla) {
    OpcionesDemo o;
    o.asientos = asientos;
    o.semilla = semilla;
    const std::string demo = (carpeta / "demo.db").string();
    GenerarDemo(demo, o);
    Abrir(demo);
}

void BasePurga::Abrir(const std::string& r) {
    dep.reset();
    s.reset();
    consultas.reset();
    formularios.reset();
    datos.reset();
    espia.reset();
    ruta = r;
    AjustesConexion a;
    a.motor = "sqlite";
    a.base = ruta;
    espia = std::make_shared<ConexionEspia>(AbrirSqlite(a));
    datos = std::make_unique<DataServices>(espia, op);
    formularios = std::make_unique<FormServices>(op);
    consultas = std::make_unique<LookupServices>(op);
    s = std::make_unique<Servicios>(Servicios{*datos, *formularios, *consultas, op});
    dep = std::make_unique<Depuracion>(*s, host);
    dep->FijarReloj([] { return Fecha::DesdeYMD(2024, 5, 1, 10, 0, 0); });
    UsuarioSuite().clear();
    TablaConfig().clear();
}

void BasePurga::TearDown() {
    dep.reset();
    s.reset();
    consultas.reset();
    formularios.reset();
    datos.reset();
    espia.reset();
    dep::prueba::QuitarVariable("TEMP");
    temporal.reset();
}

void BasePurga::Sql(const std::string& sql) {
    espia->real().Execute(sql);
}

Value BasePurga::Uno(const std::string& sql) {
    Resultado r = espia->real().Consultar(sql);
    if (r.filas.empty() || r.filas[0].empty()) return Value();
    return r.filas[0][0];
}

std::vector<Asiento> BasePurga::Asientos(const std::string& condicion) {
    // Text columns, then whole numbers, then amounts and the date.
    Resultado r = espia->real().Consultar(
        "SELECT CUENTA, TC, SUCURSAL, NUMERO, LETRA, [DEBE-HABER], MONEDA, NroComprobanteBancario, TIPO_REG, "
        "IdCajas, UNEGOCIO, DETALLE, ID, SECUENCIA, PERIODO, MES_OPERATIVO, [NUMERO ASIENTO], EsCierre, "
        "ES_SALDO_APERTURA, IMPORTE, COTIZACION, FECHA FROM MV_ASIENTOS " +
        condicion);
    auto vacio = [](const Value& v) { return v.EsNulo() || v.EsVacio(); };
    std::vector<Asiento> v;
    for (const auto& f : r.filas) {
        Asiento a;
        std::size_t k = 0;
        for (std::string* t : {&a.cuenta, &a.tc, &a.sucursal, &a.numero, &a.letra, &a.dh, &a.moneda, &a.nro,
                               &a.tipoReg, &a.idCajas, &a.unegocio, &a.detalle}) {
            *t = vacio(f[k]) ? std::string() : f[k].ATexto();
            ++k;
        }
        for (long long* e :
             {&a.id, &a.secuencia, &a.periodo, &a.mes, &a.nroAsiento, &a.cierre, &a.apertura}) {
            *e = vacio(f[k]) ? 0 : static_cast<long long>(f[k].AEntero());
            ++k;
        }
        for (double* x : {&a.importe, &a.cotizacion}) {
            *x = vacio(f[k]) ? 0.0 : f[k].ANumero();
            ++k;
        }
        a.nroNulo = f[7].EsNulo();
        a.fecha = FechaDeValor(f[k]);
        v.push_back(a);
    }
    return v;
}

void BasePurga::Intactas(const std::vector<Asiento>& filas) {
    std::map<long long, Asiento> ahora;
    for (const auto& a : Asientos()) ahora[a.id] = a;
    for (const auto& a : filas) {
        const auto it = ahora.find(a.id);
        ASSERT_TRUE(it != ahora.end()) << a.tc << " " << a.numero << " " << a.letra << " " << a.detalle;
        EXPECT_EQ(TextoFecha(it->second.fecha), TextoFecha(a.fecha)) << a.tc << " " << a.numero;
        EXPECT_DOUBLE_EQ(it->second.importe, a.importe) << a.tc << " " << a.numero;
    }
}

void BasePurga::Tipos(bool cc, bool fp, int sucursal) {
    for (const char* t : {"CC", "FP"}) {
        if ((t[0] == 'C' && !cc) || (t[0] == 'F' && !fp)) continue;
        Sql(std::string("INSERT INTO V_TA_CPTE (CODIGO, TALONARIO, UNEGOCIO, Letras, Modificanumeracion, "
                        "X_ULTIMO_NRO, X_NRO_HASTA, X_SUC_DEFAULT) VALUES ('") +
            t + "', 1, '', 'X', 'S', 0, 99999999, " + std::to_string(sucursal) + ")");
    }
}

void BasePurga::Ejercicios() {
    for (int y = 2019; y <= 2024; ++y)
        Sql("INSERT INTO MV_EJERCICIOS (Periodo, [FECHA DESDE], [FECHA HASTA]) VALUES (" + std::to_string(y) +
            ", '01/01/" + std::to_string(y) + "', '31/12/" + std::to_string(y) + "')");
}

void BasePurga::Entrada(const std::string& tc, const std::string& numero, const std::string& cuenta,
                        const std::string& dh, double importe, const std::string& fecha,
                        const std::string& nro, int cierre, const std::string& moneda, double cotizacion) {
    const Fecha f = *ReconocerFecha(fecha);
    Sql("INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], IMPORTE, "
        "MONEDA, "
        "COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, PERIODO, FECHA, MES_OPERATIVO, "
        "[NUMERO ASIENTO], DETALLE, EsCierre, ES_SALDO_APERTURA) VALUES ('" +
        DoblarComillas(cuenta) + "', '" + tc + "', '0001', '" + numero + "', 'A', 1, '" + dh + "', " +
        TextoNumero(importe) + ", '" + moneda + "', " + TextoNumero(cotizacion) + ", " + nro +
        ", '', '01', '', " + std::to_string(f.Anio()) + ", '" + fecha + "', " + std::to_string(f.Mes()) +
        ", 1, 'detalle', " + std::to_string(cierre) + ", 0)");
}

std::map<ClaveGrupo, double> BasePurga::Sumas(const std::vector<Asiento>& v, bool fp,
                                              const Fecha& hasta) const {
    std::map<ClaveGrupo, double> m;
    for (const auto& a : v)
        if (FamiliaFP(a.tc) == fp && a.cierre == 0 && a.apertura == 0 && !(a.fecha > hasta))
            m[Grupo(a)] += a.importe;
    for (auto& [k, x] : m) x = std::round(x * 100) / 100;
    return m;
}

std::string BasePurga::Log() {
    std::ifstream f(carpeta / "KSERR.LOG");
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void BasePurga::CorrerConDiario(const std::string& hasta, const std::string& rutaDiario) {
    host.fecha = hasta;
    diario = std::make_unique<Diario>(rutaDiario.empty() ? (carpeta / "diario.jsonl").string() : rutaDiario,
                                      [this] { return Fecha::DesdeYMD(2024, 5, 1, 10, 0, ++tic); });
    {
        DiarioEnCorrida mirando(*dep, *diario);
        diario->Iniciar(hasta, host.casillas[0], host.casillas[1], host.casillas[2]);
        dep->Depurar();
        diario->Terminar(host.cancelado);
    }
    EXPECT_EQ(&datos->Conexion_(), espia.get()) << "the connection is put back after the run";
}

std::vector<Asiento> BasePurga::Resumen(bool fp) {
    return Asientos(std::string("WHERE DETALLE = 'Depuracion' AND TC = '") + (fp ? "FP" : "CC") + "'");
}

}  // namespace dep::prueba
