// The console on POSIX: terminals take UTF-8 and escape sequences as they are; Ctrl-C is SIGINT.
#include "runtime/plataforma/consola.hpp"

#include <unistd.h>

#include <csignal>

namespace dep::plataforma {

namespace {
std::atomic<bool>* g_bandera = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set inside a signal handler");

extern "C" void AlInterrumpir(int) {
    if (g_bandera != nullptr) g_bandera->store(true);
    // A second Ctrl-C ends the program at once; the database rolls back the open date.
    std::signal(SIGINT, SIG_DFL);
}
}  // namespace

ConsolaPreparada::ConsolaPreparada() = default;
ConsolaPreparada::~ConsolaPreparada() = default;

bool ErroresEnTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}

std::vector<std::string> Argumentos(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void AtenderInterrupcion(std::atomic<bool>& bandera) {
    g_bandera = &bandera;
    std::signal(SIGINT, AlInterrumpir);
}

}  // namespace dep::plataforma
