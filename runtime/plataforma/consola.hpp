#pragma once
// The console the program runs in: texts in UTF-8 and the progress line's escape sequence shown
// as such, the same line ends on every system, arguments as UTF-8, and Ctrl-C as a request.
#include <atomic>
#include <string>
#include <vector>

namespace dep::plataforma {

// Sets the console up for the life of the object and puts it back as it was.
class ConsolaPreparada {
  public:
    ConsolaPreparada();
    ~ConsolaPreparada();
    ConsolaPreparada(const ConsolaPreparada&) = delete;
    ConsolaPreparada& operator=(const ConsolaPreparada&) = delete;

  private:
    // What Windows had before; the POSIX console has nothing to put back.
    [[maybe_unused]] unsigned paginaSalida_ = 0;
    [[maybe_unused]] unsigned long modoErrores_ = 0;
    [[maybe_unused]] bool restaurar_ = false;
};

bool ErroresEnTerminal();

// The program's arguments (without its name) as UTF-8 texts.
std::vector<std::string> Argumentos(int argc, char** argv);

// From now on Ctrl-C (on POSIX also SIGTERM and SIGHUP; on Windows also closing the console
// window) sets `bandera` and the program goes on; a second one ends it at once.
void AtenderInterrupcion(std::atomic<bool>& bandera);

}  // namespace dep::plataforma
