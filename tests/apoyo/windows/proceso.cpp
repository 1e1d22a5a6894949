// Processes on Windows. Each program starts with a console of its own, without a window, so that a
// Ctrl-C sent to that console reaches it alone.
#include "tests/apoyo/proceso.hpp"

#include <windows.h>

#include <algorithm>
#include <map>

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep::prueba {

using plataforma::Ancho;

namespace {

constexpr UINT kCodigoMatado = 137;

HANDLE H(long long m) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(m));
}

// One argument as the C runtime reads it back: quotes around it, backslashes before a quote
// doubled.
std::wstring Citar(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) return a;
    std::wstring r = L"\"";
    std::size_t barras = 0;
    for (wchar_t c : a) {
        if (c == L'\\') {
            ++barras;
            continue;
        }
        r.append(c == L'"' ? 2 * barras + 1 : barras, L'\\');
        barras = 0;
        r += c;
    }
    r.append(2 * barras, L'\\');
    return r + L"\"";
}

struct SinCaso {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    }
};

// This process's environment with `extra` added, as CreateProcessW takes it.
std::wstring Entorno(const std::vector<std::string>& extra) {
    std::map<std::wstring, std::wstring, SinCaso> vars;
    wchar_t* bloque = ::GetEnvironmentStringsW();
    for (const wchar_t* p = bloque; p && *p; p += wcslen(p) + 1) {
        const std::wstring v = p;
        const auto igual = v.find(L'=', 1);
        if (igual != std::wstring::npos) vars[v.substr(0, igual)] = v.substr(igual + 1);
    }
    if (bloque) ::FreeEnvironmentStringsW(bloque);
    for (const auto& e : extra) {
        const std::wstring v = Ancho(e);
        const auto igual = v.find(L'=');
        if (igual != std::wstring::npos) vars[v.substr(0, igual)] = v.substr(igual + 1);
    }
    std::wstring r;
    for (const auto& [k, v] : vars) r += k + L"=" + v + L'\0';
    return r + L'\0';
}

HANDLE AbrirSalida(const std::string& ruta) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return ::CreateFileW(ruta.empty() ? L"NUL" : Ancho(ruta).c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Proceso::Proceso(const Lanzamiento& l) {
    std::wstring linea = Citar(Ancho(l.programa));
    for (const auto& a : l.args) linea += L" " + Citar(Ancho(a));
    std::wstring entorno = Entorno(l.entorno);
    HANDLE salida = AbrirSalida(l.salida), errores = AbrirSalida(l.errores);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = salida;
    si.hStdError = errores;
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(nullptr, linea.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, entorno.data(), nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        id_ = static_cast<long>(pi.dwProcessId);
        manejador_ = static_cast<long long>(reinterpret_cast<std::intptr_t>(pi.hProcess));
    } else {
        terminado_ = true;
        estado_ = 127;
    }
    ::CloseHandle(salida);
    ::CloseHandle(errores);
}

Proceso::~Proceso() {
    if (!terminado_) {
        Matar();
        Esperar();
    }
    if (manejador_ != -1) ::CloseHandle(H(manejador_));
}

bool Proceso::Vivo() {
    if (terminado_) return false;
    if (::WaitForSingleObject(H(manejador_), 0) == WAIT_TIMEOUT) return true;
    Esperar();
    return false;
}

void Proceso::Matar() {
    if (!terminado_ && ::TerminateProcess(H(manejador_), kCodigoMatado)) matado_ = true;
}

void Proceso::Interrumpir() {
    if (terminado_) return;
    // Ctrl-C goes to every process of a console: this one joins the program's console for the
    // moment, ignoring the event itself.
    ::FreeConsole();
    if (!::AttachConsole(static_cast<DWORD>(id_))) return;
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    ::Sleep(100);
    ::FreeConsole();
    // Programs started later must not inherit the ignored Ctrl-C.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
}

int Proceso::Esperar() {
    if (!terminado_) {
        ::WaitForSingleObject(H(manejador_), INFINITE);
        DWORD codigo = 0;
        ::GetExitCodeProcess(H(manejador_), &codigo);
        terminado_ = true;
        estado_ = matado_ ? -1 : static_cast<int>(codigo);
    }
    return estado_;
}

int Ejecutar(const Lanzamiento& l) {
    Proceso p(l);
    return p.Esperar();
}

void FijarVariable(const std::string& nombre, const std::string& valor) {
    ::_wputenv_s(Ancho(nombre).c_str(), Ancho(valor).c_str());
}

void QuitarVariable(const std::string& nombre) {
    ::_wputenv_s(Ancho(nombre).c_str(), L"");
}

}  // namespace dep::prueba
