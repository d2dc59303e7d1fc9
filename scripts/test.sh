#!/usr/bin/env bash
# Builds everything and runs every test: the host unit tests and fuzz targets
# under sanitizers, then the Windows program's checks and its end-to-end tests
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
cmake --build build/win32
CXX=clang++ cmake -S . -B build/host -G Ninja
cmake --build build/host

echo "== Host tests (unit tests and fuzz targets)"
(cd build/host && ctest --output-on-failure)
echo "== Program tests (imports and end to end under Wine)"
(cd build/win32 && ctest --output-on-failure)
echo "Velnorid.exe: $(stat -c %s build/win32/Velnorid.exe) bytes"
