// depuracion-consola: the purges without a window.
#include <unistd.h>

#include <iostream>

#include "app/consola/anfitrion_consola.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return dep::consola::Correr(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
