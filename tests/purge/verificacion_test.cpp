// The proof's addition: whole cents added as integers by the database, the rest of each amount
// apart, so that neither a cent between huge amounts nor fractions of a cent mislead it.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "base.hpp"
#include "purge/pasadas.hpp"
#include "purge/verificacion.hpp"

namespace dep::prueba {
namespace {

class SumaExacta : public BasePurga {
  protected:
    // One group of the CC family dated before the cut-off, replacing what there was.
    void Grupo(const std::vector<double>& importes) {
        Sql("DELETE FROM MV_ASIENTOS");
        int n = 0;
        for (double x : importes) Entrada("FC", FormatoCeros(++n, 8), "1.1.01", "D", x, "10/01/2021");
    }
    SumasPorClave Libros() { return SumarLibros(*datos, kPasadas[0].filtro, "31/01/2021"); }
    long long Flotante() { return std::llround(Uno("SELECT SUM(IMPORTE) FROM MV_ASIENTOS").ANumero() * 100); }
};

TEST_F(SumaExacta, LaSumaExactaVeElCentavoQueLaFlotanteEscondeYNoInventaOtros) {
    const std::vector<double> tercios(150, 0.3333333333);
    double sumaTercios = 0;
    for (double x : tercios) sumaTercios += x;
    const struct {
        const char* que;
        std::vector<double> detalle, resumen;
        long long exacta, flotante;  // cents of difference each addition sees
    } casos[] = {
        {"un centavo perdido entre dos importes enormes", {4e14, 0.01, -4e14}, {0}, 1, 0},
        {"el mismo centavo conservado", {4e14, 0.01, -4e14}, {0.01}, 0, 1},
        {"fracciones de centavo", {0.005, 0.005, 0.005, 0.005}, {0.02}, 0, 0},
        {"un tercio 150 veces", tercios, {sumaTercios}, 0, 0},
        {"el limite y un centavo", {9999999999.99, 0.01}, {10000000000}, 0, 0},
    };
    for (const auto& k : casos) {
        Grupo(k.detalle);
        const SumasPorClave antes = Libros();
        const long long flotanteAntes = Flotante();
        Grupo(k.resumen);
        const Comparacion c = CompararLibros(antes, Libros());
        EXPECT_EQ(c.grupos, 1) << k.que;
        EXPECT_EQ(c.diferencia, k.exacta) << k.que;
        EXPECT_EQ(c.distintos, k.exacta != 0 ? 1 : 0) << k.que;
        EXPECT_EQ(std::llabs(flotanteAntes - Flotante()), k.flotante) << k.que;
    }
}

}  // namespace
}  // namespace dep::prueba
