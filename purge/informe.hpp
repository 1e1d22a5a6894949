#pragma once
// The end-of-run report, drawn from the run journal: per purge what went, the summary vouchers
// with their keys and rows, the walk dates rolled back and the run's duration.
#include <string>
#include <vector>

#include "purge/diario.hpp"

namespace dep {

struct InformePurga {
    Purga purga = Purga::Stock;
    bool marcada = false;
    // "ok", "con rechazos", "cancelada", "omitida", "no ejecutada" or "interrumpida"
    std::string resultado;
    std::string motivo;  // why it did not run, stopped, or what its refusals were
    long filas = 0;      // rows deleted (asientos: entries consolidated and deleted)
    long unidades = 0;
    long rechazadas = 0;
    long reintentadas = 0;  // refused, then done when the operator had them tried again
};

struct InformeComprobante {
    std::string tipo, clave;
    long filas = 0;
};

// The proof of a consolidation pass's books.
struct InformeVerificacion {
    std::string tipo;    // "CC" or "FP"
    std::string estado;  // "ok", "diferencias" or "no verificado"
    long grupos = 0;
    long long diferencia = 0;  // cents
    long long nuevas = 0;      // rows others added meanwhile (negative: removed)
    std::string detalle;       // the first differing keys, or why it was not proved
};

struct Informe {
    std::string hasta;
    std::vector<InformePurga> purgas;  // stock, asientos, temporales
    std::vector<InformeComprobante> comprobantes;
    std::vector<std::string> fechasDeshechas;
    std::vector<std::string> pendientes;  // what the run left behind, in the operator's words
    std::vector<InformeVerificacion> verificaciones;
    std::string copia;  // where the backup asked for is; "" when none was made
    long long copiaBytes = -1;
    // The compaction: "" when none was tried, else "ok", "omitida" or "rechazada", with why.
    std::string compactacion, motivoCompactacion;
    long long bytesAntes = -1, bytesDespues = -1;
    long fusiones = 0;  // rows written or updated into the summary vouchers
    long segundos = 0;
    bool cancelado = false, fechaGrabada = false;
    // An error dialog or message of a purge's trap came up during the run (the host's HayError).
    bool errorEnLaCorrida = false;
};

Informe ArmarInforme(const Diario& d);
// The purge's name in the report's words ("Asientos", "Movimientos de Stock, ventas, compras"...).
const char* TituloDePurga(Purga purga);
// A ticked purge that could not start, was refused or stopped, or left something behind: the
// run is no clean one (the console ends with status 3).
bool ConErrores(const Informe& i);
std::string TextoInforme(const Informe& i);  // Spanish, a few lines
std::string JsonInforme(const Informe& i);

}  // namespace dep
