#include "runtime/operador_guionado.hpp"

namespace dep {

namespace {

template <typename T>
T Siguiente(std::deque<T>& cola, const T& defecto) {
    if (cola.empty()) return defecto;
    T v = std::move(cola.front());
    cola.pop_front();
    return v;
}

}  // namespace

int OperadorGuionado::Mensaje(const std::string& texto, int botones, const std::string& titulo) {
    Llamada l;
    l.tipo = Tipo::Mensaje;
    l.texto = texto;
    l.botones = botones;
    l.titulo = titulo;
    llamadas.push_back(std::move(l));
    return Siguiente(respuestasMensaje, defectoMensaje);
}

bool OperadorGuionado::Confirmar(const std::string& texto, const std::string& titulo) {
    Llamada l;
    l.tipo = Tipo::Confirmar;
    l.texto = texto;
    l.titulo = titulo;
    llamadas.push_back(std::move(l));
    return Siguiente(respuestasConfirmar, defectoConfirmar);
}

int OperadorGuionado::DialogoError(const Falla& e) {
    Llamada l;
    l.tipo = Tipo::DialogoError;
    l.texto = e.Descripcion();
    l.numero = e.Numero();
    l.descripcion = e.Descripcion();
    llamadas.push_back(std::move(l));
    return Siguiente(respuestasDialogo, defectoDialogo);
}

int OperadorGuionado::ErrorRutina(const Falla& e, const std::string& rutina) {
    Llamada l;
    l.tipo = Tipo::ErrorRutina;
    l.texto = e.Descripcion();
    l.numero = e.Numero();
    l.descripcion = e.Descripcion();
    l.rutina = rutina;
    llamadas.push_back(std::move(l));
    return Siguiente(respuestasRutina, defectoRutina);
}

std::string OperadorGuionado::ElegirFecha(const std::string& inicial) {
    Llamada l;
    l.tipo = Tipo::ElegirFecha;
    l.texto = inicial;
    llamadas.push_back(std::move(l));
    return Siguiente(respuestasFecha, std::string());
}

std::string OperadorGuionado::AbrirLista(const PedidoLista& p) {
    Llamada l;
    l.tipo = Tipo::AbrirLista;
    l.texto = p.origen;
    l.pedido = p;
    llamadas.push_back(std::move(l));
    return Siguiente(respuestasLista, std::string());
}

std::size_t OperadorGuionado::Cuantas(Tipo t) const {
    std::size_t n = 0;
    for (const auto& l : llamadas) n += l.tipo == t;
    return n;
}

std::vector<OperadorGuionado::Llamada> OperadorGuionado::DeTipo(Tipo t) const {
    std::vector<Llamada> r;
    for (const auto& l : llamadas)
        if (l.tipo == t) r.push_back(l);
    return r;
}

std::vector<std::string> OperadorGuionado::Mensajes() const {
    std::vector<std::string> r;
    for (const auto& l : llamadas)
        if (l.tipo == Tipo::Mensaje) r.push_back(l.texto);
    return r;
}

}  // namespace dep
