#!/usr/bin/env bash
# Makes docs/screenshot.png: the program under Wine showing real traffic sent
# through a virtual network pair (the end-to-end traffic test, which saves
# the window's picture on the way). Needs root for the network namespaces.
source "$(dirname "$0")/preamble.sh"

bash scripts/install-deps.sh
arches=$(wine_arches)
arch=${arches%% *}
build=$(wine_build_dir "$arch")
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(wine_toolchain "$arch")" >/dev/null
cmake --build "$build"
VELNORID_WINE_ARCH=$arch VELNORID_EXE=$PWD/$build/Velnorid.exe VELNORID_WINEPREFIX=$PWD/$build/wine-prefix \
  VELNORID_SCREENSHOT=$PWD/docs/screenshot.png python3 tests/e2e/test_real_traffic.py
echo "Screenshot: docs/screenshot.png"
