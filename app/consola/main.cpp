// depuracion-consola: the purges without a window.
#include <iostream>

#include "app/consola/anfitrion_consola.hpp"
#include "runtime/plataforma/consola.hpp"

int main(int argc, char** argv) {
    const dep::plataforma::ConsolaPreparada consola;
    return dep::consola::Correr(dep::plataforma::Argumentos(argc, argv), std::cout, std::cerr,
                                dep::plataforma::ErroresEnTerminal());
}
