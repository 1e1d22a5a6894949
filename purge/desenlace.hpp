#pragma once
// How a run ended, said in one line before anything else of its report: the window shows it on
// top in colour, the console prints it first and ends with the exit status that matches it.
#include <string>

#include "purge/informe.hpp"

namespace dep {

enum class Desenlace { kTerminada, kCancelada, kConErrores };

struct Titular {
    Desenlace desenlace = Desenlace::kTerminada;
    std::string texto;  // "Depuración terminada", "Depuración cancelada: …", "Depuración con errores: …"
};

// From what the purges recorded: errors weigh more than a cancel (the operator must act on them
// first); a cancelled run asks to be repeated up to the same date.
Titular TitularDe(const Informe& i);
// "terminada", "cancelada" or "con errores", for the JSON report.
const char* ClaveDesenlace(Desenlace d);

}  // namespace dep
