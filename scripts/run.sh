#!/usr/bin/env bash
# Builds Velnorid.exe and starts it under Wine. Arguments go to the program.
# With no display it runs in a virtual one for a few seconds, saves a
# screenshot to build/screenshot.png and closes the program as a user would.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake >/dev/null
cmake --build build/win32
exe=$PWD/build/win32/Velnorid.exe

export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-velnorid} WINEDEBUG=-all
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

Xvfb :97 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=:97
sleep 1
wine "$exe" "$@" &
program=$!
sleep "${VELNORID_RUN_SECONDS:-8}"
import -window root build/screenshot.png && echo "Screenshot: build/screenshot.png"
wine taskkill /IM Velnorid.exe >/dev/null 2>&1 || true
wait $program || true
wineserver -k || true
