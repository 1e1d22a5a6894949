#!/usr/bin/env bash
# Names every file of the program that includes a system header outside the platform layer
# (runtime/plataforma): the Qt window above all must build with any Qt 6 kit.
set -euo pipefail
cd "$(dirname "$0")/.."
patron='#include <(unistd\.h|fcntl\.h|pwd\.h|signal\.h|sys/[a-z_]+\.h|windows\.h|io\.h|shellapi\.h|aclapi\.h|sddl\.h|sql\.h|sqlext\.h|dlfcn\.h|termios\.h)>'
if grep -rnE "$patron" app common lookup numbering purge demo runtime --include='*.cpp' --include='*.hpp' |
   grep -v '^runtime/plataforma/'; then
  echo "portabilidad: estos archivos incluyen cabeceras del sistema fuera de runtime/plataforma" >&2
  exit 1
fi
echo "portabilidad: solo runtime/plataforma incluye cabeceras del sistema"
