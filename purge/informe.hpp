#pragma once
// The end-of-run report, drawn from the run journal: per purge what went, the summary vouchers
// with their keys and rows, the walk dates rolled back and the run's duration.
#include <string>
#include <vector>

#include "purge/diario.hpp"

namespace dep {

struct InformePurga {
    std::string purga;  // "stock", "asientos", "temporales"
    bool marcada = false;
    std::string resultado;  // "ok", "con rechazos", "cancelada", "omitida"
    long filas = 0;         // rows deleted (asientos: entries consolidated and deleted)
    long unidades = 0;
    long rechazadas = 0;
};

struct InformeComprobante {
    std::string tipo, clave;
    long filas = 0;
};

struct Informe {
    std::string hasta;
    std::vector<InformePurga> purgas;  // stock, asientos, temporales
    std::vector<InformeComprobante> comprobantes;
    std::vector<std::string> fechasDeshechas;
    long fusiones = 0;  // rows written or updated into the summary vouchers
    long segundos = 0;
    bool cancelado = false, fechaGrabada = false;
};

Informe ArmarInforme(const Diario& d);
std::string TextoInforme(const Informe& i);  // Spanish, a few lines
std::string JsonInforme(const Informe& i);

}  // namespace dep
