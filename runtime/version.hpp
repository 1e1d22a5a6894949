#pragma once
// What every program says to --version: its own version, the SQLite it runs on and the engines
// it was built with.
#include <string>

namespace dep {

// "1.0.0"
std::string VersionPrograma();

// Three lines: "<programa> <version>", the SQLite library in use (and the one it was built
// against when they differ), and the database engines built in.
std::string TextoVersion(const std::string& programa);

}  // namespace dep
