#!/usr/bin/env bash
# Builds everything and runs every test: the host unit tests and fuzz targets
# under sanitizers, the three Windows programs' checks, and the end-to-end
# tests under Wine against every program this machine can run, the ARM64 one
# under Debian's arm64 Wine in an arm64 root through qemu-user.
source "$(dirname "$0")/preamble.sh"

bash scripts/install-deps.sh
arches=$(wine_arches)

for arch in 32 64 arm64; do
  cmake -S . -B "$(wine_build_dir $arch)" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(wine_toolchain $arch)"
  cmake --build "$(wine_build_dir $arch)"
done
CXX=clang++ cmake -S . -B build/host -G Ninja
cmake --build build/host

echo "== Host tests (unit tests and fuzz targets)"
(cd build/host && ctest --output-on-failure)
for arch in 32 64 arm64; do
  echo "== $(wine_build_dir $arch): the program's own checks"
  (cd "$(wine_build_dir $arch)" && ctest --output-on-failure -LE e2e)
done
# Wine and the X server on a shared machine now and then lose a start: a
# suite that fails is run once more, its first output kept in the log, and
# one that fails twice fails the run.
for arch in $arches; do
  echo "== $(wine_build_dir $arch): end to end under $arch-bit Wine"
  (cd "$(wine_build_dir $arch)" && ctest --output-on-failure --repeat until-pass:2 -L e2e)
done
# The arm64 root is made once per machine (minutes) and kept outside the tree.
arm_started=$SECONDS
bash scripts/arm64-root.sh
echo "== $(wine_build_dir arm64): end to end under arm64 Wine through qemu-user"
(cd "$(wine_build_dir arm64)" && ctest --output-on-failure --repeat until-pass:2 -L e2e)
echo "The ARM64 program's end-to-end part, the root included: $((SECONDS - arm_started)) s"
for arch in 32 64 arm64; do
  echo "$(wine_build_dir $arch)/Velnorid.exe: $(stat -c %s "$(wine_build_dir $arch)/Velnorid.exe") bytes"
done
