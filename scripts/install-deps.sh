#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests need.
# Idempotent: when every package is present it does nothing and prints nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  fonts-wqy-microhei
  libmatio-dev
  libhdf5-dev
  libfftw3-dev
  poppler-utils
  unixodbc-dev odbc-postgresql tdsodbc postgresql
  dbus
  libxlsxwriter-dev libminizip-dev python3-openpyxl python3-scipy
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
