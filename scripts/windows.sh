#!/usr/bin/env bash
# Builds the Windows executables with MinGW-w64 (build-windows/), runs the test suite under Wine
# and makes the archive depuracion-<version>-windows-x64.zip. Prints each step's time.
#   --sin-pruebas   build and archive only
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
dir=build-windows
pruebas=1
[ "${1:-}" = "--sin-pruebas" ] && pruebas=0

reloj() { date +%s; }
# Wine quiet (the build runs the tests to list them), without the offers to install Mono and Gecko,
# in a prefix of its own.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${DEP_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/depuracion/wine}
mkdir -p "$WINEPREFIX"
t0=$(reloj)
prefijo=$(./scripts/windows-deps.sh | tail -1)
t1=$(reloj)
echo "windows: SQLite y GoogleTest para MinGW listos en $((t1 - t0)) s ($prefijo)"

lanzador=()
command -v ccache >/dev/null && lanzador=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# A new prefix (another SQLite version) configures afresh: pkg-config's answers are cached.
fresco=()
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "=$prefijo/lib/libsqlite3.a\$" "$dir/CMakeCache.txt"; then
  fresco=(--fresh)
fi
cmake "${fresco[@]}" -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$raiz/cmake/mingw-w64.cmake" -DDEP_PREFIJO_WINDOWS="$prefijo" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON -DDEP_WITH_QT=OFF -DDEP_WERROR=ON "${lanzador[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
t2=$(reloj)
echo "windows: compilación cruzada en $((t2 - t1)) s"

# One Wine server and its services kept for the whole run, started here with no output of their
# own: a server that stops when the last program ends races with the next test (which then fails
# with "recvmsg: Connection reset by peer"), and services started by a test would hold its output
# open and keep ctest waiting. The prefix is made here too, once.
if [ "$pruebas" = 1 ]; then
  wineserver -k 2>/dev/null || true
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  wineboot -i </dev/null >/dev/null 2>&1 || true
  t3=$(reloj)
  echo "windows: prefijo de Wine listo en $((t3 - t2)) s"
  # Under Wine a test mostly waits for its processes to start, not for a core: three at a time a
  # core took half the time of one (90 s against 178 s here) and left the kill tests as they were.
  (cd "$dir" && ctest --output-on-failure -j"$(($(nproc) * 3))" --timeout 900)
  t4=$(reloj)
  echo "windows: pruebas bajo Wine en $((t4 - t3)) s"
  ./scripts/prueba_windows.sh "$dir" build
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
nombre=depuracion-$version-windows-x64
rm -rf "$dir/$nombre" "$dir/$nombre.zip"
mkdir "$dir/$nombre"
cp "$dir/app/consola/depuracion-consola.exe" "$dir/demo/depuracion-demo.exe" "$dir/$nombre/"
x86_64-w64-mingw32-strip "$dir/$nombre/"*.exe
# Texts for Notepad: Windows line ends.
for f in LEAME.txt cn000pr.ini; do sed 's/$/\r/' "docs/windows/$f" >"$dir/$nombre/$f"; done
(cd "$dir" && zip -q -r "$nombre.zip" "$nombre")
echo "windows: archivo $dir/$nombre.zip"
unzip -l "$dir/$nombre.zip"
