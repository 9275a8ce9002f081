#!/usr/bin/env bash
# Builds the Windows program and packs it for Windows users:
# dist/idwatch-windows.zip holds idwatch.exe, which needs nothing else (no
# DLL beside it, nothing to install).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows --target idwatch
mkdir -p dist
rm -f dist/idwatch-windows.zip
zip -j -q dist/idwatch-windows.zip build/windows/app/win32/idwatch.exe
echo "idwatch: dist/idwatch-windows.zip"
