// depuracion-demo: writes a demo database of the suite for the embedded engine.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "demo/demo.hpp"
#include "runtime/falla.hpp"
#include "runtime/plataforma/consola.hpp"
#include "runtime/plataforma/rutas.hpp"
#include "runtime/version.hpp"

namespace {

constexpr int kUsoIncorrecto = 2;

void Ayuda(std::ostream& os) {
    os << "Uso: depuracion-demo --salida ARCHIVO [--asientos N] [--semilla S] [--anio-inicial A] "
          "[--reemplazar]\n"
          "       depuracion-demo --esquema --salida ARCHIVO\n"
          "       depuracion-demo --ayuda | --version\n"
          "\n"
          "Crea una base de datos de demostración (SQLite) con tres ejercicios contables de\n"
          "comprobantes balanceados, aplicaciones, talonarios, configuración, movimientos de\n"
          "stock, ventas y compras, historial de precios y tablas temporales.\n"
          "\n"
          "  --salida ARCHIVO    archivo a crear (no debe existir, salvo con --reemplazar)\n"
          "  --asientos N        filas de MV_ASIENTOS (por omisión 100000; mínimo "
       << dep::kMinimoAsientosDemo
       << ")\n"
          "  --semilla S         semilla del generador (por omisión 1); la misma semilla da la misma base\n"
          "  --anio-inicial A    primer ejercicio (por omisión 2021)\n"
          "  --esquema           crea sólo las tablas, vistas, disparadores y procedimientos\n"
          "  --reemplazar        borra el archivo si ya existe\n"
          "  --ayuda, -h         muestra esta ayuda\n"
          "  --version           muestra la versión, la de SQLite en uso y los motores incluidos\n";
}

int Error(const std::string& texto) {
    std::cerr << "depuracion-demo: " << texto << "\nPruebe 'depuracion-demo --ayuda'.\n";
    return kUsoIncorrecto;
}

template <typename T>
bool Numero(std::string_view s, T& n) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

int main(int argc, char** argv) {
    const dep::plataforma::ConsolaPreparada consola;
    const std::vector<std::string> args = dep::plataforma::Argumentos(argc, argv);
    const int n = static_cast<int>(args.size());
    dep::OpcionesDemo o;
    std::string salida;
    bool esquema = false, reemplazar = false;
    for (int i = 0; i < n; ++i) {
        std::string_view a = args[static_cast<std::size_t>(i)];
        auto valor = [&](std::string_view& v) {
            if (i + 1 >= n) return false;
            v = args[static_cast<std::size_t>(++i)];
            return true;
        };
        std::string_view v;
        if (a == "--ayuda" || a == "-h" || a == "--help") {
            Ayuda(std::cout);
            return 0;
        } else if (a == "--version") {
            std::cout << dep::TextoVersion("depuracion-demo");
            return 0;
        } else if (a == "--salida") {
            if (!valor(v) || v.empty()) return Error("falta el archivo después de --salida");
            salida = v;
        } else if (a == "--asientos") {
            if (!valor(v) || !Numero(v, o.asientos)) return Error("--asientos espera un número entero");
            if (o.asientos < dep::kMinimoAsientosDemo || o.asientos > dep::kMaximoAsientosDemo)
                return Error("--asientos debe estar entre " + std::to_string(dep::kMinimoAsientosDemo) +
                             " y " + std::to_string(dep::kMaximoAsientosDemo));
        } else if (a == "--semilla") {
            if (!valor(v) || !Numero(v, o.semilla))
                return Error("--semilla espera un número entero no negativo");
        } else if (a == "--anio-inicial") {
            if (!valor(v) || !Numero(v, o.anioInicial) || o.anioInicial < 1990 || o.anioInicial > 2090)
                return Error("--anio-inicial espera un año entre 1990 y 2090");
        } else if (a == "--esquema") {
            esquema = true;
        } else if (a == "--reemplazar") {
            reemplazar = true;
        } else {
            return Error("opción desconocida: " + std::string(a));
        }
    }
    if (salida.empty()) return Error("falta --salida ARCHIVO");
    try {
        if (reemplazar) {
            std::error_code ec;
            std::filesystem::remove(dep::Ruta(salida), ec);
            if (ec)
                throw dep::Falla(dep::err::kConexion,
                                 "No se pudo borrar \"" + salida + "\": " + ec.message());
        }
        auto inicio = std::chrono::steady_clock::now();
        if (esquema) {
            dep::CrearEsquema(salida);
            std::cout << "Esquema creado en " << salida << "\n";
        } else {
            dep::GenerarDemo(salida, o);
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
            char t[32];
            std::snprintf(t, sizeof t, "%.1f", s);
            std::cout << "Base de demostración creada en " << salida << ": " << o.asientos
                      << " asientos, semilla " << o.semilla << ", " << t << " s, "
                      << std::filesystem::file_size(dep::Ruta(salida)) / (1024 * 1024) << " MB\n";
        }
    } catch (const dep::Falla& e) {
        std::cerr << "depuracion-demo: " << e.Descripcion() << "\n";
        return 1;
    }
    return 0;
}
