// Files about a database on Windows: CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT (a symbolic
// link or junction is opened as itself, then refused), type, identity and number of names from
// GetFileInformationByHandle, and rights as access lists: a file that takes the rights of its
// database gets a copy of the database's list, one for its owner alone a list with the owner only.
#include "runtime/archivo_acotado.hpp"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "runtime/plataforma/windows/utf16.hpp"

namespace dep {

using plataforma::Ancho;
using plataforma::TextoError;

namespace {

constexpr DWORD kCompartir = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int kIntentos = 3;

HANDLE H(const ArchivoAbierto& f) {
    return reinterpret_cast<HANDLE>(f.Manejador());
}

ArchivoAbierto::Nativo N(HANDLE h) {
    return reinterpret_cast<ArchivoAbierto::Nativo>(h);
}

struct Liberar {
    void operator()(void* p) const { ::LocalFree(p); }
};
using Local = std::unique_ptr<void, Liberar>;

// The access list a new file gets, with the security descriptor that carries it; none: the
// folder's, inherited.
class Derechos {
  public:
    explicit Derechos(const Permisos& p) {
        if (!p.como.empty()) {
            PSECURITY_DESCRIPTOR sd = nullptr;
            if (::GetNamedSecurityInfoW(Ancho(p.como).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, &dacl_, nullptr, &sd) != ERROR_SUCCESS)
                dacl_ = nullptr;
            origen_.reset(sd);
        } else if ((p.bits & 066) == 0) {
            // Owner only: the list grants everything to the creator's own account and no one else.
            PSECURITY_DESCRIPTOR sd = nullptr;
            if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                                       &sd, nullptr)) {
                origen_.reset(sd);
                BOOL hay = FALSE, defecto = FALSE;
                if (!::GetSecurityDescriptorDacl(sd, &hay, &dacl_, &defecto) || !hay) dacl_ = nullptr;
            }
        }
        if (dacl_ == nullptr) return;
        ::InitializeSecurityDescriptor(&sd_, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&sd_, TRUE, dacl_, FALSE);
        ::SetSecurityDescriptorControl(&sd_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        atributos_.nLength = sizeof atributos_;
        atributos_.lpSecurityDescriptor = &sd_;
    }
    SECURITY_ATTRIBUTES* Atributos() { return dacl_ != nullptr ? &atributos_ : nullptr; }
    // Gives an open file this list; a file that is not this user's is left as it is.
    void Aplicar(HANDLE h) const {
        if (dacl_ == nullptr) return;
        ::SetSecurityInfo(h, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                          nullptr, nullptr, dacl_, nullptr);
    }

  private:
    Local origen_;
    PACL dacl_ = nullptr;
    SECURITY_DESCRIPTOR sd_{};
    SECURITY_ATTRIBUTES atributos_{};
};

std::optional<IdentidadArchivo> DeManejador(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION i{};
    if (!::GetFileInformationByHandle(h, &i)) return std::nullopt;
    const bool comun =
        (i.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        ::GetFileType(h) == FILE_TYPE_DISK;
    return IdentidadArchivo{i.dwVolumeSerialNumber,
                            (static_cast<std::uint64_t>(i.nFileIndexHigh) << 32) | i.nFileIndexLow,
                            i.nNumberOfLinks, comun};
}

// What stands at `ruta` when it cannot be opened: a link is described as itself.
std::string Describir(const std::string& ruta, DWORD error) {
    const DWORD a = ::GetFileAttributesW(Ancho(ruta).c_str());
    if (a != INVALID_FILE_ATTRIBUTES) {
        if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return "es un enlace simbólico";
        if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) return "es una carpeta";
    }
    return "no se puede abrir (" + TextoError(error) + ")";
}

// Why an opened existing file may not be written; empty when it may.
std::string Impedimento(HANDLE h) {
    const auto id = DeManejador(h);
    if (!id) return "no se puede consultar (" + TextoError(::GetLastError()) + ")";
    BY_HANDLE_FILE_INFORMATION i{};
    ::GetFileInformationByHandle(h, &i);
    if ((i.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return "es un enlace simbólico";
    if (!id->comun) return "no es un archivo común";
    if (id->nombres != 1) return "tiene otro nombre en el disco (un enlace duro)";
    return {};
}

HANDLE Abrir(const std::string& ruta, DWORD acceso, DWORD disposicion, SECURITY_ATTRIBUTES* sa) {
    return ::CreateFileW(Ancho(ruta).c_str(), acceso, kCompartir, sa, disposicion,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

void ArchivoAbierto::Cerrar(Nativo n) {
    if (n != kCerrado) ::CloseHandle(reinterpret_cast<HANDLE>(n));
}

bool ArchivoAbierto::Escribir(std::string_view texto) {
    while (!texto.empty()) {
        DWORD n = 0;
        const DWORD pedir = texto.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(texto.size());
        if (!::WriteFile(H(*this), texto.data(), pedir, &n, nullptr) || n == 0) return false;
        texto.remove_prefix(n);
    }
    return true;
}

std::string ArchivoAbierto::LeerDelPrincipio(std::size_t maximo) const {
    std::string r(maximo, '\0');
    OVERLAPPED o{};
    DWORD n = 0;
    if (!::ReadFile(H(*this), r.data(), static_cast<DWORD>(r.size()), &n, &o)) n = 0;
    r.resize(n);
    return r;
}

std::optional<char> ArchivoAbierto::UltimoByte() const {
    LARGE_INTEGER tam{};
    if (!::GetFileSizeEx(H(*this), &tam) || tam.QuadPart <= 0) return std::nullopt;
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>((tam.QuadPart - 1) & 0xFFFFFFFF);
    o.OffsetHigh = static_cast<DWORD>((tam.QuadPart - 1) >> 32);
    char c = 0;
    DWORD n = 0;
    if (!::ReadFile(H(*this), &c, 1, &n, &o) || n != 1) return std::nullopt;
    return c;
}

bool ArchivoAbierto::Reemplazar(std::string_view texto) {
    LARGE_INTEGER cero{};
    if (!::SetFilePointerEx(H(*this), cero, nullptr, FILE_BEGIN) || !::SetEndOfFile(H(*this))) return false;
    return Escribir(texto);
}

std::optional<IdentidadArchivo> ArchivoAbierto::Identidad() const {
    return DeManejador(H(*this));
}

ArchivoAbierto AbrirArchivoAcotado(const std::string& ruta, Apertura modo, const Permisos& permisos,
                                   std::string& motivo) {
    // Appending through a handle that may only append: every write lands at the end.
    const DWORD acceso = (modo == Apertura::kAnadir         ? FILE_APPEND_DATA | SYNCHRONIZE
                          : modo == Apertura::kLeerEscribir ? GENERIC_READ | GENERIC_WRITE
                                                            : GENERIC_WRITE) |
                         READ_CONTROL;
    Derechos derechos(permisos);
    for (int intento = 0; intento < kIntentos; ++intento) {
        if (modo != Apertura::kNuevo) {
            // WRITE_DAC to narrow a file of this user; another user's file opens without it.
            HANDLE h = Abrir(ruta, acceso | WRITE_DAC, OPEN_EXISTING, nullptr);
            if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
                h = Abrir(ruta, acceso, OPEN_EXISTING, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                ArchivoAbierto f(N(h));
                motivo = Impedimento(h);
                if (!motivo.empty()) return {};
                // Only narrowed: an existing file keeps its list unless it must be its owner's alone.
                if (permisos.como.empty()) derechos.Aplicar(h);
                return f;
            }
            const DWORD e = ::GetLastError();
            if (e != ERROR_FILE_NOT_FOUND) {
                motivo = Describir(ruta, e);
                return {};
            }
        }
        HANDLE h = Abrir(ruta, acceso | WRITE_DAC, CREATE_NEW, derechos.Atributos());
        if (h != INVALID_HANDLE_VALUE) return ArchivoAbierto(N(h), true);
        const DWORD e = ::GetLastError();
        const bool existe = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS;
        if (!existe || modo == Apertura::kNuevo) {
            motivo = existe ? "ya existe" : Describir(ruta, e);
            return {};
        }
        // Made by someone else between the two calls: opened as an existing file.
    }
    motivo = "cambia mientras se lo abre";
    return {};
}

ArchivoAbierto AbrirParaLeer(const std::string& ruta) {
    return ArchivoAbierto(N(Abrir(ruta, GENERIC_READ, OPEN_EXISTING, nullptr)));
}

Permisos PermisosDe(const std::string& ruta) {
    const DWORD a = ::GetFileAttributesW(Ancho(ruta).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return 0600;
    return Permisos((a & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666, ruta);
}

void IgualarPermisos(const ArchivoAbierto& f, const Permisos& p) {
    Derechos(p).Aplicar(H(f));
}

std::string RutaCanonica(const std::string& ruta) {
    // The name the system gives the opened file: links resolved, its letter case on the disk.
    HANDLE h = ::CreateFileW(Ancho(ruta).c_str(), 0, kCompartir, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    const ArchivoAbierto f(N(h));
    std::wstring b(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(h, b.data(), static_cast<DWORD>(b.size()), FILE_NAME_NORMALIZED);
    if (n >= b.size()) {
        b.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(h, b.data(), static_cast<DWORD>(b.size()), FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= b.size()) return {};
    b.resize(n);
    // "\\?\C:\…" is the same file as "C:\…"; "\\?\UNC\server\…" as "\\server\…".
    if (b.rfind(L"\\\\?\\UNC\\", 0) == 0)
        b = L"\\\\" + b.substr(8);
    else if (b.rfind(L"\\\\?\\", 0) == 0)
        b = b.substr(4);
    return plataforma::Utf8(b);
}

bool MismoNombre(const std::string& a, const std::string& b) {
    const std::wstring x = Ancho(a), y = Ancho(b);
    return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                                  static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

std::optional<IdentidadArchivo> IdentidadDe(const std::string& ruta) {
    HANDLE h = ::CreateFileW(Ancho(ruta).c_str(), 0, kCompartir, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    const ArchivoAbierto f(N(h));
    return DeManejador(h);
}

Renombre RenombrarSinReemplazar(const std::string& desde, const std::string& hacia, std::string& error) {
    // Without MOVEFILE_REPLACE_EXISTING a name that is taken is never replaced.
    if (::MoveFileExW(Ancho(desde).c_str(), Ancho(hacia).c_str(), MOVEFILE_WRITE_THROUGH))
        return Renombre::kHecho;
    const DWORD e = ::GetLastError();
    if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return Renombre::kOcupado;
    error = TextoError(e);
    return Renombre::kFalla;
}

void AsentarCarpeta(const std::string&) {
    // MOVEFILE_WRITE_THROUGH put the new name on the disk before the rename returned.
}

}  // namespace dep
