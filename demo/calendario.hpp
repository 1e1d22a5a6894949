#pragma once
// Civil dates as day numbers, for the generator (proleptic Gregorian, days since 1970-01-01).
#include <cstdint>
#include <cstdio>
#include <string>

namespace dep::demo {

struct Ymd {
    int anio, mes, dia;
};

constexpr int DiasDesdeCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr Ymd CivilDesdeDias(int z) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    return {yoe + era * 400 + (m <= 2), m, d};
}

// 0 Sunday … 6 Saturday.
constexpr int DiaSemana(int z) {
    return z >= -4 ? (z + 4) % 7 : (z + 5) % 7 + 6;
}

// 'YYYY-MM-DD HH:MM:SS', the storage form of the embedded engine.
inline std::string TextoFechaIso(int dias, int segundos = 0) {
    Ymd f = CivilDesdeDias(dias);
    char b[64];  // room for any int, so -O2 sees no truncation
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", f.anio, f.mes, f.dia, segundos / 3600,
                  segundos / 60 % 60, segundos % 60);
    return b;
}

// 'dd/mm/yyyy', the suite's date text (configuration values).
inline std::string TextoFechaSuite(int dias) {
    Ymd f = CivilDesdeDias(dias);
    char b[40];
    std::snprintf(b, sizeof b, "%02d/%02d/%04d", f.dia, f.mes, f.anio);
    return b;
}

// Zero-padded whole number ("0001", "00001234").
inline std::string Ceros(long long n, int digitos) {
    char b[64];  // room for any int, so -O2 sees no truncation
    std::snprintf(b, sizeof b, "%0*lld", digitos, n);
    return b;
}

}  // namespace dep::demo
