#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (or $ASAN_BUILD_DIR) and runs every test there; any finding fails
# the run. Leaks are not checked: Qt and fontconfig keep one-time allocations
# until the process ends, and those are not ours.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ASAN_BUILD_DIR:-$root/build-asan}"
"$root/scripts/deps.sh"
# Unoptimised: the build is the long part, and the sanitizers see more.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
export ASAN_OPTIONS="detect_leaks=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j"$(nproc)"
