#pragma once
// What the reliability tests check on a database file after a run, a refusal or a kill: the
// books (per pass family and group key, the summary amounts plus the ordinary entries left up
// to the cut-off date equal the original sums), the file's integrity and the table's triggers.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/apoyo/carpeta.hpp"
#include "tests/apoyo/proceso.hpp"

namespace dep::fiabilidad {

// Family (true: supplier vouchers) and the group key, nulls read as empty.
using Clave = std::tuple<bool, std::vector<std::string>>;
using Sumas = std::map<Clave, long long>;  // cents

// Sums of the ordinary entries (not summary rows) up to the cut-off date `hastaIso` (YYYY-MM-DD).
Sumas Originales(const std::string& base, const std::string& hastaIso);
// Summary amounts plus the ordinary entries left up to the cut-off date.
Sumas Actuales(const std::string& base, const std::string& hastaIso);
// The differences between two sets of sums, as readable lines (empty: the books balance).
std::vector<std::string> Diferencias(const Sumas& antes, const Sumas& ahora);

// A demo file of `asientos` entries made from `semilla`.
void Demo(const std::string& ruta, long long asientos, std::uint32_t semilla = 3);
// The books of `base` balance against `originales` and the file is sound; `que` names the case.
void Cuadra(const std::string& base, const Sumas& originales, const std::string& hastaIso,
            const std::string& que);
// As Cuadra, and MV_ASIENTOS keeps its `disparadores` triggers with none left aside by the engine.
void RevisarLibros(const std::string& base, const Sumas& originales, const std::string& hastaIso,
                   int disparadores, const std::string& que);
inline bool Contiene(const std::string& s, const std::string& t) {
    return s.find(t) != std::string::npos;
}

std::string Integridad(const std::string& base);                    // "ok" when the file is sound
long long Cuenta(const std::string& base, const std::string& sql);  // first column of the first row
int DisparadoresDeAsientos(const std::string& base);       // triggers of MV_ASIENTOS in sqlite_master
long long DisparadoresGuardados(const std::string& base);  // tables whose triggers the engine left off

struct Salida {
    int estado = -1;  // exit status; -1 when killed or not run
    std::string out, err;
};
// Runs the console program with `args`, the extra environment `entorno` ("NAME=value").
Salida Programa(const std::vector<std::string>& args, const std::vector<std::string>& entorno = {});

std::string Leer(const std::filesystem::path& p);  // the whole file, "" when there is none

class Carpeta;
// Programa with the temporary folder (KSERR.LOG, the default journal) in `c`.
Salida ProgramaEn(const Carpeta& c, const std::vector<std::string>& args,
                  std::vector<std::string> entorno = {});
// The column declared `de` in MV_ASIENTOS of `base` declared `a` instead, as another tool would
// declare it: the stored values stay as they are.
void Redeclarar(const std::string& base, const std::string& de, const std::string& a);
// A demo file "demo.db" of `asientos` entries in `c`; its path.
std::string DemoEn(const Carpeta& c, long long asientos);
// Whether TA_CONFIGURACION holds `fecha` (dd/mm/yyyy) as the last purge's date.
bool FechaGrabada(const std::string& base, const std::string& fecha);
// The key (branch, number, letter) of a CC summary voucher, "" when there is none.
std::string ClaveResumenCC(const std::string& base);

// The console program started in the background with `args` and the extra environment
// `entorno`, its output dropped; killed with the object unless Esperar() gave its exit status.
class EnSegundoPlano : public prueba::Proceso {
  public:
    EnSegundoPlano(const std::vector<std::string>& args, const std::vector<std::string>& entorno)
        : prueba::Proceso({DEP_CONSOLA, args, entorno, {}, {}}) {}
};

// Mounts (a small disk, a read-only folder) are Linux's and need root: why this process cannot
// make them, "" when it can.
std::string PorQueNoMonta();
// A tmpfs of `tamano` ("256k") mounted at `carpeta`; "" when done, else why not.
std::string MontarTmpfs(const std::filesystem::path& carpeta, const std::string& tamano);
// `carpeta` mounted again on itself, read only; false when it could not be.
bool MontarSoloLectura(const std::filesystem::path& carpeta);

// A tmpfs mounted at `disco` with room for a copy of `modelo` and 64 MiB more, the copy made as
// `base`; "" when done, else why it could not be mounted (the caller skips). Unmount it with
// Desmontar. Linux only: elsewhere it says so.
std::string MontarDisco(const std::filesystem::path& disco, const std::filesystem::path& modelo,
                        const std::filesystem::path& base);
void Desmontar(const std::filesystem::path& disco);
// Fills `disco` but for `libres` bytes with the file "relleno" (remove it to give the room back).
void LlenarDisco(const std::filesystem::path& disco, std::uintmax_t libres);

// Temporary folders of the reliability tests.
class Carpeta : public prueba::Carpeta {
  public:
    Carpeta() : prueba::Carpeta("dep-fiab") {}
};

// The console started in the background in `c` (its temporary folder) and held at the pause file
// c/"pausa", where the extra `entorno` says; Soltar() lets it go on.
class Retenida : public EnSegundoPlano {
  public:
    Retenida(const Carpeta& c, const std::vector<std::string>& args, const std::vector<std::string>& entorno);
    bool EnPausa() const;  // whether it reached the pause within a minute
    void Soltar() const;

  private:
    std::string pausa_;
};

}  // namespace dep::fiabilidad
