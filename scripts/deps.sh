#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when some are missing.
set -euo pipefail
# The last line is the accessibility walk's: a display, a window manager, keys,
# a session bus and the AT-SPI client.
packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libsqlite3-dev sqlite3
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-dejavu-extra clang libclang-rt-14-dev
          poppler-utils xvfb openbox xdotool dbus-daemon at-spi2-core python3-pyatspi "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
