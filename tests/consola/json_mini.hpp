#pragma once
// A strict little JSON reader for the tests: enough to check that what the console writes
// parses, and to read figures back out of it. Raises std::runtime_error on any flaw.
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace dep::prueba {

struct Json {
    enum Tipo { Nulo, Logico, Numero, Texto, Lista, Objeto } tipo = Nulo;
    bool logico = false;
    double numero = 0;
    std::string texto;
    std::vector<Json> lista;
    std::map<std::string, Json> objeto;

    const Json& operator[](const std::string& clave) const {
        auto it = objeto.find(clave);
        if (tipo != Objeto || it == objeto.end()) throw std::runtime_error("falta la clave " + clave);
        return it->second;
    }
    bool Tiene(const std::string& clave) const { return tipo == Objeto && objeto.count(clave) > 0; }
    long long Entero() const {
        if (tipo != Numero) throw std::runtime_error("no es un numero");
        return static_cast<long long>(numero);
    }
};

class LectorJson {
  public:
    static Json Leer(const std::string& s) {
        LectorJson l(s);
        Json j = l.Valor();
        l.Blancos();
        if (l.i_ != s.size()) l.Falla("sobra texto");
        return j;
    }

  private:
    explicit LectorJson(const std::string& s) : s_(s) {}
    [[noreturn]] void Falla(const std::string& que) const {
        throw std::runtime_error("JSON invalido en " + std::to_string(i_) + ": " + que);
    }
    void Blancos() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
    }
    bool Palabra(const char* p) {
        const std::string w(p);
        if (s_.compare(i_, w.size(), w) != 0) return false;
        i_ += w.size();
        return true;
    }
    char Siguiente() {
        Blancos();
        if (i_ >= s_.size()) Falla("fin inesperado");
        return s_[i_];
    }
    void Esperar(char c) {
        if (Siguiente() != c) Falla(std::string("se esperaba ") + c);
        ++i_;
    }
    std::string Cadena() {
        Esperar('"');
        std::string r;
        while (true) {
            if (i_ >= s_.size()) Falla("texto sin cerrar");
            const unsigned char c = static_cast<unsigned char>(s_[i_++]);
            if (c == '"') return r;
            if (c < 0x20) Falla("caracter de control en un texto");
            if (c != '\\') {
                r += static_cast<char>(c);
                continue;
            }
            if (i_ >= s_.size()) Falla("escape sin cerrar");
            const char e = s_[i_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    r += e;
                    break;
                case 'n':
                    r += '\n';
                    break;
                case 'r':
                    r += '\r';
                    break;
                case 't':
                    r += '\t';
                    break;
                case 'b':
                    r += '\b';
                    break;
                case 'f':
                    r += '\f';
                    break;
                case 'u': {
                    if (i_ + 4 > s_.size()) Falla("escape \\u corto");
                    const unsigned long u = std::stoul(s_.substr(i_, 4), nullptr, 16);
                    i_ += 4;
                    if (u < 0x80)
                        r += static_cast<char>(u);
                    else
                        r += '?';  // the tests compare ASCII figures only
                    break;
                }
                default:
                    Falla("escape desconocido");
            }
        }
    }
    Json Valor() {
        Json j;
        const char c = Siguiente();
        if (c == '{') {
            ++i_;
            j.tipo = Json::Objeto;
            if (Siguiente() == '}') {
                ++i_;
                return j;
            }
            while (true) {
                const std::string k = Cadena();
                Esperar(':');
                if (!j.objeto.emplace(k, Valor()).second) Falla("clave repetida " + k);
                if (Siguiente() == ',') {
                    ++i_;
                    continue;
                }
                Esperar('}');
                return j;
            }
        }
        if (c == '[') {
            ++i_;
            j.tipo = Json::Lista;
            if (Siguiente() == ']') {
                ++i_;
                return j;
            }
            while (true) {
                j.lista.push_back(Valor());
                if (Siguiente() == ',') {
                    ++i_;
                    continue;
                }
                Esperar(']');
                return j;
            }
        }
        if (c == '"') {
            j.tipo = Json::Texto;
            j.texto = Cadena();
            return j;
        }
        if (Palabra("true") || Palabra("false")) {
            j.tipo = Json::Logico;
            j.logico = s_[i_ - 4] == 't';
            return j;
        }
        if (Palabra("null")) return j;
        const std::size_t desde = i_;
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        if (i_ >= s_.size() || s_[i_] < '0' || s_[i_] > '9') Falla("valor desconocido");
        while (i_ < s_.size() && std::string("0123456789.eE+-").find(s_[i_]) != std::string::npos) ++i_;
        j.tipo = Json::Numero;
        j.numero = std::stod(s_.substr(desde, i_ - desde));
        return j;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

}  // namespace dep::prueba
