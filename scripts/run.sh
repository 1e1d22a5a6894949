#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo database build/demo.db when it is absent and
# opens the window on it. Without a display, or when given arguments, it purges it with the console
# front end instead, up to the middle of the demo's fiscal years; the arguments go to
# depuracion-consola (for example --asientos, --vista-previa or --ante-error ignorar).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh build
if [ ! -f build/demo.db ]; then
  echo "Creando la base de demostracion build/demo.db ..."
  build/demo/depuracion-demo --salida build/demo.db --asientos 20000
fi
if [ $# -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/app/ventana/depuracion ]; then
  DEPURACION_BASE="$PWD/build/demo.db" exec build/app/ventana/depuracion
fi
exec build/app/consola/depuracion-consola --base build/demo.db --hasta 30/06/2022 "$@"
