#!/usr/bin/env bash
# Builds the Debian package depuracion_<version>_<arch>.deb into the repository's root folder:
# installs what is missing, builds (the same tree and options as scripts/build.sh, default build/;
# the programs are stripped in the package) and runs CPack. With --lintian, also checks it.
#   ./scripts/package.sh [--lintian]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
./scripts/deps.sh
./scripts/build.sh "$dir"
rm -f depuracion_*.deb
(cd "$dir" && cpack -G DEB -B "$PWD/paquetes" >/dev/null)
mv "$dir"/paquetes/depuracion_*.deb .
paquete=$(ls depuracion_*.deb)
echo "Paquete: $paquete"
if [ "${1:-}" = "--lintian" ]; then
  # An error fails; warnings are shown.
  lintian --fail-on error "$paquete"
  echo "lintian: sin errores"
fi
