#pragma once
// The window's skin: a style sheet chosen by the skin number of "cn000pr.ini" among the files
// of the "Styles" folder beside the program. A missing file leaves the default look.
#include <string>

class QWidget;

namespace dep {
class FormServices;
}

namespace dep {

// The skin number read by AplicaSkin (module setting NroSkin).
int& NroSkin();

struct Skin {
    std::string archivo;  // relative to the application folder, e.g. "Styles/Vista.cjstyles"
    std::string ajustes;  // the settings name inside it ("Normalitunes.ini" for iTunes)
};

Skin ElegirSkin(int nro);

// The skin number of the settings file: entry identity + "Styles", key "Styles", default "1";
// a text that is not a number gives 0.
int LeerNroSkin();

// The skin control: loads a skin (a style-sheet file, or a folder holding the settings file
// named) and applies it to a window.
class SkinFramework {
  public:
    // True when the skin could be read; otherwise the next ApplyWindow keeps the default look.
    bool LoadSkin(const std::string& ruta, const std::string& ajustes);
    void ApplyWindow(QWidget& ventana) const;
    int ApplyOptions = 0;
    const std::string& Hoja() const { return hoja_; }
    const std::string& Ruta() const { return ruta_; }

  private:
    std::string hoja_, ruta_;
};

// Reads the skin number, chooses the file, loads and applies it. Returns the chosen skin.
Skin AplicaSkin(QWidget& ventana, SkinFramework& skin, FormServices& fs);

}  // namespace dep
