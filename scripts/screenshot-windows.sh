#!/usr/bin/env bash
# Takes a screenshot of the Windows program's window as it opens: idwatch.exe
# (built by the windows preset) under Wine on a display of its own, with the
# Chinese font. Writes build/windows/screenshot.png, or the path given.
#   scripts/screenshot-windows.sh [output.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/build/windows/screenshot.png}")
program=$root/build/windows/app/win32/idwatch.exe
if [ ! -f "$program" ]; then
  echo "screenshot: build the windows preset first ($program is missing)" >&2
  exit 1
fi

# Inside the display: start the program, wait until the desktop shows more
# than its background, capture, end the program.
shoot() {
  wine "$program" &
  local pid=$!
  local shown=
  for _ in $(seq 1 100); do
    sleep 0.2
    import -display "$IDWATCH_DISPLAY" -window root "$output.full.png"
    colours=$(convert "$output.full.png" -format '%k' info:)
    if [ "$colours" -gt 8 ]; then shown=1; sleep 1; break; fi
  done
  import -display "$IDWATCH_DISPLAY" -window root "$output.full.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$shown" ] || { echo "screenshot: the window did not appear" >&2; return 1; }
  # The window is centred on the 1024 x 768 desktop: keep it and a margin.
  convert "$output.full.png" -crop 451x290+286+239 +repage "$output"
  rm -f "$output.full.png"
}
export -f shoot
export program output
mkdir -p "$(dirname "$output")"
"$root/scripts/wine-gui.sh" bash -c shoot
echo "screenshot: $output"
