#pragma once
// The command line of depuracion-consola.
#include <optional>
#include <string>
#include <vector>

namespace dep::consola {

enum class AnteError { Abortar, Ignorar, Reintentar };

struct Opciones {
    bool ayuda = false;
    bool version = false;
    std::string hasta;                                         // the cut-off date as typed
    std::string base;                                          // embedded engine: the database file
    std::string odbc;                                          // ODBC engine: the connection string
    bool stock = false, asientos = false, temporales = false;  // none given: all three
    AnteError anteError = AnteError::Abortar;
    std::string traza;
    std::optional<std::string> aplicaciones;  // IDCOMPROBANTE of the replacement voucher
    bool soloFP = false;                      // --fp (true) or --cc (false)
    bool vistaPrevia = false;                 // print what a run would do and change nothing
    bool json = false;                        // --formato json: preview and report as JSON
    std::string diario;                       // the run journal's file (empty: beside KSERR.LOG)
    std::optional<std::string> copia;         // --copia CARPETA: a backup there before the run
    bool compactar = true;                    // --sin-compactar: the file keeps its free space
};

// Reads the arguments (without the program name). Returns nothing and sets `error` (Spanish)
// when the usage is wrong.
std::optional<Opciones> LeerOpciones(const std::vector<std::string>& args, std::string& error);

// Branch (4 digits), number (8 digits) and letter (A to Z): a voucher id as the suite writes it.
bool EsIdComprobante(const std::string& id);

// The text of --help, drawn from the same option definitions as LeerOpciones: usage lines, every
// option with what it does, exit statuses.
std::string TextoAyuda();

// Every option name (the long ones: "--hasta", ...), in the order of --help.
std::vector<std::string> NombresDeOpciones();

}  // namespace dep::consola
