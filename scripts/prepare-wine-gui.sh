#!/usr/bin/env bash
# Makes the Wine prefix in which the Windows program's window is shown (by
# ./run windows, the GUI tests and the screenshot), once: every window inside
# one virtual desktop that Wine draws itself, frames and title bars included,
# so no window manager is needed; Marlett; and the Chinese font linked to the default
# GUI fonts, so Chinese texts render instead of empty boxes.
# The prefix is $WINEPREFIX, by default build/windows/wine-gui.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wine-gui}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
[ -f "$WINEPREFIX/.idwatch-ready" ] && exit 0

echo "idwatch: preparing the Wine prefix $WINEPREFIX" >&2
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
# Marlett (fonts-wine), which draws the title bar's buttons, where every Wine
# build finds it. Wine's Tahoma is left out: the edit boxes draw through a
# path that ignores the font link, and with the system's substitute for
# Tahoma they show Chinese too.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'Segoe UI'; do
  wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
done
wineserver -w || true
touch "$WINEPREFIX/.idwatch-ready"
