#pragma once
// Programs the tests start and control: killed, interrupted as by Ctrl-C, waited for. One
// interface; POSIX (fork, exec, signals) and Windows (CreateProcess, TerminateProcess,
// GenerateConsoleCtrlEvent) behind it.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dep::prueba {

struct Lanzamiento {
    std::string programa;
    std::vector<std::string> args;
    std::vector<std::string> entorno;  // "NAME=value", added to this process's environment
    std::string salida, errores;       // files for standard output and error; empty: dropped
};

class Proceso {
  public:
    explicit Proceso(const Lanzamiento& l);
    ~Proceso();  // killed, unless it was waited for
    Proceso(const Proceso&) = delete;
    Proceso& operator=(const Proceso&) = delete;

    long Id() const { return id_; }
    bool Vivo();         // still running; never waits
    void Matar();        // ended at once, as by a power cut of the program
    void Interrumpir();  // Ctrl-C
#ifndef _WIN32
    void Senal(int senal);  // kill(2)
#endif
    int Esperar();  // its exit status; -1 when it was killed

  private:
    long id_ = -1;
    long long manejador_ = -1;  // the process handle on Windows
    bool terminado_ = false, matado_ = false;
    int estado_ = -1;
};

// Runs the program to its end: its exit status, -1 when it was killed.
int Ejecutar(const Lanzamiento& l);

// Sets (or, with no value, removes) a variable of this process's environment.
void FijarVariable(const std::string& nombre, const std::string& valor);
void QuitarVariable(const std::string& nombre);

// Sets (null: removes) an environment variable for the life of the object, restoring it after.
class VariableEntorno {
  public:
    VariableEntorno(std::string nombre, const char* valor);
    VariableEntorno(std::string nombre, const std::filesystem::path& valor);
    ~VariableEntorno();
    VariableEntorno(const VariableEntorno&) = delete;
    VariableEntorno& operator=(const VariableEntorno&) = delete;

  private:
    std::string nombre_;
    std::optional<std::string> antes_;
};

}  // namespace dep::prueba
