#!/usr/bin/env bash
# Rewrites the README's samples (preview, run journal, end-of-run report) from a real run on a
# fresh demo database; the test MuestrasReadme fails when they no longer match the programs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
./scripts/build.sh "$dir"
python3 scripts/muestras.py --demo "$dir/demo/depuracion-demo" --consola "$dir/app/consola/depuracion-consola" \
  --readme README.md --escribir
