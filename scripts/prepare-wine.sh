#!/usr/bin/env bash
# Makes the Wine prefix once (its first creation takes a while) and leaves a
# persistent wineserver running, so that every Windows test executable after
# it starts in a fraction of a second.
set -euo pipefail
export WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
  echo "idwatch: creating the Wine prefix $prefix" >&2
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
wineserver -p >/dev/null 2>&1 </dev/null || true
# Start Wine's service processes now, away from any caller's output, so that
# the first test does not pay for them.
wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null || true
