// The talonario of V_TA_CPTE from which the next voucher of a type is numbered.
#include <string>

#include "common/registro.hpp"
#include "numbering/apoyo.hpp"
#include "numbering/ast.hpp"
#include "runtime/conversions.hpp"

namespace dep {

namespace {

constexpr const char* kTabla = "V_TA_CPTE";

// The first character of a UTF-8 text (a letter may be an accented one).
std::string PrimerCaracter(const std::string& t) {
    if (t.empty()) return "";
    const auto c = static_cast<unsigned char>(t[0]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    return t.substr(0, n);
}

// "Less than" between two stored values as the database returns them: texts as texts,
// anything else as numbers (a text that is no number then raises a type mismatch).
bool Menor(const Value& a, const Value& b) {
    const std::string* ta = a.SiTexto();
    const std::string* tb = b.SiTexto();
    if (ta && tb) return Mayusculas(*ta) < Mayusculas(*tb);
    return a.ANumero() < b.ANumero();
}

}  // namespace

std::string& UsuarioSuite() {
    static std::string nombre;
    return nombre;
}

void Obtener_Nro_Comprobante_Contable(Servicios& s, const std::string& tc, std::string& sucursal,
                                      std::string& numero, std::string& letra, bool& modifica,
                                      const std::string& fecha, const std::string& unegocio,
                                      std::string& hasta) {
    using numeracion::Campo;
    const Trampa t = numeracion::TrampaRutina(s, "Obtener_Nro_Comprobante_Contable");
    auto paso = [&t](auto&& f) { return t.Paso(f) != Salida::Abandonar; };
    numeracion::ConjuntoLocal rs(s.datos);       // the probe and the queries on V_TA_CPTE
    numeracion::ConjuntoLocal usuario(s.datos);  // the user lookup
    auto abrir = [&](const std::string& sql) { rs.Abrir(sql, &s.datos.Conexion_()); };
    auto valor = [&](const std::string& columna) {
        return s.formularios.ValorCampo(Campo(rs.rs(), columna, kTabla));
    };

    const std::string tipo = Recortar(tc);
    std::string codigo, unidad, filtro;
    bool agotado = false;

    if (!paso([&] {
            codigo = s.formularios.TextoSQL(tipo, 4);
            unidad = s.formularios.TextoSQL(unegocio, 4);
        }))
        return;

    // 1. The operator's default branch and letter.
    if (numeracion::EsUno(tipo, {"OT", "FC", "NC", "ND"}) && Recortar(sucursal).empty()) {
        bool hallado = false;
        if (!paso([&] {
                hallado =
                    BuscarRegistro(s, "TA_Usuarios", UsuarioSuite(), "Nombre", &usuario.rs(), 8, "", true);
            }))
            return;
        if (hallado) {
            if (!paso([&] {
                    const std::string suc =
                        s.formularios.ValorCampo(Campo(usuario.rs(), "sucot", "TA_Usuarios")).ATexto();
                    if (!suc.empty() && suc != "0000") sucursal = "*" + suc;
                }))
                return;
            if (!paso([&] {
                    const std::string let =
                        s.formularios.ValorCampo(Campo(usuario.rs(), "letot", "TA_Usuarios")).ATexto();
                    if (!Recortar(let).empty()) letra = let;
                }))
                return;
        }
    }

    // 2. and 3. The letter, and the letter filter when it comes starred.
    if (Recortar(letra).empty()) letra = 'X';
    if (const std::string l = Recortar(letra); l.size() > 1 && l[0] == '*') {
        letra = l.substr(1);
        filtro = " AND (LETRAs LIKE('%" + DoblarComillas(letra) + "%')) ";
    }

    // 4. A starred branch filters on the branch, unless no talonario has it.
    if (const std::string b = Recortar(sucursal); b.size() > 1 && b[0] == '*') {
        sucursal = b.substr(1);
        filtro = " AND A_SUC_DEFAULT = '" + DoblarComillas(sucursal) + "'";
        if (!paso([&] { abrir("SELECT * FROM V_TA_CPTE  WHERE CODIGO = '" + codigo + "' " + filtro); }))
            return;
        if (!paso([&] {
                if (rs->EOF()) filtro.clear();
            }))
            return;
    }

    // 5. The talonarios of the code (of the unit, or of every unit; all of them as a last resort).
    if (!paso([&] {
            if (Recortar(unegocio).empty())
                abrir("SELECT * FROM V_TA_CPTE   WHERE CODIGO = '" + codigo + "'" + filtro +
                      " ORDER BY TALONARIO");
            else
                abrir("SELECT * FROM V_TA_CPTE WHERE  CODIGO = '" + codigo + "' AND (UNEGOCIO = '" + unidad +
                      "' OR (UNEGOCIO = '' OR UNEGOCIO is null) ) " + filtro + "  ORDER BY TALONARIO");
        }))
        return;
    if (!paso([&] {
            if (rs->EOF() && !Recortar(unegocio).empty())
                abrir("SELECT * FROM V_TA_CPTE  WHERE CODIGO = '" + codigo + "' ORDER BY TALONARIO");
        }))
        return;

    // 6. No talonario at all.
    bool ninguno = false;
    if (!paso([&] {
            if (rs->EOF()) {
                sucursal = "1";
                numero = "1";
                letra = "X";
                ninguno = true;
            }
        }))
        return;
    if (ninguno) return;

    // 7. The walk, in talonario order. A failing navigation answered with 5 ends the walk: there
    // is no row to go on with.
    for (;;) {
        bool fin = false;
        Salida sal = t.Paso([&] { fin = rs->EOF(); });
        if (sal == Salida::Abandonar) return;
        if (fin || sal == Salida::Siguiente) break;

        enum class Fila { Elegida, Siguiente, Salir };
        bool saltar = false;
        std::string l;
        const Fila fila = [&] {
            if (!paso([&] {
                    const Value& letras = Campo(rs.rs(), "Letras", kTabla);
                    if (letras.EsNulo()) return;
                    const std::string lt = letras.ATexto();
                    if (!ContieneSinCaso(lt, letra) && !IgualesSinCaso(tipo, "OT"))
                        letra = PrimerCaracter(lt);
                }))
                return Fila::Salir;
            if (Recortar(letra).empty()) letra = 'X';
            l = Recortar(letra);
            // Room left in the talonario for the letter.
            if (!paso([&] {
                    const Value& ultimo = Campo(rs.rs(), l + "_ULTIMO_NRO", kTabla);
                    const Value& tope = Campo(rs.rs(), l + "_NRO_HASTA", kTabla);
                    if (ultimo.EsNulo() || tope.EsNulo() || !Menor(ultimo, tope)) {
                        agotado = true;
                        saltar = true;
                    }
                }))
                return Fila::Salir;
            if (saltar) return Fila::Siguiente;
            // Expiry, compared as text.
            if (!paso([&] {
                    const std::string vence = Recortar(valor("Vence" + letra).ATexto());
                    if (!(fecha.empty() || vence.empty() || Mayusculas(fecha) <= Mayusculas(vence)))
                        saltar = true;
                }))
                return Fila::Salir;
            if (saltar) return Fila::Siguiente;
            // These types are numbered per branch.
            if (!paso([&] {
                    if (!numeracion::EsUno(tipo, {"FC", "OT", "PR"}) || Recortar(sucursal).empty()) return;
                    const Value& suc = Campo(rs.rs(), l + "_SUC_DEFAULT", kTabla);
                    if (!suc.EsNulo() && LeerNumero(sucursal) != suc.ANumero()) saltar = true;
                }))
                return Fila::Salir;
            if (saltar) return Fila::Siguiente;
            const bool hecho =
                paso([&] {
                    sucursal = numeracion::Formato(numeracion::NumeroDeTexto(valor(l + "_SUC_DEFAULT")), 4);
                }) &&
                paso([&] {
                    numero = numeracion::Formato(numeracion::NumeroDeTexto(valor(l + "_ULTIMO_NRO")), 8);
                }) &&
                paso([&] {
                    hasta = numeracion::Formato(numeracion::NumeroDeTexto(valor(l + "_NRO_HASTA")), 8);
                }) &&
                paso([&] {
                    if (LeerNumero(numero) == 0) numero = "00000001";
                }) &&
                paso([&] { modifica = ValorLogico(valor("Modificanumeracion").ATexto(), Value(true)); });
            return hecho ? Fila::Elegida : Fila::Salir;
        }();
        if (fila == Fila::Salir) return;
        if (fila == Fila::Elegida) {
            agotado = false;
            break;
        }
        sal = t.Paso([&] { rs->MoveNext(); });
        if (sal == Salida::Abandonar) return;
        if (sal == Salida::Siguiente) break;
    }

    // 8. to 10.
    letra = Recortar(letra);
    if (agotado && !paso([&] {
            s.operador.Mensaje(
                "Todos los talonarios del comprobante " + tc +
                    " se encuentran utilizados, debe dar de alta un nuevo talonario para el comprobante " +
                    tc,
                vb::kSoloAceptar, "");
        }))
        return;
    paso([&] { rs.Cerrar(); });
}

}  // namespace dep
