#include "tests/apoyo/proceso.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace dep::prueba {

namespace {
int AbrirSalida(const std::string& ruta) {
    return ruta.empty() ? ::open("/dev/null", O_WRONLY)
                        : ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
}
}  // namespace

Proceso::Proceso(const Lanzamiento& l) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& v : l.entorno) ::putenv(const_cast<char*>(v.c_str()));
        ::dup2(AbrirSalida(l.salida), 1);
        ::dup2(AbrirSalida(l.errores), 2);
        std::vector<char*> argv{const_cast<char*>(l.programa.c_str())};
        for (const auto& a : l.args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(l.programa.c_str(), argv.data());
        ::_exit(127);
    }
    id_ = pid;
}

Proceso::~Proceso() {
    if (!terminado_ && id_ > 0) {
        Matar();
        Esperar();
    }
}

bool Proceso::Vivo() {
    if (terminado_ || id_ <= 0) return false;
    int st = 0;
    if (::waitpid(static_cast<pid_t>(id_), &st, WNOHANG) != id_) return true;
    terminado_ = true;
    estado_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return false;
}

void Proceso::Matar() {
    if (!terminado_ && id_ > 0) ::kill(static_cast<pid_t>(id_), SIGKILL);
}

void Proceso::Interrumpir() {
    Senal(SIGINT);
}

void Proceso::Senal(int senal) {
    if (!terminado_ && id_ > 0) ::kill(static_cast<pid_t>(id_), senal);
}

int Proceso::Esperar() {
    if (!terminado_ && id_ > 0) {
        int st = 0;
        ::waitpid(static_cast<pid_t>(id_), &st, 0);
        terminado_ = true;
        estado_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    return estado_;
}

int Ejecutar(const Lanzamiento& l) {
    Proceso p(l);
    return p.Esperar();
}

void FijarVariable(const std::string& nombre, const std::string& valor) {
    ::setenv(nombre.c_str(), valor.c_str(), 1);
}

void QuitarVariable(const std::string& nombre) {
    ::unsetenv(nombre.c_str());
}

}  // namespace dep::prueba
