#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. With --sanitize, a second build under
# AddressSanitizer and UndefinedBehaviorSanitizer runs them again.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600)
if [ "${1:-}" = "--sanitize" ]; then
  ./scripts/build.sh build-san -DDEP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=OFF
  (cd build-san && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j"$(nproc)" --timeout 900 -LE slow)
fi
