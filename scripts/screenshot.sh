#!/usr/bin/env bash
# Makes docs/screenshot.png: the program under Wine showing real traffic sent
# through a virtual network pair (the end-to-end traffic test, which saves
# the window's picture on the way). Needs root for the network namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake >/dev/null
cmake --build build/win32
VELNORID_EXE=$PWD/build/win32/Velnorid.exe VELNORID_WINEPREFIX=$PWD/build/win32/wine-prefix \
  VELNORID_SCREENSHOT=$PWD/docs/screenshot.png python3 tests/e2e/test_real_traffic.py
echo "Screenshot: docs/screenshot.png"
