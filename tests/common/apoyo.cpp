#include "apoyo.hpp"

#include <fstream>
#include <sstream>

namespace dep::prueba {

std::string LeerArchivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

}  // namespace dep::prueba
