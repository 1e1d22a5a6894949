// Has the database purge the stock, sales and purchase movements up to the cut-off date.
#include "common/barra_progreso.hpp"
#include "purge/depuracion.hpp"
#include "purge/diario.hpp"
#include "runtime/conversions.hpp"

namespace dep {

void Depuracion::DepuraStock() {
    const Trampa t = TrampaDialogo();
    Conexion* cn = nullptr;
    t.Pasos({
        [&] { host_.PicMsg().Mostrar(); },
        [&] {
            BarraProgreso(host_.PicMsg(), Value(50), 255,
                          "DEPURANDO.. ESTE PROCESO PUEDE TARDAR, NO LO INTERRUMPA");
        },
        [&] {
            cn = &s_.datos.Conexion_();
            const std::string sql = "EXEC KS_DEPURA_STOCK '" + DoblarComillas(host_.TextoFecha()) + "'";
            UnidadDiario u(Purga::Stock, TipoUnidad::Sentencia, "EXEC KS_DEPURA_STOCK");
            u.inicio = AhoraDiario();
            try {
                host_.EsperarSinEntrada(
                    [&] { u.filas = cn->Execute(sql); },
                    "Movimientos de Stock, ventas, compras: procedimiento de la base de datos", false);
            } catch (const std::exception& e) {
                u.fin = AhoraDiario();
                u.resultado = resultado::kRechazada;
                u.error = cn->Errors().empty() ? e.what() : cn->Errors()[0].descripcion;
                Registrar(u);
                throw;
            }
            u.fin = AhoraDiario();
            u.resultado = resultado::kOk;
            Registrar(u);
        },
        [&] {
            // What the procedure printed, or the refusal the operator chose to go past.
            if (cn == nullptr) cn = &s_.datos.Conexion_();
            if (!cn->Errors().empty()) s_.operador.Mensaje(cn->Errors()[0].descripcion, vb::kSoloAceptar);
        },
        [&] { BarraProgreso(host_.PicMsg(), Value(100), 255, "DEPURACION FINALIZADA"); },
        [&] { BarraProgreso(host_.PicMsg(), Value(100), 255, "Finalizado Stock"); },
    });
}

}  // namespace dep
