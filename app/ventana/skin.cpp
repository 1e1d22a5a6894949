#include "app/ventana/skin.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QWidget>

#include "runtime/ajustes.hpp"
#include "runtime/carpetas.hpp"
#include "runtime/conversions.hpp"
#include "runtime/form_services.hpp"

namespace dep {

int& NroSkin() {
    static int n = 0;
    return n;
}

Skin ElegirSkin(int nro) {
    switch (nro) {
        case 1:
            return {"Styles/Vista.cjstyles", ""};
        case 2:
            return {"Styles/WinXP.Luna.cjstyles", ""};
        case 3:
            return {"Styles/WinXP.Royale.cjstyles", ""};
        case 4:
            return {"Styles/iTunes", "Normalitunes.ini"};
        default:
            return {"Styles/Office2007.cjstyles", ""};
    }
}

int LeerNroSkin() {
    const std::string id = Mayusculas(SystemServices::Identidad());
    const double n = LeerNumero(IniServices::LeerValor(RutaAjustes(), id + "Styles", "Styles", "1"));
    // Out of the platform's Integer range it can only mean "none of the listed skins".
    if (!std::isfinite(n) || n < -32768 || n > 32767) return 0;
    return static_cast<int>(std::nearbyint(n));
}

bool SkinFramework::LoadSkin(const std::string& ruta, const std::string& ajustes) {
    namespace fs = std::filesystem;
    hoja_.clear();
    ruta_ = ruta;
    std::error_code ec;
    fs::path p(ruta);
    if (fs::is_directory(p, ec)) p /= ajustes;
    if (!fs::is_regular_file(p, ec)) return false;
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    hoja_ = o.str();
    return f.good() || f.eof();
}

void SkinFramework::ApplyWindow(QWidget& ventana) const {
    ventana.setStyleSheet(QString::fromStdString(hoja_));
}

Skin AplicaSkin(QWidget& ventana, SkinFramework& skin, FormServices& fs) {
    NroSkin() = LeerNroSkin();
    const Skin s = ElegirSkin(NroSkin());
    skin.LoadSkin(fs.CarpetaConBarra(CarpetaDatos("Styles")) + s.archivo, s.ajustes);
    skin.ApplyWindow(ventana);
    skin.ApplyOptions = skin.ApplyOptions | 1;
    return s;
}

}  // namespace dep
