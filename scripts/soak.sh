#!/usr/bin/env bash
# A soak run of the real program: scripts/soak.sh MINUTES (at least 1; 30 or
# more for figures worth reporting). The program runs at 80 ms under Wine in
# a network namespace with changing traffic, link changes, a second veth pair
# with device changes, the popup menu, and suspend and resume; at the end its saved totals are held against the
# kernel's counters and its memory and handles against the first minute's.
# Not part of CI. Needs root; run after scripts/test.sh has built the trees.
source "$(dirname "$0")/preamble.sh"
minutes=${1:?usage: scripts/soak.sh MINUTES}
arches=$(wine_arches)
arch=${arches%% *}
build=$PWD/$(wine_build_dir "$arch")
VELNORID_WINE_ARCH=$arch VELNORID_WINEPREFIX=$build/wine-prefix VELNORID_EXE=$build/Velnorid.exe \
  VELNORID_SYSTEM_EVENT=$build/tests/e2e/SystemEvent.exe \
  python3 tests/e2e/soak.py "$minutes" "$build/tests/e2e/HandleCount.exe"
