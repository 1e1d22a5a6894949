#pragma once
// The boundary with Windows' wide-character API: UTF-8 inside the program, UTF-16 outside.
#include <windows.h>

#include <string>

namespace dep::plataforma {

inline std::wstring Ancho(const std::string& s) {
    if (s.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring r(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), r.data(), n);
    return r;
}

inline std::string Utf8(const wchar_t* s, int largo = -1) {
    if (s == nullptr || largo == 0) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, s, largo, nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, s, largo, r.data(), n, nullptr, nullptr);
    if (largo < 0 && !r.empty()) r.pop_back();  // the terminating zero
    return r;
}

inline std::string Utf8(const std::wstring& s) {
    return Utf8(s.data(), static_cast<int>(s.size()));
}

// The system's text for an error code, in the language of the system.
inline std::string TextoError(DWORD codigo) {
    wchar_t* b = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        codigo, 0, reinterpret_cast<wchar_t*>(&b), 0, nullptr);
    std::string r = n > 0 ? Utf8(b, static_cast<int>(n)) : std::string();
    if (b != nullptr) ::LocalFree(b);
    while (!r.empty() && (r.back() == '\n' || r.back() == '\r' || r.back() == ' ' || r.back() == '.'))
        r.pop_back();
    return r.empty() ? "error " + std::to_string(codigo) : r;
}

}  // namespace dep::plataforma
