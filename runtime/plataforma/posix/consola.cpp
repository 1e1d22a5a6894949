// The console on POSIX: terminals take UTF-8 and escape sequences as they are; Ctrl-C is SIGINT,
// and a stop request (SIGTERM) or a hang-up (SIGHUP) is taken the same way.
#include "runtime/plataforma/consola.hpp"

#include <unistd.h>

#include <csignal>

namespace dep::plataforma {

namespace {
std::atomic<bool>* g_bandera = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set inside a signal handler");

extern "C" void AlInterrumpir(int senal) {
    if (g_bandera != nullptr) g_bandera->store(true);
    // A second one ends the program at once; the database rolls back the open date.
    std::signal(senal, SIG_DFL);
}
}  // namespace

// A reader of the output that goes away (`| head`, a closed terminal) makes each later write fail
// instead of ending the program: the run goes on to its end and its exit status, and the journal,
// say what it did, not a signal.
ConsolaPreparada::ConsolaPreparada() {
    std::signal(SIGPIPE, SIG_IGN);
}
ConsolaPreparada::~ConsolaPreparada() {
    std::signal(SIGPIPE, SIG_DFL);
}

bool ErroresEnTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}

std::vector<std::string> Argumentos(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void AtenderInterrupcion(std::atomic<bool>& bandera) {
    g_bandera = &bandera;
    std::signal(SIGINT, AlInterrumpir);
    // A service stopped (systemctl stop) or a terminal closed cancels as Ctrl-C does, so the run
    // ends at its next date saying what it did, as closing the console window does on Windows.
    // A hang-up ignored by whoever started the program (nohup) stays ignored.
    std::signal(SIGTERM, AlInterrumpir);
    if (std::signal(SIGHUP, AlInterrumpir) == SIG_IGN) std::signal(SIGHUP, SIG_IGN);
}

}  // namespace dep::plataforma
