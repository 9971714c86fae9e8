#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
export BUILD_DIR="${BUILD_DIR:-$root/build}"
# Tests on, whatever an earlier configure of the folder chose; finding no test fails.
"$root/scripts/build.sh" -DVANTREL_TESTS=ON
cd "$BUILD_DIR"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j"$(nproc)"
bash "$root/scripts/fuzz.sh" 60
bash "$root/scripts/sanitize.sh"
