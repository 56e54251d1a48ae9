#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need; does nothing when all are there.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-serialport-dev libqcustomplot-dev libgl-dev
  libgtest-dev libgmock-dev
  xvfb xauth fonts-dejavu-core locales
  python3 python3-dbfread
)
if [ "${QUENRIK_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$QUENRIK_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
