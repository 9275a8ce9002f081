#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building, running and
# testing idwatch needs and that this machine lacks. Does nothing when all are
# present, so ./run and ./test can call it every time.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcurl4-openssl-dev qt6-base-dev
  g++-mingw-w64-x86-64-posix wine wine64
  xvfb xauth xdotool x11-utils imagemagick fonts-wqy-microhei
  fonts-wine
  zip
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "idwatch: installing ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
