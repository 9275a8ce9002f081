#!/usr/bin/env bash
# Builds the Linux program, opens its window on a virtual X display of its own
# and saves a picture of the window as it opens.
#   scripts/screenshot-linux.sh [picture.png]   (default: build/screenshots/idwatch-linux.png)
# There is no window manager on that display, so the picture shows the
# client area alone, without frame or title bar.
set -euo pipefail
cd "$(dirname "$0")/.."

picture=${1:-build/screenshots/idwatch-linux.png}
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target idwatch >/dev/null
mkdir -p "$(dirname "$picture")"

work=$(mktemp -d)
xvfb_pid=
program_pid=
finish() {
  [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# Xvfb chooses a free display and writes its number to the file once ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb build/native/app/qt/idwatch 2>/dev/null &
program_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$program_pid" | head -n1)
[ -n "$window" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }
sleep 1  # let it paint
import -window "$window" "$picture"
echo "$picture"
