#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the default
# device root, putting the shipped catalogue file in its "\windows" folder first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
# A folder of its own: the tests' folder keeps its tests whatever ran here.
export BUILD_DIR="${BUILD_RUN_DIR:-$root/build-run}"
"$root/scripts/build.sh" -DVANTREL_TESTS=OFF
device_root="${VANTREL_DEVICE_ROOT:-$HOME/.local/share/vantrel}"
mkdir -p "$device_root/windows"
chmod 700 "$device_root"
[ -e "$device_root/windows/BrennicTests.txt" ] || cp "$root/res/BrennicTests.txt" "$device_root/windows/"
exec "$BUILD_DIR/app/vantrel"
