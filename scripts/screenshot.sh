#!/usr/bin/env bash
# Opens the window under Xvfb on a fresh copy of the demo database through the test-only
# capture program (tests/app), shows the preview, starts a run and saves pictures:
#   scripts/screenshot.sh [out.png]      the window with the run in progress (default docs/ventana.png)
#   scripts/screenshot.sh --dialogos     also docs/vista_previa.png, docs/confirmacion.png and docs/resumen.png
# With --dialogos, the pictures of the preview and of the end-of-run summary go beside out.png.
set -euo pipefail
cd "$(dirname "$0")/.."
dialogos=0
args=()
for a in "$@"; do
  if [ "$a" = "--dialogos" ]; then dialogos=1; else args+=("$a"); fi
done
salida=${args[0]:-docs/ventana.png}
dir=${BUILD_DIR:-build}
if [ ! -x "$dir/tests/app/depuracion-captura" ] || [ ! -x "$dir/demo/depuracion-demo" ]; then
  # The same configuration as scripts/build.sh, so that the two never rebuild each other's tree.
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON -DDEP_WERROR=ON -DDEP_WITH_QT=ON >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target depuracion-captura depuracion-demo depuracion_styles
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$dir/demo/depuracion-demo" --salida "$tmp/demo.db" --asientos 20000 >/dev/null
mkdir -p "$(dirname "$salida")"
salida=$(realpath -m "$salida")
extra=()
if [ "$dialogos" = 1 ]; then
  carpeta=$(dirname "$salida")
  extra=(--vista-previa "$carpeta/vista_previa.png" --confirmacion "$carpeta/confirmacion.png"
    --resumen "$carpeta/resumen.png")
fi
# The program folder holds the skins and the settings; the database comes from the environment.
DEPURACION_BASE="$tmp/demo.db" DEPURACION_CARPETA="$(realpath "$dir/app/ventana")" \
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 300 \
  "$dir/tests/app/depuracion-captura" --fecha 31/12/2022 --ventana "$salida" "${extra[@]}"
echo "Capturas guardadas junto a $salida"
