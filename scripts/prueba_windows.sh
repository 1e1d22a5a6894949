#!/usr/bin/env bash
# The Windows programs under Wine as an operator uses them, in a folder named "Depuración de
# prueba": the demo generator then the console exit 0, the console's output sent to a file is
# UTF-8 ("DEPURACIÓN"), and the purged file holds exactly what the Linux programs leave (.dump),
# when a Linux build is there to compare with. Called by scripts/windows.sh, Wine set up.
#   ./scripts/prueba_windows.sh [build-windows] [build]
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
win=$raiz/${1:-build-windows}
lin=$raiz/${2:-build}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
args=(--hasta 30/06/2022 --base demo.db)

carpeta="$tmp/Depuración de prueba"
mkdir -p "$carpeta"
cd "$carpeta"
wine "$win/demo/depuracion-demo.exe" --salida demo.db --asientos 3000 >/dev/null
estado=0
wine "$win/app/consola/depuracion-consola.exe" "${args[@]}" >salida.txt 2>errores.txt || estado=$?
if [ "$estado" != 0 ] || ! grep -q "RESUMEN DE LA DEPURACIÓN HASTA EL 30/06/2022" salida.txt; then
  echo "windows: la consola bajo Wine terminó en $estado" >&2
  cat salida.txt errores.txt >&2
  exit 1
fi
echo "windows: demo y consola bajo Wine en \"Depuración de prueba\": estado 0, salida en UTF-8"

if [ ! -x "$lin/app/consola/depuracion-consola" ] || [ ! -x "$lin/demo/depuracion-demo" ]; then
  echo "windows: sin los programas de Linux en $lin, no se compara con ellos"
  exit 0
fi
mkdir "$tmp/linux"
cd "$tmp/linux"
"$lin/demo/depuracion-demo" --salida demo.db --asientos 3000 >/dev/null
"$lin/app/consola/depuracion-consola" "${args[@]}" >/dev/null 2>&1
if ! cmp -s <(sqlite3 demo.db .dump) <(sqlite3 "$carpeta/demo.db" .dump); then
  echo "windows: la base depurada bajo Wine no es la que deja Linux:" >&2
  diff <(sqlite3 demo.db .dump) <(sqlite3 "$carpeta/demo.db" .dump) | head -20 >&2
  exit 1
fi
echo "windows: la base depurada bajo Wine es igual (.dump) a la que deja Linux"
