#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
export BUILD_DIR="${BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
cd "$BUILD_DIR"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
bash "$root/scripts/fuzz.sh" 60
bash "$root/scripts/sanitize.sh"
