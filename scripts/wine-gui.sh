#!/usr/bin/env bash
# Runs a command (a Windows program under Wine, usually) against a display of
# its own: a fresh Xvfb on a free display number, and a Wine prefix of its own
# (build/windows/wine-gui, made on first use) whose wineserver and desktop
# process live only as long as the command and its display.
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
cleanup() {
  # Our own wineserver ends once its last process has; then the display goes.
  wineserver -w 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

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

# The prefix: every window inside one virtual desktop, which Wine draws
# itself with frames and title bars, so no window manager is needed; the
# Chinese font linked to the default GUI fonts, so Chinese texts render.
if [ ! -f "$WINEPREFIX/.idwatch-ready" ]; then
  echo "wine-gui: preparing the Wine prefix $WINEPREFIX" >&2
  wineboot --init >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'Segoe UI'; do
    wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  done
  wineserver -w || true
  touch "$WINEPREFIX/.idwatch-ready"
fi

"$@"
