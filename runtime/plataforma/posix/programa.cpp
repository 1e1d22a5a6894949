// The executable's folder on Linux: the link the kernel keeps to it.
#include "runtime/plataforma/programa.hpp"

#include <filesystem>

namespace dep::plataforma {

std::string CarpetaDelEjecutable() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

}  // namespace dep::plataforma
