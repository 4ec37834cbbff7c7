#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds everything.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libsqlcipher-dev libpq-dev postgresql
          libxlsxwriter-dev liborcus-dev libixion-dev libboost-dev libbenchmark-dev
          fonts-ipafont qt6-translations-l10n xvfb xauth python3-openpyxl xdg-utils
          libcurl4-openssl-dev libssl-dev python3-aiosmtpd
          dpkg-dev desktop-file-utils lintian poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
build="$here/build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
