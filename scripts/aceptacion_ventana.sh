#!/usr/bin/env bash
# The window's tests on a real X server with a window manager, as an operator sees the window:
# a mistyped year refused, GRABAR's question answered "No" changing nothing, a purge given up on
# its error dialog and a cancelled run each saying so on the summary's first line, cancel and
# close answered at once during a long stock step, "Cancelar proceso" idle between runs, and the
# window repainting while another connection holds the write lock.
#   scripts/aceptacion_ventana.sh [build folder]      (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
for t in test_app_ventana test_app_resumen; do
  [ -x "$dir/tests/app/$t" ] || { echo "falta $dir/tests/app/$t: compile primero" >&2; exit 1; }
done
pantalla=""
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { pantalla=":$n"; break; }
done
[ -n "$pantalla" ] || { echo "no hay pantalla libre para Xvfb" >&2; exit 1; }
Xvfb "$pantalla" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
gestor=""
trap 'kill $gestor $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${pantalla#:}" ] && break; sleep 0.1; done
if command -v openbox >/dev/null; then
  DISPLAY=$pantalla openbox >/dev/null 2>&1 &
  gestor=$!
  sleep 1
else
  echo "openbox no está instalado: las pruebas corren sin gestor de ventanas" >&2
fi
for t in test_app_ventana test_app_resumen; do
  DISPLAY=$pantalla QT_QPA_PLATFORM=xcb "$dir/tests/app/$t"
done
