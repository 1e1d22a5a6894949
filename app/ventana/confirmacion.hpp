#pragma once
// The question GRABAR asks before anything is deleted, with what the preview computed.
#include <optional>
#include <string>

#include "purge/vista_previa.hpp"

namespace dep {

// `ultima`: the stored last purge date as read; `copia`: the backup's folder when one will be
// made ("" beside the database), nothing when none. `aviso`: why the figures are missing.
std::string TextoConfirmacion(const VistaPrevia& v, const std::string& ultima,
                              const std::optional<std::string>& copia, const std::string& aviso = {});

}  // namespace dep
