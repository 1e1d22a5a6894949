#pragma once
// The lookup of the current input field, opened by CONSULTAR or a right click on the field.
#include <string>

#include "runtime/form_services.hpp"

namespace dep {

// What the lookup needs of the window's current field (txtFields(IndiceCampo)).
class CampoConsulta {
  public:
    virtual ~CampoConsulta() = default;
    virtual std::string Etiqueta() const = 0;             // the field's Tag: the lookup key
    virtual std::string Texto() const { return {}; }      // the field's Text: where a chooser opens
    virtual void Escribir(const std::string& texto) = 0;  // the field's Text
    virtual void PulsarEnter() = 0;                       // txtFields_KeyDown(IndiceCampo, 13, 0)
};

// Opens the lookup the field's key names and writes the answer into the field, then runs the
// field's Enter handling. A blank key does nothing. Failures pass to the caller.
void ConsultarCampo(FormServices& fs, LookupServices& ls, CampoConsulta& campo);

}  // namespace dep
