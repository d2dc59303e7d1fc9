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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  # Wine has no MS Gothic; IPAGothic has the same metrics.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Gothic' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
  wineserver -w  # a settled prefix: its network driver answers from the program's first call
fi
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

Xvfb :97 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:97
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
wine "$exe" "$@" &
program=$!
for _ in $(seq 120); do
  xdotool search --name '^Velnorid$' >/dev/null 2>&1 && break
  sleep 0.5
done
sleep "${VELNORID_RUN_SECONDS:-6}"
import -window root build/screenshot.png && echo "Screenshot: build/screenshot.png"
wine taskkill /IM Velnorid.exe >/dev/null 2>&1 || true
for _ in $(seq 40); do
  kill -0 $program 2>/dev/null || break
  sleep 0.5
done
echo "Velnorid closed; its settings are in build/win32/Velnorid.qnf"
