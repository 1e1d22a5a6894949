#pragma once
// The pieces of the consolidation benchmark: each measurement runs in a child process of its
// own, so that its peak memory is its own and a crash cannot spoil the others.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/conexion.hpp"

namespace dep::bench {

struct Medida {
    bool ok = false;
    double segundos = 0;
    long picoKiB = 0;             // ru_maxrss of the child
    std::vector<double> valores;  // what the measurement counted
    std::string nota;             // why it failed or was not taken
};

// The embedded engine's connection to `base`, as the programs open it.
std::shared_ptr<Conexion> Abrir(const std::string& base);
double Segundos(std::chrono::steady_clock::time_point desde);  // elapsed since `desde`

// Runs `f` in a child; `f` fills the values, returns the seconds measured, or raises.
Medida EnHijo(const std::function<double(std::vector<double>&)>& f);

// The consolidation through the console's host, output to /dev/null. Values: merge batches.
double RecorridoConsola(const std::string& base, const std::string& hasta, std::vector<double>& v);
// The same through the window's host (offscreen). Raises when the window is not built in.
double RecorridoVentana(const std::string& base, const std::string& hasta, std::vector<double>& v);
bool VentanaDisponible(std::string& motivo);
// Per pass family one transaction: INSERT ... SELECT ... GROUP BY into a summary voucher and one
// DELETE of the detail. Values: summary rows written.
double Piso(const std::string& base, const std::string& hasta, std::vector<double>& v);
// ControlarAplicaciones for both summary vouchers. Values: applications examined.
// The walk dates' guards alone (returned) and their deletes (v[0]) over v[1] dates, on `base`.
double Guardia(const std::string& base, const std::string& hasta, std::vector<double>& v);
double Aplicaciones(const std::string& base, const std::string& hasta, std::vector<double>& v);
// The proof of the books: for both passes the grouped sums and the row count that a run takes
// before its walk (on `antes`) and after its re-dating (on `despues`). Values: keys summed.
double Prueba(const std::string& antes, const std::string& despues, const std::string& hasta,
              std::vector<double>& v);
// The backup a run makes when asked (--copia), into `carpeta`. Values: bytes of the copy.
double CopiaDeSeguridad(const std::string& base, const std::string& carpeta, std::vector<double>& v);
// Values: entries, entries up to the cut-off, applications, summary rows, remaining entries.
double Contar(const std::string& base, const std::string& hasta, std::vector<double>& v);

}  // namespace dep::bench
