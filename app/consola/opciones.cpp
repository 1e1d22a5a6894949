#include "app/consola/opciones.hpp"

namespace dep::consola {

std::string TextoAyuda() {
    return "Uso:\n"
           "  depuracion-consola --hasta FECHA [--base ARCHIVO | --odbc CADENA] [--stock] [--asientos]\n"
           "                     [--temporales] [--ante-error abortar|ignorar|reintentar] [--traza ARCHIVO]\n"
           "                     [--vista-previa] [--formato tabla|json] [--diario ARCHIVO]\n"
           "  depuracion-consola --aplicaciones IDCOMPROBANTE (--fp | --cc) --hasta FECHA\n"
           "                     [--base ARCHIVO | --odbc CADENA] [--traza ARCHIVO]\n"
           "\n"
           "Depura la base de datos hasta la fecha indicada, inclusive (dd/mm/aaaa).\n"
           "\n"
           "  --hasta FECHA        fecha de corte, como se escribe en la ventana (por ejemplo 31/12/2021)\n"
           "  --base ARCHIVO       base de datos embebida (SQLite) sobre la que se trabaja\n"
           "  --odbc CADENA        cadena de conexion ODBC a SQL Server\n"
           "                       (sin ninguna de las dos: cn000pr.ini y DEPURACION_BASE / "
           "DEPURACION_ODBC)\n"
           "  --stock              movimientos de stock, ventas y compras\n"
           "  --asientos           consolidacion de asientos contables\n"
           "  --temporales         tablas temporales e historial de cambio de precios\n"
           "                       (sin ninguna de las tres se ejecutan las tres)\n"
           "  --ante-error MODO    respuesta a los dialogos de error: abortar (por defecto), ignorar,\n"
           "                       o reintentar (hasta 3 veces el mismo paso, luego abortar)\n"
           "  --traza ARCHIVO      anota cada sentencia enviada y su resultado\n"
           "  --vista-previa       muestra lo que haria la depuracion (filas, fechas, asientos,\n"
           "                       comprobantes de saldo inicial) sin modificar nada, y termina\n"
           "  --formato FORMATO    tabla (por defecto) o json: como se muestran la vista previa y el\n"
           "                       resumen del final de la depuracion\n"
           "  --copia CARPETA      antes de modificar nada, copia la base de datos en CARPETA (\"\" : junto "
           "a\n"
           "                       ella o en la carpeta de copias del servidor) y la comprueba; sin copia "
           "no\n"
           "                       se depura\n"
           "  --sin-compactar      no devuelve al disco el espacio que liberan las purgas\n"
           "  --diario ARCHIVO     archivo del diario de corridas (una linea JSON por paso y una por\n"
           "                       corrida); por defecto DEPURACION.DIARIO.jsonl junto a KSERR.LOG\n"
           "  --aplicaciones ID    controla las aplicaciones de pago contra el comprobante de 13\n"
           "                       caracteres ID (sucursal, numero, letra); --fp o --cc elige la familia\n"
           "  --help               muestra esta ayuda\n"
           "\n"
           "El avance se muestra en la salida de errores; los mensajes y el resumen final, en la salida\n"
           "estandar (con --formato json el resumen es la ultima linea).\n"
           "Ctrl-C cancela al terminar la fecha en curso.\n"
           "\n"
           "Estado de salida: 0 terminado sin errores; 1 cancelado; 2 uso incorrecto o fecha incorrecta;\n"
           "3 hubo errores durante la depuracion o no se pudo abrir la base de datos.\n";
}

std::optional<Opciones> LeerOpciones(const std::vector<std::string>& args, std::string& error) {
    Opciones o;
    bool fp = false, cc = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto valor = [&](std::string& destino) {
            if (i + 1 >= args.size()) {
                error = "Falta el valor de " + a + ".";
                return false;
            }
            destino = args[++i];
            return true;
        };
        if (a == "--help" || a == "-h" || a == "--ayuda") {
            o.ayuda = true;
        } else if (a == "--hasta") {
            if (!valor(o.hasta)) return std::nullopt;
        } else if (a == "--base") {
            if (!valor(o.base)) return std::nullopt;
        } else if (a == "--odbc") {
            if (!valor(o.odbc)) return std::nullopt;
        } else if (a == "--traza") {
            if (!valor(o.traza)) return std::nullopt;
        } else if (a == "--diario") {
            if (!valor(o.diario)) return std::nullopt;
        } else if (a == "--sin-compactar") {
            o.compactar = false;
        } else if (a == "--copia") {
            std::string c;
            if (!valor(c)) return std::nullopt;
            o.copia = c;
        } else if (a == "--vista-previa") {
            o.vistaPrevia = true;
        } else if (a == "--formato") {
            std::string f;
            if (!valor(f)) return std::nullopt;
            if (f == "tabla" || f == "json") {
                o.json = f == "json";
            } else {
                error = "--formato admite tabla o json, no '" + f + "'.";
                return std::nullopt;
            }
        } else if (a == "--stock") {
            o.stock = true;
        } else if (a == "--asientos") {
            o.asientos = true;
        } else if (a == "--temporales") {
            o.temporales = true;
        } else if (a == "--fp") {
            fp = true;
        } else if (a == "--cc") {
            cc = true;
        } else if (a == "--aplicaciones") {
            std::string id;
            if (!valor(id)) return std::nullopt;
            o.aplicaciones = id;
        } else if (a == "--ante-error") {
            std::string m;
            if (!valor(m)) return std::nullopt;
            if (m == "abortar")
                o.anteError = AnteError::Abortar;
            else if (m == "ignorar")
                o.anteError = AnteError::Ignorar;
            else if (m == "reintentar")
                o.anteError = AnteError::Reintentar;
            else {
                error = "--ante-error admite abortar, ignorar o reintentar, no '" + m + "'.";
                return std::nullopt;
            }
        } else {
            error = "Opcion desconocida: " + a + ".";
            return std::nullopt;
        }
    }
    if (o.ayuda) return o;
    if (o.hasta.empty()) {
        error = "Falta --hasta FECHA.";
        return std::nullopt;
    }
    if (!o.base.empty() && !o.odbc.empty()) {
        error = "Use --base o --odbc, no las dos.";
        return std::nullopt;
    }
    if (o.aplicaciones) {
        if (fp == cc) {
            error = "--aplicaciones necesita --fp o --cc (una de las dos).";
            return std::nullopt;
        }
        if (!EsIdComprobante(*o.aplicaciones)) {
            error =
                "El comprobante de --aplicaciones debe tener 13 caracteres: sucursal de 4 digitos, "
                "numero de 8 digitos y una letra de la A a la Z (por ejemplo 000100000001X).";
            return std::nullopt;
        }
        if (o.stock || o.asientos || o.temporales || o.vistaPrevia || o.copia) {
            error =
                "--aplicaciones no se combina con --stock, --asientos, --temporales, --vista-previa ni "
                "--copia.";
            return std::nullopt;
        }
        o.soloFP = fp;
    } else {
        if (o.copia && o.vistaPrevia) {
            error = "--copia no se combina con --vista-previa, que no modifica nada.";
            return std::nullopt;
        }
        if (fp || cc) {
            error = "--fp y --cc solo valen con --aplicaciones.";
            return std::nullopt;
        }
        if (!o.stock && !o.asientos && !o.temporales) o.stock = o.asientos = o.temporales = true;
    }
    return o;
}

bool EsIdComprobante(const std::string& id) {
    if (id.size() != 13) return false;
    for (std::size_t i = 0; i < 12; ++i)
        if (id[i] < '0' || id[i] > '9') return false;
    return id[12] >= 'A' && id[12] <= 'Z';
}

}  // namespace dep::consola
