#include "tests/apoyo/rechazos.hpp"

#include "runtime/conversions.hpp"
#include "runtime/sqlite/conexion_sqlite.hpp"

namespace dep::prueba {

bool AplicarRechazos(Conexion& cn, const std::string& spec) {
    auto* sqlite = dynamic_cast<ConexionSqlite*>(&cn);
    if (sqlite == nullptr) return false;
    std::size_t desde = 0;
    while (desde <= spec.size()) {
        std::size_t fin = spec.find(";;", desde);
        if (fin == std::string::npos) fin = spec.size();
        const std::string item = spec.substr(desde, fin - desde);
        desde = fin + 2;
        if (Recortar(item).empty()) continue;
        const std::size_t b1 = item.find('|');
        const std::size_t b2 = b1 == std::string::npos ? std::string::npos : item.find('|', b1 + 1);
        int n = 0;
        std::string texto;
        if (b1 != std::string::npos) n = static_cast<int>(LeerNumero(item.substr(b1 + 1, b2 - b1 - 1)));
        if (b2 != std::string::npos) texto = item.substr(b2 + 1);
        sqlite->RechazarSentencias(item.substr(0, b1), n, texto);
    }
    return true;
}

}  // namespace dep::prueba
