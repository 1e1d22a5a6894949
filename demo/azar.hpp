#pragma once
// The generator's randomness: std::mt19937 (fixed by the standard) with distributions of our own,
// so a seed gives the same database with any standard library.
#include <cstdint>
#include <random>

namespace dep::demo {

class Azar {
  public:
    explicit Azar(std::uint32_t semilla) : g_(semilla) {}
    // Uniform in [0, n), n > 0 (multiply-shift; the bias is far below anything visible).
    std::uint32_t Menor(std::uint32_t n) {
        return static_cast<std::uint32_t>((std::uint64_t{g_()} * n) >> 32);
    }
    // Uniform in [a, b].
    std::int64_t Entre(std::int64_t a, std::int64_t b) {
        std::uint64_t ancho = static_cast<std::uint64_t>(b - a) + 1;
        if (ancho <= 0xFFFFFFFFu) return a + Menor(static_cast<std::uint32_t>(ancho));
        std::uint64_t r = (std::uint64_t{g_()} << 32) | g_();
        return a + static_cast<std::int64_t>(r % ancho);
    }
    // True with probability num/den.
    bool Prob(std::uint32_t num, std::uint32_t den) { return Menor(den) < num; }
    // Index drawn by integer weights.
    template <std::size_t N>
    std::size_t Pesos(const int (&p)[N]) {
        int total = 0;
        for (int x : p) total += x;
        int r = static_cast<int>(Menor(static_cast<std::uint32_t>(total)));
        for (std::size_t i = 0; i < N; ++i) {
            if (r < p[i]) return i;
            r -= p[i];
        }
        return N - 1;
    }
    // An amount in cents spread over several orders of magnitude (mostly 1,000 to 500,000).
    std::int64_t Importe() {
        static const int pesos[] = {8, 30, 40, 17, 5};
        static const std::int64_t desde[] = {5000, 100000, 1000000, 10000000, 50000000};
        static const std::int64_t hasta[] = {99999, 999999, 9999999, 49999999, 300000000};
        std::size_t i = Pesos(pesos);
        return Entre(desde[i], hasta[i]);
    }

  private:
    std::mt19937 g_;
};

}  // namespace dep::demo
