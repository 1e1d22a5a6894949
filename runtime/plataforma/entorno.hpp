#pragma once
// Environment variables, as UTF-8 texts.
#include <string>

namespace dep::plataforma {

// The variable's value; empty when it is not set.
std::string VariableEntorno(const char* nombre);

}  // namespace dep::plataforma
