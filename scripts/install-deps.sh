#!/usr/bin/env bash
# Installs what building, testing and running Velnorid need on Debian 12: the
# mingw-w64 cross compilers (i386 and x86_64), clang, lld and the llvm tools
# with the mingw-w64 headers (ARM64), the help compiler, the host test tools,
# 32- and 64-bit Wine with a virtual X display, and what makes and runs the
# arm64 root for the ARM64 program's Wine (debootstrap, qemu-user-static with
# binfmt-support). Installs only what is missing. The names are the
# unversioned ones (fp-utils, libclang-rt-dev: those of the default Free Pascal
# and clang), so other Debian-based systems that carry them likely work too;
# only Debian 12 has been tried.
set -euo pipefail

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ clang libclang-rt-dev googletest libgtest-dev libbenchmark-dev python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 fp-utils
  lld llvm mingw-w64-common debootstrap qemu-user-static binfmt-support
  wine wine32:i386 wine64 xvfb xauth xdotool xclip imagemagick iproute2 iperf3 procps fonts-ipafont-gothic
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
fi
sudo_if_needed apt-get update -q
sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
