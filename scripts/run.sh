#!/usr/bin/env bash
# Builds the program and starts it under Wine: Velnorid.exe where this
# machine runs i386 code, else its x86_64 twin. Arguments go to the program.
# With no display it runs in a virtual one for a few seconds, saves a
# screenshot to build/screenshot.png and closes the program as a user would.
source "$(dirname "$0")/preamble.sh"

bash scripts/install-deps.sh
arches=$(wine_arches)
arch=${arches%% *}
build=$(wine_build_dir "$arch")
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(wine_toolchain "$arch")" >/dev/null
cmake --build "$build"
exe=$PWD/$build/Velnorid.exe
loader=$(wine_loader "$arch")
server=$(wine_server "$arch")

# One prefix per architecture, made as the end-to-end tests make theirs.
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-velnorid-$arch} WINELOADER=$loader WINESERVER=$server WINEDEBUG=-all
VELNORID_WINE_ARCH=$arch VELNORID_WINEPREFIX=$WINEPREFIX VELNORID_EXE=$exe python3 tests/e2e/e2e_support.py --prepare
if [ -n "${DISPLAY:-}" ]; then
  exec "$loader" "$exe" "$@"
fi

Xvfb :97 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:97
trap '"$server" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
"$loader" "$exe" "$@" &
program=$!
for _ in $(seq 120); do
  xdotool search --name '^Velnorid$' >/dev/null 2>&1 && break
  sleep 0.5
done
sleep "${VELNORID_RUN_SECONDS:-6}"
import -window root build/screenshot.png && echo "Screenshot: build/screenshot.png"
"$loader" taskkill /IM Velnorid.exe >/dev/null 2>&1 || true
for _ in $(seq 40); do
  kill -0 $program 2>/dev/null || break
  sleep 0.5
done
echo "Velnorid closed; its settings are in $build/Velnorid.qnf"
