#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (skips what is there).
set -euo pipefail
pkgs=(build-essential cmake pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev unixodbc-dev tdsodbc libsqliteodbc odbcinst xvfb xauth openbox clang-14 libclang-rt-14-dev
      clang-format-14 sqlfluff libcli11-dev nlohmann-json3-dev scdoc file dpkg-dev lintian netpbm
      locales qt6-translations-l10n)
missing=()
for p in "${pkgs[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
# A Spanish locale, for the test that the report's figures do not follow the process's locale.
if ! locale -a 2>/dev/null | grep -qix 'es_AR\.utf-\?8'; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO sed -i 's/^# *\(es_AR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
