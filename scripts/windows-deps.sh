#!/usr/bin/env bash
# Prepares what the Windows cross build needs and Debian has no MinGW package of: SQLite from
# Debian's own source package (the same version and options as the Linux build) and GoogleTest
# from /usr/src/googletest, both built with the MinGW-w64 toolchain into one prefix, plus a
# pkg-config file for MinGW's ODBC library. Prints the prefix on its last line.
#
# Kept between runs in $DEP_CACHE_WINDOWS (default ~/.cache/depuracion/windows): a prefix made
# for the same SQLite version and the same script is reused as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD

paquetes=(g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev tcl googletest zip)
faltan=()
for p in "${paquetes[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || faltan+=("$p"); done
if [ ${#faltan[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${faltan[@]}" >&2
fi

cache=${DEP_CACHE_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/depuracion/windows}
version=$(dpkg-query -W -f='${Version}' libsqlite3-dev)
huella=$(printf '%s\n' "$version" | cat - "$0" "$raiz/cmake/mingw-w64.cmake" | sha256sum | cut -c1-16)
prefijo=$cache/prefijo-$huella
if [ -f "$prefijo/listo" ]; then
  echo "$prefijo"
  exit 0
fi
mkdir -p "$cache"
obra=$(mktemp -d "$cache/obra.XXXXXX")
trap 'rm -rf "$obra"' EXIT
mkdir -p "$obra/prefijo/lib/pkgconfig" "$obra/prefijo/include"

# A private apt set-up that only knows Debian's source archive: the system's lists and sources
# are left as they are.
apt_privado=$cache/apt
mkdir -p "$apt_privado/lists/partial" "$apt_privado/archivos/partial"
uris=$(grep -h '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | awk '{print $2}' | sort -u)
[ -n "$uris" ] || uris="http://deb.debian.org/debian http://deb.debian.org/debian-security"
{
  for u in $uris; do
    case $u in
      *security*) echo "deb-src $u bookworm-security main" ;;
      *) echo "deb-src $u bookworm main"; echo "deb-src $u bookworm-updates main" ;;
    esac
  done
} >"$apt_privado/sources.list"
apt_opc=(-o "Dir::Etc::SourceList=$apt_privado/sources.list" -o "Dir::Etc::SourceParts=/nonexistent"
         -o "Dir::State::Lists=$apt_privado/lists" -o "Dir::Cache::Archives=$apt_privado/archivos"
         -o "Debug::NoLocking=1")
apt-get "${apt_opc[@]}" update -q >&2
(cd "$obra" && apt-get "${apt_opc[@]}" source --download-only "sqlite3=$version" >&2)
# dpkg-source applies the debian/patches series while it unpacks.
(cd "$obra" && dpkg-source --no-check -x sqlite3_*.dsc fuente >&2)

# The amalgamation, then Debian's compile options: those of its rules, and those its configure
# flags add (FTS4, FTS5; the math functions are on by default).
(cd "$obra/fuente" && ./configure --disable-tcl >&2 && make -j"$(nproc)" sqlite3.c >&2)
mapfile -t opciones < <(grep -o -- '-DSQLITE_[A-Z0-9_]*\(=[0-9A-Za-z_]*\)\?' "$obra/fuente/debian/rules" | sort -u)
opciones+=(-DSQLITE_ENABLE_FTS4 -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_MATH_FUNCTIONS -fno-strict-aliasing)
printf 'SQLite %s with: %s\n' "$version" "${opciones[*]}" >&2
x86_64-w64-mingw32-gcc-posix -O2 -c "$obra/fuente/sqlite3.c" -o "$obra/sqlite3.o" "${opciones[@]}"
x86_64-w64-mingw32-ar rcs "$obra/prefijo/lib/libsqlite3.a" "$obra/sqlite3.o"
cp "$obra/fuente/sqlite3.h" "$obra/fuente/sqlite3ext.h" "$obra/prefijo/include/"
cat >"$obra/prefijo/lib/pkgconfig/sqlite3.pc" <<EOF
prefix=$prefijo
Name: sqlite3
Description: SQLite $version for MinGW-w64
Version: ${version%%-*}
Cflags: -I\${prefix}/include
Libs: -L\${prefix}/lib -lsqlite3
EOF
# MinGW's own ODBC import library.
cat >"$obra/prefijo/lib/pkgconfig/odbc.pc" <<EOF
Name: odbc
Description: ODBC of Windows (odbc32)
Version: 3.80
Libs: -lodbc32
EOF

# GoogleTest and GoogleMock with the same toolchain.
cmake -S /usr/src/googletest -B "$obra/gtest" -DCMAKE_TOOLCHAIN_FILE="$raiz/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$obra/prefijo" -Dgtest_disable_pthreads=OFF >&2
cmake --build "$obra/gtest" -j"$(nproc)" >&2
cmake --install "$obra/gtest" >&2

rm -rf "$prefijo"
mv "$obra/prefijo" "$prefijo"
touch "$prefijo/listo"
# Prefixes of other versions are of no further use.
find "$cache" -maxdepth 1 -name 'prefijo-*' ! -name "prefijo-$huella" -exec rm -rf {} +
echo "$prefijo"
