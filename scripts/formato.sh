#!/usr/bin/env bash
# Checks that every C++ file of the repository matches .clang-format with Debian 12's clang-format
# (14: another version lays some constructs out differently) and names those that do not.
#   scripts/formato.sh             check (CI)
#   scripts/formato.sh --arreglar  rewrite the files that do not match
set -euo pipefail
cd "$(dirname "$0")/.."
cf=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$cf" ]; then
  echo "clang-format is not installed (scripts/deps.sh installs it)" >&2
  exit 1
fi
mapfile -t archivos < <(git ls-files '*.cpp' '*.hpp' '*.h' '*.c')
if [ "${1:-}" = "--arreglar" ]; then
  "$cf" -i "${archivos[@]}"
  exit 0
fi
# One clang-format for all the files; its diagnostics name each file that would change.
if salida=$("$cf" --dry-run --Werror "${archivos[@]}" 2>&1); then
  echo "clang-format: ${#archivos[@]} files match .clang-format"
  exit 0
fi
malos=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$salida" | sort -u)
echo "These files do not match .clang-format (scripts/formato.sh --arreglar rewrites them):" >&2
echo "${malos:-$salida}" >&2
exit 1
