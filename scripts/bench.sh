#!/usr/bin/env bash
# Builds the benchmark (Release) into build-bench/ and runs it; extra arguments
# go to the benchmark (--reps N). Installs only what scripts/deps.sh installs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTREL_BENCHMARKS=ON -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target vantrel-bench
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
  "$(awk '/MemTotal/ {printf "%.0f GB RAM", $2 / 1048576}' /proc/meminfo)"
# The timed programs start Qt, which wants a runtime folder of the session.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
QT_QPA_PLATFORM=offscreen "$build/bench/vantrel-bench" "$@"
