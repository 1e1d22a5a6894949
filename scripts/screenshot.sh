#!/usr/bin/env bash
# Opens the window under Xvfb on a fresh copy of the demo database, starts a run and saves a
# picture of the window with the run in progress (default docs/ventana.png).
set -euo pipefail
cd "$(dirname "$0")/.."
salida=${1:-docs/ventana.png}
dir=${BUILD_DIR:-build}
[ -x "$dir/app/ventana/depuracion" ] || ./scripts/build.sh "$dir" -DDEP_WITH_QT=ON
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$dir/demo/depuracion-demo" --salida "$tmp/demo.db" --asientos 20000 >/dev/null
mkdir -p "$(dirname "$salida")"
DEPURACION_BASE="$tmp/demo.db" DEPURACION_CAPTURA="$(realpath -m "$salida")" \
  DEPURACION_CAPTURA_FECHA=31/12/2022 \
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 300 "$dir/app/ventana/depuracion"
echo "Captura guardada en $salida"
