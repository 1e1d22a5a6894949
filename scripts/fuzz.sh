#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a bounded time
# (seconds per target: first argument, 60 by default) on a copy of its committed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
segundos="${1:-60}"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DDEP_FUZZ=ON -DDEP_WITH_QT=OFF -DDEP_WITH_ODBC=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEP_WERROR=ON >/dev/null
cmake --build build-fuzz --target fuzz_traduccion fuzz_fecha fuzz_numero -j"$(nproc)"
for t in traduccion fecha numero; do
  trabajo="build-fuzz/corpus-$t"
  mkdir -p "$trabajo"

  echo "== fuzz_$t ($segundos s)"
  (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 ./fuzz/fuzz_"$t" -max_total_time="$segundos" -max_len=4096 \
     -print_final_stats=1 "corpus-$t" ../fuzz/corpus/"$t" 2>&1 | grep -E "^(stat::number_of_executed_units|#[0-9]+ *DONE|==[0-9]+==ERROR|SUMMARY)" || true)
  hallados=$(find build-fuzz -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \))
  if [ -n "$hallados" ]; then
    echo "fuzz_$t found a failing input:"; echo "$hallados"
    exit 1
  fi
done
