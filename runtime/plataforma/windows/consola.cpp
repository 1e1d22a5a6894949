// The console on Windows: UTF-8 output code page and virtual-terminal mode for the progress
// line's escape sequence, both put back at the end; standard output and error in binary mode so
// that a line ends in "\n" as on every other system (Windows' own tools read it); arguments
// from the wide command line; Ctrl-C, Ctrl-Break and closing the window through a console
// control handler.
#include "runtime/plataforma/consola.hpp"

#include <windows.h>
// Declared with the types of windows.h:
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::plataforma {

namespace {
std::atomic<bool>* g_bandera = nullptr;
constexpr DWORD kEsperaCierre = 4500;  // the system ends the process 5 s after a close

BOOL WINAPI AlEvento(DWORD evento) {
    if (g_bandera == nullptr) return FALSE;
    switch (evento) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            // A second Ctrl-C ends the program at once; the database rolls back the open date.
            if (g_bandera->exchange(true)) return FALSE;
            return TRUE;
        case CTRL_CLOSE_EVENT:
            // The window is going: the run cancels at its next date, as with Ctrl-C, in the time
            // the system gives before it ends the process.
            g_bandera->store(true);
            ::Sleep(kEsperaCierre);
            return TRUE;
        default:
            return FALSE;
    }
}
}  // namespace

ConsolaPreparada::ConsolaPreparada() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    paginaSalida_ = ::GetConsoleOutputCP();
    if (paginaSalida_ != 0) ::SetConsoleOutputCP(CP_UTF8);
    HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD modo = 0;
    if (err != INVALID_HANDLE_VALUE && ::GetConsoleMode(err, &modo)) {
        modoErrores_ = modo;
        restaurar_ = true;
        ::SetConsoleMode(err, modo | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

ConsolaPreparada::~ConsolaPreparada() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (paginaSalida_ != 0) ::SetConsoleOutputCP(paginaSalida_);
    if (restaurar_) ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), modoErrores_);
}

bool ErroresEnTerminal() {
    DWORD modo = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &modo) != 0;
}

std::vector<std::string> Argumentos(int argc, char** argv) {
    int n = 0;
    wchar_t** w = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (w == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> r;
    for (int i = 1; i < n; ++i) r.push_back(Utf8(w[i]));
    ::LocalFree(w);
    return r;
}

void AtenderInterrupcion(std::atomic<bool>& bandera) {
    g_bandera = &bandera;
    // Ctrl-C may come ignored from the program that started this one.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    ::SetConsoleCtrlHandler(AlEvento, TRUE);
}

}  // namespace dep::plataforma
