#include "tests/apoyo/rechazos.hpp"

#include <cctype>
#include <vector>

#include "runtime/conversions.hpp"

namespace dep::prueba {
namespace {

struct Rechazo {
    std::string patron;
    int ocurrencia = 0;
    std::string texto;
    int vistas = 0;
};

std::string MayusculasAscii(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<Rechazo> Leer(const std::string& spec) {
    std::vector<Rechazo> v;
    std::size_t desde = 0;
    while (desde <= spec.size()) {
        std::size_t fin = spec.find(";;", desde);
        if (fin == std::string::npos) fin = spec.size();
        const std::string item = spec.substr(desde, fin - desde);
        desde = fin + 2;
        if (Recortar(item).empty()) continue;
        const std::size_t b1 = item.find('|');
        const std::size_t b2 = b1 == std::string::npos ? std::string::npos : item.find('|', b1 + 1);
        Rechazo r;
        r.patron = MayusculasAscii(item.substr(0, b1));
        if (b1 != std::string::npos)
            r.ocurrencia = static_cast<int>(LeerNumero(item.substr(b1 + 1, b2 - b1 - 1)));
        if (b2 != std::string::npos) r.texto = item.substr(b2 + 1);
        if (r.texto.empty()) r.texto = "Sentencia rechazada por la prueba: " + r.patron;
        v.push_back(std::move(r));
    }
    return v;
}

}  // namespace

std::shared_ptr<ConexionEspia> ConRechazos(std::shared_ptr<Conexion> real, const std::string& spec) {
    auto espia = std::make_shared<ConexionEspia>(std::move(real));
    espia->registrar = false;
    ConexionEspia* e = espia.get();
    espia->rechazar = [e, rechazos = Leer(spec)](const std::string& sql) mutable {
        const std::string u = MayusculasAscii(sql);
        for (auto& r : rechazos) {
            if (u.find(r.patron) == std::string::npos) continue;
            ++r.vistas;
            if (r.ocurrencia == 0 || r.vistas == r.ocurrencia) {
                e->motivo = r.texto;
                return true;
            }
        }
        return false;
    };
    return espia;
}

}  // namespace dep::prueba
