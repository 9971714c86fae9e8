#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh and checks what it holds:
# the files in their places, stripped binaries with computed dependencies and
# no build path inside, the desktop validators and lintian clean, and both
# programs answering --version as the package's version. With --install it
# also installs the package with apt, runs the installed programs, and removes
# it again. Takes several minutes (a full optimised build), so it is not part
# of scripts/test.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/scripts/deps.sh" lintian appstream desktop-file-utils librsvg2-bin file man-db
deb="$(bash "$root/scripts/package.sh" | tail -n 1)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

dpkg-deb -x "$deb" "$work/root"
version="$(dpkg-deb -f "$deb" Version)"

for path in usr/bin/vantrel usr/bin/vantrel-export usr/share/vantrel/BrennicTests.txt \
            usr/share/applications/org.vantrel.vantrel.desktop \
            usr/share/metainfo/org.vantrel.vantrel.metainfo.xml \
            usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/vantrel.png \
            usr/share/icons/hicolor/scalable/apps/vantrel.svg \
            usr/share/man/man1/vantrel.1.gz usr/share/man/man1/vantrel-export.1.gz \
            usr/share/doc/vantrel/copyright; do
  [ -f "$work/root/$path" ] && pass "$path" || fail "missing $path"
done
for size in 16 32 48 64 128 256; do
  file "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/vantrel.png" | grep -q "$size x $size" \
    && pass "icon is $size px" || fail "icon at ${size}x${size} is not $size px"
done
rsvg-convert "$work/root/usr/share/icons/hicolor/scalable/apps/vantrel.svg" >/dev/null \
  && pass "the SVG icon draws" || fail "the SVG icon does not draw"

for program in vantrel vantrel-export; do
  binary="$work/root/usr/bin/$program"
  file "$binary" | grep -q ", stripped" && pass "$program is stripped" || fail "$program is not stripped"
  if strings "$binary" | grep -q -e "$root" -e "/build-package/"; then fail "$program holds a build path"; else pass "$program holds no build path"; fi
  said="$(env -u DISPLAY -u WAYLAND_DISPLAY "$binary" --version)"
  [ "$said" = "$program $version" ] && pass "$program --version" || fail "$program --version says '$said', not '$program $version'"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libsqlite3-0 fonts-dejavu-extra; do
  [[ "$depends" == *"$library"* ]] && pass "depends on $library" || fail "no dependency on $library: $depends"
done

appstreamcli validate --pedantic --no-net "$work/root/usr/share/metainfo/org.vantrel.vantrel.metainfo.xml" \
  && pass "appstreamcli" || fail "appstreamcli"
desktop-file-validate "$work/root/usr/share/applications/org.vantrel.vantrel.desktop" \
  && pass "desktop-file-validate" || fail "desktop-file-validate"
if lintian --fail-on error,warning "$deb"; then pass "lintian"; else fail "lintian"; fi

if [ "${1:-}" = "--install" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null && pass "apt install" || fail "apt install"
  [ "$(vantrel-export --version)" = "vantrel-export $version" ] && pass "installed vantrel-export runs" \
    || fail "installed vantrel-export"
  device="$work/device"
  mkdir -p "$device/windows"
  cp /usr/share/vantrel/BrennicTests.txt "$device/windows/"
  printf 'user,test,date,result,value,goal,unit,comment\nAnn,Iron,2024-01-02,Iron,80,60-170,ug/dL,\n' >"$work/in.csv"
  vantrel-export --root "$device" import "$work/in.csv" >/dev/null && vantrel-export --root "$device" list | grep -q "^Ann " \
    && pass "installed vantrel-export imports and lists" || fail "installed vantrel-export import"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq vantrel >/dev/null && pass "apt remove" || fail "apt remove"
fi

echo "$deb"
if [ "$failures" -gt 0 ]; then echo "$failures checks failed"; exit 1; fi
echo "every check passed"
