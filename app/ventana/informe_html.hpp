#pragma once
// The preview and the end-of-run summary as the window shows them: laid-out tables in the
// operator's words, the consolidation (ASIENTOS) first, the table and procedure names kept to
// a details section at the end.
#include <string>

#include "purge/informe.hpp"
#include "purge/vista_previa.hpp"

namespace dep {

std::string HtmlVistaPrevia(const VistaPrevia& v);
// `enDialogos`: seconds the run waited on the operator's answers, left out of its duration.
std::string HtmlResumen(const Informe& i, long enDialogos = 0);

// A summary voucher key of 13 characters as the operator reads it: "0001-00000012-X".
std::string ClaveLegible(const std::string& clave);

}  // namespace dep
