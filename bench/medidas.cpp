// The measurements themselves; each one opens its own connection in its own child process.
#include "bench/medidas.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/consola/anfitrion_consola.hpp"
#include "purge/pasadas.hpp"
#include "purge/verificacion.hpp"
#include "runtime/ajustes.hpp"
#include "runtime/conversions.hpp"
#include "runtime/data_services.hpp"
#include "runtime/form_services.hpp"
#include "runtime/servicios.hpp"

namespace dep::bench {

namespace {

const char* const kFiltros[2] = {kPasadas[0].filtro, kPasadas[1].filtro};
const char* const kTipos[2] = {kPasadas[0].tipo, kPasadas[1].tipo};

double Numero(Conexion& cn, const std::string& sql) {
    Resultado r = cn.Consultar(sql);
    return r.filas.empty() || r.filas[0].empty() ? 0 : r.filas[0][0].ANumero();
}

// The console's host, counting the merge batches by their progress captions (one per batch).
class AnfitrionContador : public consola::AnfitrionConsola {
  public:
    using AnfitrionConsola::AnfitrionConsola;
    void Dibujar(const DibujoBarra& d) override {
        if (d.leyenda.rfind(" ASIENTOS Leidos: ", 0) == 0) ++lotes;
        AnfitrionConsola::Dibujar(d);
    }
    long lotes = 0;
};

// The console's host and services on a connection, printing nothing.
struct ConsolaMuda {
    ConsolaMuda(std::shared_ptr<Conexion> cn, const std::string& hasta, bool asientos)
        : o(OpcionesDe(hasta, asientos)), datos(std::move(cn), op), host(o, avance, op), d(s, host) {
        host.Asociar(&d);
    }
    static consola::Opciones OpcionesDe(const std::string& hasta, bool asientos) {
        consola::Opciones r;
        r.hasta = hasta;
        r.asientos = asientos;
        return r;
    }
    std::ofstream nulo{"/dev/null"};
    consola::Opciones o;
    consola::Avance avance{nulo, false};
    consola::OperadorConsola op{nulo, avance, consola::AnteError::Abortar};
    DataServices datos;
    FormServices formularios{op};
    LookupServices consultas{op};
    Servicios s{datos, formularios, consultas, op};
    AnfitrionContador host;
    Depuracion d;
};

}  // namespace

std::shared_ptr<Conexion> Abrir(const std::string& base) {
    AjustesConexion a;
    a.motor = "sqlite";
    a.base = base;
    return AbrirConexion(a);
}

double Segundos(std::chrono::steady_clock::time_point desde) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - desde).count();
}

Medida EnHijo(const std::function<double(std::vector<double>&)>& f) {
    Medida m;
    int tubo[2];
    if (pipe(tubo) != 0) {
        m.nota = "pipe";
        return m;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(tubo[0]);
        std::ostringstream s;
        try {
            std::vector<double> v;
            const double t = f(v);
            s << "ok " << t;
            for (double x : v) s << ' ' << x;
        } catch (const std::exception& e) {
            s << "error " << e.what();
        }
        const std::string texto = s.str();
        if (write(tubo[1], texto.data(), texto.size()) < 0) _exit(2);
        close(tubo[1]);
        _exit(0);
    }
    close(tubo[1]);
    std::string texto;
    char buf[4096];
    ssize_t n;
    while ((n = read(tubo[0], buf, sizeof buf)) > 0) texto.append(buf, static_cast<std::size_t>(n));
    close(tubo[0]);
    int estado = 0;
    rusage uso{};
    wait4(pid, &estado, 0, &uso);
    m.picoKiB = uso.ru_maxrss;
    std::istringstream in(texto);
    std::string cabeza;
    in >> cabeza;
    if (cabeza == "ok") {
        m.ok = true;
        in >> m.segundos;
        double x;
        while (in >> x) m.valores.push_back(x);
    } else if (cabeza == "error") {
        std::getline(in, m.nota);
    } else {
        m.nota = "el proceso de la medida terminó sin resultado (estado " + std::to_string(estado) + ")";
    }
    return m;
}

double RecorridoConsola(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    ConsolaMuda c(Abrir(base), hasta, true);
    const auto t0 = std::chrono::steady_clock::now();
    c.d.DepuraAsientos();
    c.avance.Vaciar();
    const double t = Segundos(t0);
    if (c.host.HayError()) throw Falla(1, "la consolidación entró en su trampa de errores", "bench");
    v.push_back(static_cast<double>(c.host.lotes));
    return t;
}

double Piso(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    auto cn = Abrir(base);
    const Fecha corte = *ReconocerFecha(hasta);
    const std::string manana = TextoFechaIso(corte.SumarDias(1));
    const auto t0 = std::chrono::steady_clock::now();
    for (int p = 0; p < 2; ++p) {
        cn->BeginTrans();
        cn->Execute("ALTER TABLE MV_ASIENTOS DISABLE TRIGGER ALL");
        cn->Execute(
            std::string(
                "INSERT INTO MV_ASIENTOS (CUENTA, TC, SUCURSAL, NUMERO, LETRA, SECUENCIA, [DEBE-HABER], "
                "IMPORTE, MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, UNEGOCIO, "
                "PERIODO, FECHA, MES_OPERATIVO, [NUMERO ASIENTO], DETALLE) SELECT CUENTA, '") +
            kTipos[p] +
            "', '9999', '00000001', 'X', 1, [DEBE-HABER], SUM(IMPORTE), MONEDA, COTIZACION, "
            "ISNULL(NroComprobanteBancario, ''), TIPO_REG, IdCajas, UNEGOCIO, 0, '" +
            manana +
            "', 1, 1, 'Depuracion' FROM MV_ASIENTOS WHERE (EsCierre = 0) AND (ES_SALDO_APERTURA = 0) AND "
            "Fecha <= '" +
            hasta + "'" + kFiltros[p] +
            " GROUP BY CUENTA, [DEBE-HABER], MONEDA, COTIZACION, NroComprobanteBancario, TIPO_REG, IdCajas, "
            "UNEGOCIO");
        cn->Execute("Delete MV_ASIENTOS where fecha <= '" + hasta + "'" + kFiltros[p]);
        cn->Execute("ALTER TABLE mv_ASIENTOS ENABLE TRIGGER ALL");
        cn->CommitTrans();
    }
    const double t = Segundos(t0);
    v.push_back(Numero(*cn, "SELECT COUNT(*) FROM MV_ASIENTOS WHERE SUCURSAL = '9999' AND LETRA = 'X'"));
    return t;
}

double Guardia(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    // Each walk date's guard (one SUM) and delete, date by date as the walk runs them: the guard's
    // time against the deletes it protects, on the same rows.
    auto cn = Abrir(base);
    const Fecha corte = *ReconocerFecha(hasta);
    double guardia = 0, borrado = 0, fechas = 0;
    for (int p = 0; p < 2; ++p) {
        const Value min = cn->Consultar("select min(fecha) as Fecha from MV_ASIENTOS").filas.at(0).at(0);
        const Fecha* desde = min.SiFecha();
        if (desde == nullptr) break;
        for (Fecha d = *desde; !(d > corte); d = d.SumarDias(1), ++fechas) {
            const std::string f = TextoFecha(d);
            cn->BeginTrans();
            auto t0 = std::chrono::steady_clock::now();
            cn->Consultar(SqlImporteABorrar(f, kFiltros[p]));
            guardia += Segundos(t0);
            t0 = std::chrono::steady_clock::now();
            cn->Execute(SqlBorrarFecha(f, kFiltros[p]));
            borrado += Segundos(t0);
            cn->CommitTrans();
        }
    }
    v.push_back(borrado);
    v.push_back(fechas);
    return guardia;
}

double Aplicaciones(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    auto cn = Abrir(base);
    ConsolaMuda c(cn, hasta, false);
    double examinadas = 0, segundos = 0;
    for (int p = 0; p < 2; ++p) {
        Resultado r =
            cn->Consultar(std::string("SELECT SUCURSAL, NUMERO, LETRA FROM MV_ASIENTOS WHERE TC = '") +
                          kTipos[p] + "' AND LETRA = 'X' AND DETALLE = 'Depuracion'");
        if (r.filas.empty()) continue;
        const std::string clave = r.filas[0][0].ATexto() + r.filas[0][1].ATexto() + r.filas[0][2].ATexto();
        examinadas += Numero(*cn, std::string("SELECT COUNT(*) FROM MV_Aplicacion WHERE (NOT TC IN "
                                              "('VJ','RM','TR','OC','OPG')) ") +
                                      kFiltros[p]);
        const auto t0 = std::chrono::steady_clock::now();
        c.d.ControlarAplicaciones(clave, p == 1, *ReconocerFecha(hasta));
        segundos += Segundos(t0);
    }
    v.push_back(examinadas);
    return segundos;
}

double Prueba(const std::string& antes, const std::string& despues, const std::string& hasta,
              std::vector<double>& v) {
    double t = 0, claves = 0;
    for (const std::string& base : {antes, despues}) {
        ConsolaMuda c(Abrir(base), hasta, true);
        const auto t0 = std::chrono::steady_clock::now();
        for (int p = 0; p < 2; ++p) {
            claves += static_cast<double>(SumarLibros(c.datos, kFiltros[p], hasta).size());
            ContarFilas(c.datos, kFiltros[p], hasta, kTipos[p], "9999000000019");
        }
        t += Segundos(t0);
    }
    v.push_back(claves);
    return t;
}

double CopiaDeSeguridad(const std::string& base, const std::string& carpeta, std::vector<double>& v) {
    auto cn = Abrir(base);
    long long bytes = 0;
    const auto t0 = std::chrono::steady_clock::now();
    const std::string copia = cn->CopiaDeSeguridad(carpeta, bytes, {});
    const double t = Segundos(t0);
    std::filesystem::remove(copia);
    v.push_back(static_cast<double>(bytes));
    return t;
}

double Contar(const std::string& base, const std::string& hasta, std::vector<double>& v) {
    auto cn = Abrir(base);
    v.push_back(Numero(*cn, "SELECT COUNT(*) FROM MV_ASIENTOS"));
    v.push_back(Numero(*cn, "SELECT COUNT(*) FROM MV_ASIENTOS WHERE Fecha <= '" + hasta + "'"));
    v.push_back(Numero(*cn, "SELECT COUNT(*) FROM MV_APLICACION"));
    v.push_back(Numero(*cn, "SELECT COUNT(*) FROM MV_ASIENTOS WHERE DETALLE = 'Depuracion' AND LETRA = 'X'"));
    v.push_back(Numero(*cn, "SELECT SUM(IMPORTE) FROM MV_ASIENTOS"));
    return 0;
}

}  // namespace dep::bench
