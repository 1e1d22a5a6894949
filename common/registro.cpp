#include "common/registro.hpp"

#include <array>
#include <string_view>

#include "common/trampa.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

std::string Sentencia(const std::string& tabla, const std::string& valor, const std::string& campo,
                      std::optional<int> tipo, const std::string& condicion) {
    if (!condicion.empty()) {
        const char* junta = Mayusculas(condicion).find(" WHERE ") != std::string::npos ? " " : " WHERE ";
        return "SELECT * FROM " + tabla + " with(nolock)  " + junta + condicion;
    }
    const std::string base = "SELECT * FROM " + tabla + "  with(nolock)  WHERE ";
    switch (tipo.value_or(-1)) {
        case 8:
            // The value is doubled so that a quote in it cannot end the literal early.
            return base + "LTRIM(RTRIM(" + campo + ")) ='" + DoblarComillas(valor) + "'";
        case 7:
            return base + campo + " = " + Recortar(valor) + " ";
        case 3:
        case 4:
        case 5:
            return base + campo + " = " + Recortar(TextoNumero(LeerNumero(valor)));
        default:
            return base + campo + " = " + valor;
    }
}

}  // namespace

bool BuscarRegistro(Servicios& s, const std::string& tabla, const std::string& valor,
                    const std::string& campo, Recordset* rs, std::optional<int> tipo,
                    const std::string& condicion, bool abrirPlano) {
    const Trampa trampa([&s](const Falla& e) {
        return s.operador.Mensaje(e.Descripcion(), vb::kAbortarReintentarIgnorar + vb::kCritico,
                                  "Aviso al Operador");
    });
    bool hallado = false;
    std::string sql;
    Recordset propio;

    if (!trampa.Pasos({
            [&] { sql = Sentencia(tabla, valor, campo, tipo, condicion); },
            [&] { sql = s.datos.AdaptarSQL(sql); },
        }))
        return hallado;

    if (rs == nullptr) {
        trampa.Pasos({
            [&] {
                s.datos.AbrirRecordset(sql, propio, &s.datos.Conexion_(), ado::kSoloAvance, ado::kSoloLectura,
                                       -1);
            },
            [&] { hallado = !propio.BOF(); },
            [&] { s.datos.CerrarRecordset(propio); },
        });
        // Nothing of ours stays open, whichever way the steps ended.
        propio.Close();
        return hallado;
    }

    trampa.Pasos({
        [&] {
            if (rs->State() != ado::kCerrado) rs->Close();
        },
        [&] {
            const int cursor = abrirPlano ? ado::kSoloAvance : rs->CursorType();
            const int bloqueo = abrirPlano ? ado::kSoloLectura : rs->LockType();
            s.datos.AbrirRecordset(sql, *rs, &s.datos.Conexion_(), cursor, bloqueo, -1);
        },
        [&] { hallado = !rs->BOF(); },
    });
    return hallado;
}

bool ValorLogico(const std::string& texto, const Value& defecto) {
    static constexpr std::array<std::string_view, 5> kFalsos{"FALSE", "FALSO", "0", "NO", "N"};
    static constexpr std::array<std::string_view, 5> kVerdaderos{"TRUE", "VERDADERO", "1", "SI", "S"};
    const bool porDefecto = defecto.ALogico();
    const std::string t = Mayusculas(texto);
    auto en = [&t](const auto& lista) {
        for (auto x : lista)
            if (t == x) return true;
        return false;
    };
    return porDefecto ? !en(kFalsos) : en(kVerdaderos);
}

}  // namespace dep
