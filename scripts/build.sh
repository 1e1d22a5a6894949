#!/usr/bin/env bash
# Configures and builds into the folder given (default build/); extra arguments go to cmake.
# The project's own builds treat warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}; shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEP_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
