#!/usr/bin/env bash
# The accessibility walk: a private X display and a private session bus (on
# which the accessibility bus and its registry start when first asked for),
# then walk_windows.py runs the real vantrel and uses it by keyboard alone,
# reading every window as a screen reader does.
# Usage: walk.sh VANTREL. VANTREL_TEST_DISPLAY names the display number to
# use; otherwise Xvfb takes a free one.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
vantrel="$1"
work="$(mktemp -d)"
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${VANTREL_TEST_DISPLAY:-}" ]; then
  Xvfb ":$VANTREL_TEST_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  echo "$VANTREL_TEST_DISPLAY" >"$work/display"
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb=$!
fi
export DISPLAY=""
for _ in $(seq 100); do
  if [ -s "$work/display" ]; then
    DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
    xdotool getmouselocation >/dev/null 2>&1 && break
  fi
  sleep 0.1
done
xdotool getmouselocation >/dev/null 2>&1 || { echo "walk.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# The Debian python that has pyatspi, whatever python comes first on PATH;
# -B: no byte code written into the source tree.
dbus-run-session -- /usr/bin/python3 -B "$here/walk_windows.py" "$vantrel" "$work"
