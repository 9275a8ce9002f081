#!/usr/bin/env bash
# Runs a command (a Windows program under Wine, usually) against a display of
# its own: a fresh Xvfb on a free display number, and the Wine prefix of
# scripts/prepare-wine-gui.sh (made on first use), whose wineserver and
# desktop process live only as long as the command and its display.
#   scripts/wine-gui.sh wine program.exe ...
# The command's exit code is the script's. While it runs, IDWATCH_DISPLAY
# names the display (for screenshots). Runs are serialized on the prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${IDWATCH_GUI_WINEPREFIX:-$root/build/windows/wine-gui}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$WINEPREFIX")"

exec 9>"$WINEPREFIX.lock"
flock 9

workdir=$(mktemp -d)
xvfb_pid=
command_pid=
cleanup() {
  [ -n "$command_pid" ] && kill "$command_pid" 2>/dev/null
  # The prefix's wineserver ends once its last process has (bounded, should a
  # program the command started outlive it); then the display goes.
  timeout 30 wineserver -w 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

mkfifo "$workdir/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -auth /dev/null 3>"$workdir/displayfd" \
  >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
read -r -t 30 display <"$workdir/displayfd" || true
if [ -z "$display" ]; then
  echo "wine-gui: Xvfb did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display" IDWATCH_DISPLAY=":$display"

"$root/scripts/prepare-wine-gui.sh"

"$@" &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=
exit $status
