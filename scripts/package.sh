#!/usr/bin/env bash
# Builds the Debian package of the program into build-package/ (or
# $PACKAGE_BUILD_DIR) from a copy of the sources, with debhelper: optimised,
# stripped, its dependencies computed from the binaries. The last line printed
# is the path of the .deb. Installs the packaging tools it needs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" debhelper dpkg-dev
out="${PACKAGE_BUILD_DIR:-$root/build-package}"
src="$out/vantrel"
rm -rf "$src" "$out"/vantrel_*
mkdir -p "$src"
# The sources only: no build folders, no history.
tar -C "$root" --exclude-vcs --exclude='./build*' --exclude=./out -cf - . | tar -C "$src" -xf -
log="$out/build.log"
echo "Building the package (log: $log)" >&2
if ! (cd "$src" && DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -b -uc -us) >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  exit 1
fi
rm -rf "$src"
ls "$out"/vantrel_*.deb
