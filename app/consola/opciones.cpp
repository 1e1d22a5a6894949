#include "app/consola/opciones.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <set>

#include "common/clave_comprobante.hpp"

namespace dep::consola {

namespace {

// Where an option belongs: the usage line it is written on.
enum class Uso {
    Siempre,       // both forms need it
    Corrida,       // a purge run or its preview
    Ambas,         // both forms
    Aplicaciones,  // the payment applications control
    Sola,          // given alone: --help, --version
};

struct Definicion {
    const char* nombres;  // as CLI11 takes them: "-h,--help,--ayuda"
    const char* valor;    // what follows it ("FECHA", or the choices "tabla|json"); nullptr: a flag
    Uso uso;
    const char* ayuda;
};

// The single list of the console's options: parsing, the usage lines and the option list of
// --help are all drawn from it.
constexpr Definicion kOpciones[] = {
    {"--hasta", "FECHA", Uso::Siempre,
     "fecha de corte, como se escribe en la ventana (por ejemplo 31/12/2021), inclusive: el servidor "
     "la compara con la hora 00:00, así que lo registrado ese día con una hora posterior queda"},
    {"--base", "ARCHIVO", Uso::Ambas, "base de datos embebida (SQLite) sobre la que se trabaja"},
    {"--odbc", "CADENA", Uso::Ambas,
     "cadena de conexión ODBC a SQL Server (sin --base ni --odbc: cn000pr.ini, DEPURACION_BASE y "
     "DEPURACION_ODBC)"},
    {"--stock", nullptr, Uso::Corrida, "movimientos de stock, ventas y compras"},
    {"--asientos", nullptr, Uso::Corrida, "consolidación de asientos contables"},
    {"--temporales", nullptr, Uso::Corrida,
     "tablas temporales e historial de cambio de precios (sin --stock, --asientos ni --temporales se "
     "ejecutan las tres)"},
    {"--ante-error", "abortar|ignorar|reintentar", Uso::Corrida,
     "respuesta a los diálogos de error: abortar (por defecto), ignorar, o reintentar (hasta 3 veces "
     "el mismo paso, luego abortar)"},
    {"--traza", "ARCHIVO", Uso::Ambas, "anota cada sentencia enviada y su resultado"},
    {"--copia", "CARPETA", Uso::Corrida,
     "antes de modificar nada, copia la base de datos en CARPETA (\"\": junto a ella, o en la carpeta "
     "de copias del servidor) y la comprueba; sin copia no se depura"},
    {"--sin-compactar", nullptr, Uso::Corrida, "no devuelve al disco el espacio que liberan las purgas"},
    {"--vista-previa", nullptr, Uso::Corrida,
     "muestra lo que haría la depuración (filas, fechas, asientos, comprobantes de saldo inicial) sin "
     "modificar nada, y termina"},
    {"--formato", "tabla|json", Uso::Corrida,
     "cómo se muestran la vista previa y el resumen del final de la depuración: tabla (por defecto) "
     "o json"},
    {"--diario", "ARCHIVO", Uso::Corrida,
     "archivo del diario de corridas (una línea JSON por paso y una por corrida); por defecto "
     "DEPURACION.DIARIO.jsonl junto a KSERR.LOG"},
    {"--aplicaciones", "IDCOMPROBANTE", Uso::Aplicaciones,
     "controla las aplicaciones de pago contra el comprobante de saldo inicial de 13 caracteres "
     "(sucursal, número, letra)"},
    {"--fp", nullptr, Uso::Aplicaciones, "con --aplicaciones: el comprobante es de la familia FP"},
    {"--cc", nullptr, Uso::Aplicaciones, "con --aplicaciones: el comprobante es de la familia CC"},
    {"-h,--help,--ayuda", nullptr, Uso::Sola, "muestra esta ayuda"},
    {"--version", nullptr, Uso::Sola, "muestra la versión, la de SQLite en uso y los motores incluidos"},
};

// Pairs of which one at most is given; written "[a | b]" in the usage, "(a | b)" when one is needed.
constexpr std::pair<const char*, const char*> kExcluyentes[] = {{"--base", "--odbc"}, {"--fp", "--cc"}};

constexpr std::size_t kAncho = 100;
constexpr const char* kPrograma = "depuracion-consola";

// The long name an option is known by: the first of its names that starts with "--".
std::string Principal(const Definicion& d) {
    const std::string n = d.nombres;
    const auto i = n.find("--");
    const auto fin = n.find(',', i);
    return n.substr(i, fin == std::string::npos ? std::string::npos : fin - i);
}

const Definicion& Buscar(const std::string& nombre) {
    for (const auto& d : kOpciones)
        if (Principal(d) == nombre) return d;
    throw std::logic_error("opción sin definir: " + nombre);
}

std::string Escrita(const Definicion& d) {
    return Principal(d) + (d.valor ? std::string(" ") + d.valor : std::string());
}

std::size_t Letras(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Words laid out in lines of at most kAncho characters; lines after the first start at `sangria`.
std::string Plegar(const std::vector<std::string>& palabras, std::size_t inicio, std::size_t sangria) {
    std::string r;
    std::size_t col = inicio;
    bool primera = true;
    for (const auto& p : palabras) {
        if (!primera && col + 1 + Letras(p) > kAncho) {
            r += "\n" + std::string(sangria, ' ');
            col = sangria;
        } else if (!primera) {
            r += " ";
            ++col;
        }
        r += p;
        col += Letras(p);
        primera = false;
    }
    return r;
}

std::vector<std::string> Palabras(const std::string& texto) {
    std::vector<std::string> v;
    std::string p;
    for (char c : texto + " ")
        if (c == ' ') {
            if (!p.empty()) v.push_back(p);
            p.clear();
        } else {
            p += c;
        }
    return v;
}

// The usage words of the options `usos` take, in the list's order: "[--traza ARCHIVO]", a pair
// that excludes each other as one "[--base ARCHIVO | --odbc CADENA]"; `necesarias` drops the
// brackets (a needed pair is written "(--fp | --cc)").
std::vector<std::string> Partes(std::initializer_list<Uso> usos, bool necesarias) {
    std::vector<std::string> partes, vistas;
    for (const auto& d : kOpciones) {
        const std::string n = Principal(d);
        if (std::find(usos.begin(), usos.end(), d.uso) == usos.end() ||
            std::find(vistas.begin(), vistas.end(), n) != vistas.end())
            continue;
        std::string parte = Escrita(d);
        bool par = false;
        for (const auto& [a, b] : kExcluyentes)
            if (n == a) {
                parte += " | " + Escrita(Buscar(b));
                vistas.push_back(b);
                par = true;
            }
        partes.push_back(!necesarias ? "[" + parte + "]" : par ? "(" + parte + ")" : parte);
    }
    return partes;
}

std::string LineaDeUso(std::vector<std::string> partes) {
    const std::string cabeza = std::string("  ") + kPrograma + " ";
    return cabeza + Plegar(partes, cabeza.size(), cabeza.size()) + "\n";
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The values a choice option takes: its `valor` split at '|'.
std::vector<std::string> Elecciones(const Definicion& d) {
    std::vector<std::string> v;
    std::string t = d.valor;
    for (std::size_t i = 0; i != std::string::npos;) {
        const auto j = t.find('|', i);
        v.push_back(t.substr(i, j == std::string::npos ? j : j - i));
        i = j == std::string::npos ? j : j + 1;
    }
    return v;
}

// The value of a choice option, or an error naming the choices.
bool Elegir(const std::string& nombre, const std::string& valor, std::string& error) {
    const auto v = Elecciones(Buscar(nombre));
    if (std::find(v.begin(), v.end(), valor) != v.end()) return true;
    std::string lista;
    for (std::size_t i = 0; i < v.size(); ++i)
        lista += (i == 0 ? "" : i + 1 == v.size() ? " o " : ", ") + v[i];
    error = nombre + " admite " + lista + ", no '" + valor + "'.";
    return false;
}

}  // namespace

std::vector<std::string> NombresDeOpciones() {
    std::vector<std::string> v;
    for (const auto& d : kOpciones) v.push_back(Principal(d));
    return v;
}

std::string TextoAyuda() {
    const std::vector<std::string> hasta = {Escrita(Buscar("--hasta"))};
    std::string r = "Uso:\n";
    r += LineaDeUso(hasta + Partes({Uso::Ambas, Uso::Corrida}, false));
    r += LineaDeUso(Partes({Uso::Aplicaciones}, true) + hasta + Partes({Uso::Ambas}, false));
    for (const auto& sola : Partes({Uso::Sola}, true)) r += LineaDeUso({sola});
    r += "\n";
    r += "Depura la base de datos de la suite hasta la fecha indicada. Sin --base ni --odbc la base es la\n"
         "que indica cn000pr.ini (en la carpeta del programa, o el archivo que nombra DEPURACION_INI).\n\n";
    for (const auto& d : kOpciones) {
        std::string izquierda = "  ";
        for (const char* c = d.nombres; *c; ++c)
            izquierda += *c == ',' ? std::string(", ") : std::string(1, *c);
        if (d.valor) izquierda += std::string(" ") + d.valor;
        constexpr std::size_t kColumna = 24;
        if (Letras(izquierda) + 1 > kColumna)
            izquierda += "\n" + std::string(kColumna, ' ');
        else
            izquierda += std::string(kColumna - Letras(izquierda), ' ');
        r += izquierda + Plegar(Palabras(d.ayuda), kColumna, kColumna) + "\n";
    }
    r += "\n"
         "El avance se muestra en la salida de errores; los mensajes y el resumen final, en la salida\n"
         "estándar (con --formato json el resumen es la última línea).\n"
         "Ctrl-C cancela al terminar la fecha en curso.\n"
         "\n"
         "Estado de salida: 0 terminado sin errores; 1 cancelado; 2 uso incorrecto o fecha incorrecta;\n"
         "3 hubo errores durante la depuración o no se pudo abrir la base de datos.\n";
    return r;
}

namespace {

// What CLI11 read: the value of each option given with one, and the names of those given.
struct Leidas {
    std::map<std::string, std::string> valores;
    std::set<std::string> dadas;
    bool Dada(const char* n) const { return dadas.count(n) > 0; }
    std::string Valor(const char* n) const { return valores.count(n) ? valores.at(n) : std::string(); }
};

// The arguments split by CLI11 along the option list; an error (Spanish) when they cannot be.
std::string Separar(const std::vector<std::string>& args, Leidas& l) {
    CLI::App app{"", kPrograma};
    app.set_help_flag();  // the help is this program's own, in Spanish
    app.allow_extras();   // an unknown option is told below, in Spanish
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::map<std::string, CLI::Option*> opciones;
    for (const auto& d : kOpciones) {
        const std::string n = Principal(d);
        // A flag takes no value: "--stock=no" is refused rather than read as "--stock".
        opciones[n] = d.valor ? app.add_option(d.nombres, l.valores[n], d.ayuda)
                              : app.add_flag(d.nombres, d.ayuda)->disable_flag_override();
    }
    try {
        std::vector<std::string> alReves(args.rbegin(), args.rend());  // CLI11 takes them last first
        app.parse(alReves);
    } catch (const CLI::ArgumentMismatch& e) {
        // CLI11 names the option first: "--hasta: 1 required FECHA missing", or "stock was given
        // a disallowed flag override" for "--stock=algo".
        const std::string t = e.what();
        if (t.find(" required ") != std::string::npos)
            return "Falta el valor de " + t.substr(0, t.find(':')) + ".";
        const auto i = t.find_first_not_of('-');
        return "La opcion --" + t.substr(i, t.find(' ') - i) + " no lleva valor.";
    } catch (const CLI::ParseError&) {
        return "Opcion mal escrita.";
    }
    if (!app.remaining().empty()) return "Opcion desconocida: " + app.remaining().front() + ".";
    for (const auto& [n, op] : opciones)
        if (op->count() > 0) l.dadas.insert(n);
    return {};
}

// The rules between options; an error (Spanish) when they are broken.
std::string Combinar(Opciones& o, bool fp, bool cc) {
    if (o.ayuda || o.version) return {};
    if (o.hasta.empty()) return "Falta --hasta FECHA.";
    if (!o.base.empty() && !o.odbc.empty()) return "Use --base o --odbc, no las dos.";
    if (o.aplicaciones) {
        if (fp == cc) return "--aplicaciones necesita --fp o --cc (una de las dos).";
        if (!EsIdComprobante(*o.aplicaciones))
            return "El comprobante de --aplicaciones debe tener 13 caracteres: sucursal de 4 digitos, "
                   "numero de 8 digitos y una letra de la A a la Z (por ejemplo 000100000001X).";
        if (o.stock || o.asientos || o.temporales || o.vistaPrevia || o.copia)
            return "--aplicaciones no se combina con --stock, --asientos, --temporales, --vista-previa ni "
                   "--copia.";
        o.soloFP = fp;
        return {};
    }
    if (o.copia && o.vistaPrevia) return "--copia no se combina con --vista-previa, que no modifica nada.";
    if (fp || cc) return "--fp y --cc solo valen con --aplicaciones.";
    if (!o.stock && !o.asientos && !o.temporales) o.stock = o.asientos = o.temporales = true;
    return {};
}

}  // namespace

std::optional<Opciones> LeerOpciones(const std::vector<std::string>& args, std::string& error) {
    Leidas l;
    error = Separar(args, l);
    if (!error.empty()) return std::nullopt;
    Opciones o;
    o.ayuda = l.Dada("--help");
    o.version = l.Dada("--version");
    o.hasta = l.Valor("--hasta");
    o.base = l.Valor("--base");
    o.odbc = l.Valor("--odbc");
    o.traza = l.Valor("--traza");
    o.diario = l.Valor("--diario");
    if (l.Dada("--copia")) o.copia = l.Valor("--copia");
    if (l.Dada("--aplicaciones")) o.aplicaciones = l.Valor("--aplicaciones");
    o.compactar = !l.Dada("--sin-compactar");
    o.vistaPrevia = l.Dada("--vista-previa");
    o.stock = l.Dada("--stock");
    o.asientos = l.Dada("--asientos");
    o.temporales = l.Dada("--temporales");
    if (l.Dada("--formato")) {
        if (!Elegir("--formato", l.Valor("--formato"), error)) return std::nullopt;
        o.json = l.Valor("--formato") == "json";
    }
    if (l.Dada("--ante-error")) {
        const std::string m = l.Valor("--ante-error");
        if (!Elegir("--ante-error", m, error)) return std::nullopt;
        o.anteError = m == "ignorar"      ? AnteError::Ignorar
                      : m == "reintentar" ? AnteError::Reintentar
                                          : AnteError::Abortar;
    }
    error = Combinar(o, l.Dada("--fp"), l.Dada("--cc"));
    if (!error.empty()) return std::nullopt;
    return o;
}

bool EsIdComprobante(const std::string& id) {
    if (id.size() != ClaveComprobante::kLargo) return false;
    const ClaveComprobante c = ClaveComprobante::Leer(id);
    for (char d : c.sucursal + c.numero)
        if (d < '0' || d > '9') return false;
    return c.letra[0] >= 'A' && c.letra[0] <= 'Z';
}

}  // namespace dep::consola
