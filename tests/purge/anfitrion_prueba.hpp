#pragma once
// The tests' host of the purges: remembers every caption, footer text, label and button text,
// and calls back at every yield so that a test can press cancel at a chosen moment.
#include <functional>
#include <string>
#include <vector>

#include "purge/anfitrion.hpp"

namespace dep::prueba {

class AnfitrionPrueba : public AnfitrionCorrida, public Imagen {
  public:
    std::string fecha;
    bool cancelado = false, hayError = false, visible = false;
    bool casillas[3] = {true, true, true};
    std::vector<std::string> leyendas;
    std::vector<double> porcentajes;
    std::vector<std::string> pies;
    std::string etiquetas[4] = {"", "Tiempo Transcurrido", "Final:", "Inicio:"};
    std::vector<int> intervalos;
    std::vector<std::string> botones;
    int eventos = 0;
    std::function<void(AnfitrionPrueba&)> alProcesar;
    std::function<bool()> pedida;  // a cancel asked and not yet served (a console's Ctrl-C)

    std::string TextoFecha() const override { return fecha; }
    bool Cancelado() const override { return cancelado; }
    void FijarCancelado(bool b) override { cancelado = b; }
    bool HayError() const override { return hayError; }
    void FijarHayError(bool b) override { hayError = b; }
    Imagen& PicMsg() override { return *this; }
    void Pie(const std::string& t) override { pies.push_back(t); }
    void ProcesarEventos() override {
        ++eventos;
        if (alProcesar) alProcesar(*this);
    }
    bool CancelacionPedida() const override { return pedida && pedida(); }
    bool Casilla(CasillaPurga c) const override { return c >= 0 && c < kCasillasPurga && casillas[c]; }
    void Etiqueta(RotuloHora r, const std::string& t) override { etiquetas[r] = t; }
    std::string Etiqueta(RotuloHora r) const override { return etiquetas[r]; }
    void IntervaloTemporizador(int ms) override { intervalos.push_back(ms); }
    void TextoBotonCancelar(const std::string& t) override { botones.push_back(t); }

    void Mostrar() override { visible = true; }
    void Dibujar(const DibujoBarra& d) override {
        leyendas.push_back(d.leyenda);
        porcentajes.push_back(d.porcentaje);
    }
    bool Visible() const override { return visible; }
};

}  // namespace dep::prueba
