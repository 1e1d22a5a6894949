// depuracion-bench: the purges of demo databases of several sizes. The whole default run and each
// purge through the console program, each against what plain SQLite takes for the same work on a
// copy of the same file (the floors); the compaction on its own; the walk on a file with plain
// indexes; the walk through the console's host in process (batches), the proof, the backup, the
// applications control and the window's host.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/corrida.hpp"
#include "bench/medidas.hpp"
#include "bench/piso_sentencias.hpp"
#include "bench/viajes.hpp"
#include "demo/demo.hpp"

namespace fs = std::filesystem;
using dep::bench::Medida;

namespace {

struct Args {
    std::string carpeta = "/tmp/depuracion-bench";
    std::string hasta = "31/12/2022";
    std::vector<long long> tamanos{50000, 200000, 1000000};
    std::vector<long long> tamanosStock;  // sizes measured for the stock procedure only
    long long fechasVacias = 2000;        // the demo that gets one entry dated 1900 (0: none)
    std::string csv;
    std::string soloRecorrido;  // walk this file once (for a profiler) and stop
    bool ventana = true;
    long long planosHasta = 200000;  // the walk on plain indexes only up to this size (it is slow)
};

void Ayuda() {
    std::cout << "Uso: depuracion-bench [--carpeta DIR] [--hasta dd/mm/aaaa] [--tamanos 50000,200000]\n"
                 "                      [--csv ARCHIVO] [--sin-ventana] [--solo-recorrido BASE]\n"
                 "                      [--indices-planos-hasta N] [--stock-tamanos 2000000]\n"
                 "                      [--fechas-vacias 2000]\n";
}

bool Leer(int argc, char** argv, Args& a) {
    for (int i = 1; i < argc; ++i) {
        const std::string s = argv[i];
        auto valor = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (s == "--carpeta") {
            a.carpeta = valor();
        } else if (s == "--hasta") {
            a.hasta = valor();
        } else if (s == "--csv") {
            a.csv = valor();
        } else if (s == "--sin-ventana") {
            a.ventana = false;
        } else if (s == "--indices-planos-hasta") {
            a.planosHasta = std::stoll(valor());
        } else if (s == "--fechas-vacias") {
            a.fechasVacias = std::stoll(valor());
        } else if (s == "--solo-recorrido") {
            a.soloRecorrido = valor();
        } else if (s == "--tamanos" || s == "--stock-tamanos") {
            auto& lista = s == "--tamanos" ? a.tamanos : a.tamanosStock;
            lista.clear();
            std::stringstream in(valor());
            std::string t;
            while (std::getline(in, t, ','))
                if (!t.empty()) lista.push_back(std::stoll(t));
        } else {
            return false;
        }
    }
    return !a.tamanos.empty() || !a.tamanosStock.empty() || a.fechasVacias > 0;
}

// A fresh copy of the demo file (its log files are left behind by nobody, but be sure).
std::string Copia(const std::string& origen, const std::string& destino) {
    for (const char* sufijo : {"", "-wal", "-shm", "-journal"}) fs::remove(destino + sufijo);
    fs::copy_file(origen, destino);
    return destino;
}

double MiB(long kib) {
    return kib / 1024.0;
}

void Informar(const char* que, const Medida& m) {
    if (!m.ok) std::printf("  %-34s NO MEDIDO: %s\n", que, m.nota.c_str());
}

double MB(double bytes) {
    return bytes / 1048576.0;
}

// One purge through the console program against plain SQLite on the same statements.
void Comparar(const char* que, const Medida& purga, const char* cual, const Medida& piso) {
    Informar(que, purga);
    Informar("  su piso", piso);
    if (purga.ok && piso.ok)
        std::printf("  %-20s consola %8.2f s   %s %8.2f s   razón %6.2f\n", que, purga.segundos, cual,
                    piso.segundos, purga.segundos / piso.segundos);
}

struct Resultados {
    Medida completa, compactacion, stock, pisoStock, temporales, pisoTemporales, asientos, pisoAsientos,
        planos;
};

// The whole run and each purge against its floor, the compaction, the plain-index walk.
Resultados CorridaYPisos(const Args& a, const std::string& demo, long long n) {
    using namespace dep::bench;
    // Built in steps: GCC 12 at -O3 warns (falsely) on "-" + std::to_string(n).
    std::string sufijo(1, '-');
    sufijo += std::to_string(n);
    sufijo += ".db";
    Resultados r;
    const std::string completa = Copia(demo, a.carpeta + "/completa" + sufijo);
    r.completa = EnHijo([&](std::vector<double>& v) { return CorridaCompleta(completa, a.hasta, v); });
    r.compactacion = EnHijo([&](std::vector<double>& v) { return Compactacion(completa, v); });
    const std::string purgas = Copia(demo, a.carpeta + "/purgas" + sufijo);
    const std::string pisos = Copia(demo, a.carpeta + "/pisos" + sufijo);
    r.stock = EnHijo([&](std::vector<double>& v) { return Purga(purgas, a.hasta, "--stock", v); });
    r.pisoStock = EnHijo([&](std::vector<double>& v) { return PisoStock(pisos, a.hasta, v); });
    r.temporales = EnHijo([&](std::vector<double>& v) { return Purga(purgas, a.hasta, "--temporales", v); });
    r.pisoTemporales = EnHijo([&](std::vector<double>& v) { return PisoTemporales(pisos, a.hasta, v); });
    r.asientos = EnHijo([&](std::vector<double>& v) { return Purga(purgas, a.hasta, "--asientos", v); });
    r.pisoAsientos = EnHijo([&](std::vector<double>& v) { return Piso(pisos, a.hasta, v); });
    if (n <= a.planosHasta) {
        const std::string planos = Copia(demo, a.carpeta + "/planos" + sufijo);
        IndicesPlanos(planos);
        r.planos = EnHijo([&](std::vector<double>& v) { return Purga(planos, a.hasta, "--asientos", v); });
        fs::remove(planos);
    }
    for (const std::string& f : {completa, purgas, pisos})
        for (const char* x : {"", "-wal", "-shm", "-corrida"}) fs::remove(f + x);

    if (r.completa.ok)
        std::printf("  corrida completa (consola, 3 purgas, sin compactar) %8.2f s  pico %.1f MiB\n",
                    r.completa.segundos, MiB(r.completa.picoKiB));
    Informar("corrida completa", r.completa);
    Comparar("stock", r.stock, "SQLite solo, mismas sentencias", r.pisoStock);
    Comparar("temporales", r.temporales, "SQLite solo, mismas sentencias", r.pisoTemporales);
    Comparar("asientos (recorrido)", r.asientos, "piso de conjuntos (2 sentencias por pasada)",
             r.pisoAsientos);
    if (r.asientos.ok) std::printf("  recorrido por la consola: pico %.1f MiB\n", MiB(r.asientos.picoKiB));
    if (r.completa.ok && r.pisoStock.ok && r.pisoTemporales.ok && r.pisoAsientos.ok) {
        const double pisos = r.pisoStock.segundos + r.pisoTemporales.segundos + r.pisoAsientos.segundos;
        std::printf("  corrida completa / suma de los pisos (%.2f s)   %6.2f\n", pisos,
                    r.completa.segundos / pisos);
    }
    Informar("compactación", r.compactacion);
    if (r.compactacion.ok) {
        const double antes = static_cast<double>(fs::file_size(demo)), despues = r.compactacion.valores[1];
        std::printf(
            "  compactación %8.2f s   archivo %.1f MiB antes de la corrida, %.1f MiB después (%.0f %% "
            "menos), "
            "páginas libres después: %.0f\n",
            r.compactacion.segundos, MB(antes), MB(despues), 100.0 * (1 - despues / antes),
            r.compactacion.valores[2]);
    }
    if (n <= a.planosHasta) {
        Informar("recorrido con índices planos", r.planos);
        if (r.planos.ok && r.asientos.ok)
            std::printf("  recorrido con índices planos %8.2f s   = %.1f × con los índices de la demo\n",
                        r.planos.segundos, r.planos.segundos / r.asientos.segundos);
    }
    return r;
}

// The demo file of `n` entries in the benchmark's folder, generated once and kept there.
bool Demo(const Args& a, long long n, std::string& demo) {
    demo = a.carpeta + "/demo-" + std::to_string(n) + ".db";
    if (fs::exists(demo)) return true;
    dep::OpcionesDemo o;
    o.asientos = n;
    Medida g = dep::bench::EnHijo([&](std::vector<double>&) {
        dep::GenerarDemo(demo, o);
        return 0.0;
    });
    if (!g.ok) std::printf("%lld asientos: no se pudo generar la base: %s\n", n, g.nota.c_str());
    return g.ok;
}

// The stock procedure alone against plain SQLite on the same six deletes (the sizes where the
// whole benchmark would take too long).
bool SoloStock(const Args& a, long long n) {
    using namespace dep::bench;
    std::string demo;
    if (!Demo(a, n, demo)) return false;
    std::printf("\n%lld asientos, solo la purga de stock\n", n);
    const std::string purga = Copia(demo, a.carpeta + "/stock-" + std::to_string(n) + ".db");
    const std::string piso = Copia(demo, a.carpeta + "/piso-stock-" + std::to_string(n) + ".db");
    const Medida m = EnHijo([&](std::vector<double>& v) { return Purga(purga, a.hasta, "--stock", v); });
    const Medida p = EnHijo([&](std::vector<double>& v) { return PisoStock(piso, a.hasta, v); });
    Comparar("stock", m, "SQLite solo, mismas sentencias", p);
    for (const std::string& f : {purga, piso})
        for (const char* x : {"", "-wal", "-shm", "-corrida"}) fs::remove(f + x);
    return m.ok && p.ok;
}

// The consolidation against its own statements replayed through plain SQLite.
void PisoDeLasSentencias(const Args& a, const std::string& demo, long long n, const Medida& w) {
    using namespace dep::bench;
    const std::string capturada = Copia(demo, a.carpeta + "/captura-" + std::to_string(n) + ".db");
    const std::string repetida = Copia(demo, a.carpeta + "/repeticion-" + std::to_string(n) + ".db");
    const std::string archivo = a.carpeta + "/sentencias-" + std::to_string(n) + ".bin";
    const Medida c =
        EnHijo([&](std::vector<double>& v) { return CapturarConsolidacion(capturada, a.hasta, archivo, v); });
    const Medida r = EnHijo([&](std::vector<double>& v) { return PisoDeSentencias(repetida, archivo, v); });
    Informar("captura de las sentencias", c);
    Informar("piso de sentencias", r);
    if (r.ok && w.ok)
        std::printf(
            "  piso de sentencias (las %.0f sentencias SQLite del recorrido, %.0f textos preparados una vez) "
            "%6.2f s   recorrido / piso de sentencias %6.2f\n",
            r.valores[0], r.valores[1], r.segundos, w.segundos / r.segundos);
    // Both copies must end alike: the replay did the walk's work.
    const Medida cc = EnHijo([&](std::vector<double>& v) { return Contar(capturada, a.hasta, v); });
    const Medida cr = EnHijo([&](std::vector<double>& v) { return Contar(repetida, a.hasta, v); });
    if (cc.ok && cr.ok)
        std::printf(
            "  comprobación de la repetición: quedan %.0f / %.0f asientos, importe total %.2f / %.2f\n",
            cc.valores[0], cr.valores[0], cc.valores[4], cr.valores[4]);
    for (const std::string& b : {capturada, repetida})
        for (const char* x : {"", "-wal", "-shm", "-corrida"}) fs::remove(b + x);
    fs::remove(archivo);
}

// Round trips a whole run would make to a server, per 1,000 entries up to the cut-off date.
void ViajesAlServidor(const Args& a, const std::string& demo, long long n, double hastaCorte) {
    const std::string base = Copia(demo, a.carpeta + "/viajes-" + std::to_string(n) + ".db");
    const Medida m =
        dep::bench::EnHijo([&](std::vector<double>& v) { return dep::bench::Viajes(base, a.hasta, v); });
    Informar("viajes al servidor", m);
    if (m.ok && hastaCorte > 0) {
        const double k = hastaCorte / 1000;
        std::printf(
            "  viajes al servidor por 1.000 asientos: %.0f (%.0f sentencias); un día por vez serían %.0f "
            "(%.0f "
            "sentencias, %.0f fechas vacías)\n",
            m.valores[0] / k, m.valores[1] / k, m.valores[2] / k, m.valores[3] / k, m.valores[4]);
    }
    for (const char* x : {"", "-wal", "-shm", "-corrida"}) fs::remove(base + x);
}

// The demo with one entry dated 01/01/1900: the walk passes over the empty dates; stepping one day
// at a time would add one empty date's cost (measured) for each of them.
bool FechasVacias(const Args& a) {
    using namespace dep::bench;
    std::string demo;
    if (a.fechasVacias <= 0 || !Demo(a, a.fechasVacias, demo)) return a.fechasVacias <= 0;
    std::printf("\n%lld asientos y uno del 01/01/1900\n", a.fechasVacias);
    const std::string sin = Copia(demo, a.carpeta + "/sin1900.db");
    const std::string con = Copia(demo, a.carpeta + "/con1900.db");
    const std::string viajes = Copia(demo, a.carpeta + "/viajes1900.db");
    const std::string vacias = Copia(demo, a.carpeta + "/vacias.db");
    const Medida s = EnHijo([&](std::vector<double>& v) { return Purga(sin, a.hasta, "--asientos", v); });
    const Medida c = EnHijo([&](std::vector<double>& v) {
        AsientoDe1900(con);
        return Purga(con, a.hasta, "--asientos", v);
    });
    const Medida t = EnHijo([&](std::vector<double>& v) {
        AsientoDe1900(viajes);
        return Viajes(viajes, a.hasta, v);
    });
    const Medida f = EnHijo([&](std::vector<double>&) { return FechaVacia(vacias, 2000); });
    for (const auto* m : {&s, &c, &t, &f}) Informar("fechas vacías", *m);
    if (s.ok && c.ok && t.ok && f.ok) {
        const double saltadas = t.valores[4];
        std::printf(
            "  recorrido sin el asiento de 1900 %.2f s; con él %.2f s pasando por alto %.0f fechas vacías; "
            "una fecha vacía cuesta %.3f ms, así que un día por vez serían %.2f s\n",
            s.segundos, c.segundos, saltadas, 1000 * f.segundos, c.segundos + saltadas * f.segundos);
    }
    for (const std::string& b : {sin, con, viajes, vacias})
        for (const char* x : {"", "-wal", "-shm", "-corrida"}) fs::remove(b + x);
    return s.ok && c.ok && t.ok && f.ok;
}

}  // namespace

int main(int argc, char** argv) {
    Args a;
    if (!Leer(argc, argv, a)) {
        Ayuda();
        return 2;
    }
    if (!a.soloRecorrido.empty()) {
        std::vector<double> v;
        const double t = dep::bench::RecorridoConsola(a.soloRecorrido, a.hasta, v);
        std::printf("recorrido: %.3f s, %.0f lotes\n", t, v.empty() ? 0.0 : v[0]);
        return 0;
    }
    fs::create_directories(a.carpeta);
    std::ofstream csv;
    if (!a.csv.empty()) {
        csv.open(a.csv);
        csv << "asientos,hasta_corte,recorrido_s,piso_s,lotes,pico_recorrido_mib,pico_piso_mib,aplicaciones,"
               "aplicaciones_s,completa_s,stock_s,piso_stock_s,temporales_s,piso_temporales_s,asientos_"
               "consola_s,"
               "compactacion_s,bytes_despues,planos_s\n";
    }
    std::map<long long, double> tiempos;
    bool todoBien = true;
    std::printf("Corte: %s. Cada medida corre en un proceso propio; pico = ru_maxrss de ese proceso.\n",
                a.hasta.c_str());
    for (long long n : a.tamanos) {
        std::string demo;
        if (!Demo(a, n, demo)) {
            todoBien = false;
            continue;
        }
        Medida c =
            dep::bench::EnHijo([&](std::vector<double>& v) { return dep::bench::Contar(demo, a.hasta, v); });
        const double hastaCorte = c.ok ? c.valores[1] : 0;
        std::printf("\n%lld asientos (%.0f hasta el corte, %.0f aplicaciones)\n", n, hastaCorte,
                    c.ok ? c.valores[2] : 0.0);

        const Resultados corrida = CorridaYPisos(a, demo, n);
        std::printf("  -- el recorrido dentro del proceso, la prueba, la copia, las aplicaciones --\n");
        const std::string rec = Copia(demo, a.carpeta + "/recorrido-" + std::to_string(n) + ".db");
        const std::string piso = Copia(demo, a.carpeta + "/piso-" + std::to_string(n) + ".db");
        Medida w = dep::bench::EnHijo(
            [&](std::vector<double>& v) { return dep::bench::RecorridoConsola(rec, a.hasta, v); });
        Medida f =
            dep::bench::EnHijo([&](std::vector<double>& v) { return dep::bench::Piso(piso, a.hasta, v); });
        Informar("DepuraAsientos (consola)", w);
        Informar("piso", f);
        if (w.ok) {
            const double lotes = w.valores[0];
            tiempos[n] = w.segundos;
            std::printf(
                "  DepuraAsientos (consola)  %9.2f s  %9.0f asientos/s  %9.0f lotes/s  (%0.f lotes)  pico "
                "%.1f MiB\n",
                w.segundos, hastaCorte / w.segundos, lotes / w.segundos, lotes, MiB(w.picoKiB));
        }
        if (f.ok)
            std::printf(
                "  piso (INSERT…SELECT + DELETE) %6.2f s  %9.0f asientos/s  (%0.f filas resumen)  pico "
                "%.1f MiB\n",
                f.segundos, hastaCorte / f.segundos, f.valores[0], MiB(f.picoKiB));
        if (w.ok && f.ok) std::printf("  recorrido / piso           %9.1f\n", w.segundos / f.segundos);
        // The two must leave the same total amount behind: a sanity check of both.
        Medida cw =
            dep::bench::EnHijo([&](std::vector<double>& v) { return dep::bench::Contar(rec, a.hasta, v); });
        Medida cf =
            dep::bench::EnHijo([&](std::vector<double>& v) { return dep::bench::Contar(piso, a.hasta, v); });
        if (cw.ok && cf.ok)
            std::printf(
                "  comprobación: quedan %.0f / %.0f asientos, %.0f filas resumen, importe total %.2f / "
                "%.2f\n",
                cw.valores[0], cf.valores[0], cw.valores[3], cw.valores[4], cf.valores[4]);

        ViajesAlServidor(a, demo, n, hastaCorte);
        PisoDeLasSentencias(a, demo, n, w);

        // What the guard of each walk date adds: its query against the delete it protects.
        const std::string gu = Copia(demo, a.carpeta + "/guardia-" + std::to_string(n) + ".db");
        Medida g =
            dep::bench::EnHijo([&](std::vector<double>& v) { return dep::bench::Guardia(gu, a.hasta, v); });
        Informar("guardia de las fechas", g);
        if (g.ok && w.ok)
            std::printf(
                "  guardia de las fechas (%.0f SUM) %6.2f s  = %.2f × los borrados (%.2f s), %.1f %% del "
                "recorrido\n",
                g.valores[1], g.segundos, g.segundos / g.valores[0], g.valores[0],
                100.0 * g.segundos / w.segundos);

        // What the proof of the books and the backup add to a run.
        Medida pr = dep::bench::EnHijo(
            [&](std::vector<double>& v) { return dep::bench::Prueba(demo, rec, a.hasta, v); });
        Informar("prueba de saldos", pr);
        if (pr.ok && w.ok)
            std::printf(
                "  prueba de saldos (4 consultas agrupadas) %6.2f s  = %.1f %% del recorrido  (%.0f "
                "claves)\n",
                pr.segundos, 100.0 * pr.segundos / w.segundos, pr.valores[0]);
        Medida cs = dep::bench::EnHijo([&](std::vector<double>& v) {
            return dep::bench::CopiaDeSeguridad(demo, a.carpeta + "/copias", v);
        });
        Informar("copia de seguridad", cs);
        if (cs.ok)
            std::printf("  copia de seguridad         %9.2f s  %.1f MiB  %.0f MiB/s%s\n", cs.segundos,
                        cs.valores[0] / 1048576.0, cs.valores[0] / 1048576.0 / cs.segundos,
                        w.ok ? (" = " + std::to_string(static_cast<int>(100.0 * cs.segundos / w.segundos)) +
                                " % del recorrido")
                                   .c_str()
                             : "");

        Medida ap = dep::bench::EnHijo(
            [&](std::vector<double>& v) { return dep::bench::Aplicaciones(rec, a.hasta, v); });
        Informar("ControlarAplicaciones", ap);
        if (ap.ok)
            std::printf(
                "  ControlarAplicaciones      %9.2f s  %9.0f aplicaciones/s  (%0.f aplicaciones)  pico "
                "%.1f MiB\n",
                ap.segundos, ap.valores[0] / ap.segundos, ap.valores[0], MiB(ap.picoKiB));

        if (a.ventana && n == a.tamanos.front()) {
            std::string motivo;
            if (!dep::bench::VentanaDisponible(motivo)) {
                std::printf("  ventana / consola          NO MEDIDO: %s\n", motivo.c_str());
            } else {
                const std::string ven = Copia(demo, a.carpeta + "/ventana-" + std::to_string(n) + ".db");
                Medida v = dep::bench::EnHijo(
                    [&](std::vector<double>& x) { return dep::bench::RecorridoVentana(ven, a.hasta, x); });
                Informar("DepuraAsientos (ventana)", v);
                if (v.ok)
                    std::printf("  DepuraAsientos (ventana)  %9.2f s  pico %.1f MiB\n", v.segundos,
                                MiB(v.picoKiB));
                if (v.ok && w.ok)
                    std::printf("  ventana / consola          %9.2f\n", v.segundos / w.segundos);
            }
        }
        todoBien = todoBien && w.ok && f.ok && ap.ok && corrida.completa.ok && corrida.asientos.ok;
        if (csv.is_open())
            csv << n << ',' << hastaCorte << ',' << (w.ok ? w.segundos : 0) << ',' << (f.ok ? f.segundos : 0)
                << ',' << (w.ok ? w.valores[0] : 0) << ',' << MiB(w.picoKiB) << ',' << MiB(f.picoKiB) << ','
                << (ap.ok ? ap.valores[0] : 0) << ',' << (ap.ok ? ap.segundos : 0);
        if (csv.is_open()) {
            for (const Medida* m :
                 {&corrida.completa, &corrida.stock, &corrida.pisoStock, &corrida.temporales,
                  &corrida.pisoTemporales, &corrida.asientos, &corrida.compactacion})
                csv << ',' << (m->ok ? m->segundos : 0);
            csv << ',' << (corrida.compactacion.ok ? corrida.compactacion.valores[1] : 0) << ','
                << (corrida.planos.ok ? corrida.planos.segundos : 0) << '\n';
        }
        for (const std::string& s : {rec, piso})
            for (const char* sufijo : {"", "-wal", "-shm"}) fs::remove(s + sufijo);
    }
    for (long long n : a.tamanosStock) todoBien = SoloStock(a, n) && todoBien;
    todoBien = FechasVacias(a) && todoBien;
    if (tiempos.count(200000) && tiempos.count(1000000))
        std::printf("\ncrecimiento 1.000.000 / 200.000: %.2f\n", tiempos[1000000] / tiempos[200000]);
    return todoBien ? 0 : 1;
}
