#!/usr/bin/env bash
# Installs the Debian package built by scripts/package.sh on this machine and uses it as an
# administrator would, then removes it: the programs on the PATH, --version, the manual page, a
# demo database made and purged by the installed programs, the installed window under Xvfb (its
# picture saved as build/ventana-instalada.png), and nothing left in /usr afterwards.
# Needs root (CI runs as root). ./scripts/prueba_paquete.sh [depuracion_X_amd64.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
paquete=$(realpath "${1:-$(ls depuracion_*.deb | head -1)}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
paso() { echo "== paquete: $*"; }

# Trigger caches the desktop tools may rebuild are not the package's files.
inventario() {
  find /usr \( -path /usr/share/icons/hicolor/icon-theme.cache -o -path /usr/share/applications/mimeinfo.cache \) \
    -prune -o -print | sort
}
# A package left installed by an earlier, interrupted try would hide what this one leaves.
if dpkg -s depuracion >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -q depuracion >/dev/null
fi
inventario >"$tmp/antes"

paso "apt-get install $paquete"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$paquete" >"$tmp/apt.log" || { cat "$tmp/apt.log"; exit 1; }
for p in depuracion depuracion-consola depuracion-demo; do
  [ "$(command -v "$p")" = "/usr/bin/$p" ] || { echo "$p no quedó en el PATH" >&2; exit 1; }
  "$p" --version | head -1
done
man -w depuracion-consola >/dev/null && man -w depuracion >/dev/null && man -w depuracion-demo >/dev/null
[ -f /usr/share/applications/depuracion.desktop ] && grep -q '^Name=Depuración de datos$' /usr/share/applications/depuracion.desktop
[ -f /usr/share/icons/hicolor/scalable/apps/depuracion.svg ] && [ -f /usr/share/icons/hicolor/256x256/apps/depuracion.png ]

paso "depuracion-demo y depuracion-consola instalados, sobre una base nueva"
(cd "$tmp" && depuracion-demo --salida demo.db --asientos 3000 >/dev/null)
TEMP="$tmp" depuracion-consola --hasta 30/06/2022 --base "$tmp/demo.db" --formato json >"$tmp/salida" 2>"$tmp/errores" ||
  { cat "$tmp/salida" "$tmp/errores"; exit 1; }
tail -1 "$tmp/salida" | grep -q '"fecha_grabada":true' || { cat "$tmp/salida"; exit 1; }

paso "la ventana instalada bajo Xvfb"
# Xvfb keeps its screen in a file (-fbdir), so no screenshot tool is needed.
mkdir "$tmp/pantalla"
cat >"$tmp/ventana.sh" <<FIN
DEPURACION_BASE="$tmp/demo.db" TEMP="$tmp" depuracion & pid=\$!
for i in \$(seq 60); do
  sleep 0.5
  # Drawn once the screen holds more than a few colours.
  if [ "\$(xwdtopnm "$tmp/pantalla/Xvfb_screen0" 2>/dev/null | ppmhist -noheader | wc -l)" -gt 20 ]; then
    sleep 1; break
  fi
done
xwdtopnm "$tmp/pantalla/Xvfb_screen0" 2>/dev/null | pnmtopng >"$tmp/ventana.png"
kill \$pid
wait \$pid || true
FIN
xvfb-run -a -s "-screen 0 1024x768x24 -fbdir $tmp/pantalla" bash "$tmp/ventana.sh"
colores=$(pngtopnm "$tmp/ventana.png" | ppmhist -noheader | wc -l)
mkdir -p build && cp "$tmp/ventana.png" build/ventana-instalada.png
[ "$colores" -gt 20 ] || { echo "la ventana no se dibujó ($colores colores)" >&2; exit 1; }

paso "apt-get remove depuracion"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -q depuracion >>"$tmp/apt.log"
inventario >"$tmp/despues"
if ! diff "$tmp/antes" "$tmp/despues"; then
  echo "quedó algo en /usr después de desinstalar" >&2
  exit 1
fi
echo "paquete: instalado, usado y desinstalado sin dejar nada en /usr"
