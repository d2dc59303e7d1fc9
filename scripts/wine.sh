# Sourced by the scripts that run the program under Wine: the one place that
# decides which of the two programs this machine can run and that names the
# Wine loader and server of each (tests/e2e/e2e_support.py asks it too).
#
# Debian's wrappers (wine, wineboot, wine-stable) pick the 32-bit loader
# whenever it is installed, even on a kernel that runs no i386 code, so the
# scripts call the chosen loader directly.

# The architectures are 32 (i386), 64 (x86_64) and arm64, whose Wine is
# Debian's arm64 one: inside the arm64 root, started as wine64.
wine_loader() { [ "$1" = 32 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }
wine_server() { [ "$1" = 32 ] && echo /usr/lib/wine/wineserver32 || echo /usr/lib/wine/wineserver64; }
wine_build_dir() { echo "build/win$1"; }
wine_toolchain() {
  case $1 in
    32) echo cmake/i686-w64-mingw32.cmake ;;
    64) echo cmake/x86_64-w64-mingw32.cmake ;;
    arm64) echo cmake/aarch64-w64-mingw32.cmake ;;
  esac
}
# The arm64 Debian 12 root that scripts/arm64-root.sh makes and keeps, outside
# the work tree, for the next run on this machine.
arm64_root() { echo "${VELNORID_ARM64_ROOT:-/var/cache/velnorid/arm64-root}"; }

# The Wine architectures to use, the release program's (32) first: "32 64"
# where this machine executes i386 code, else "64". VELNORID_WINE=64 forces
# the x86_64 twin alone. Says its choice in one line on standard error.
wine_arches() {
  if [ "${VELNORID_WINE:-}" = 64 ]; then
    echo "Wine: the x86_64 twin under 64-bit Wine only (VELNORID_WINE=64)" >&2
    echo 64
  elif "$(wine_loader 32)" --version >/dev/null 2>&1; then
    echo "Wine: this machine runs i386 code: Velnorid.exe under 32-bit Wine, and its x86_64 twin under 64-bit Wine" >&2
    echo "32 64"
  else
    echo "Wine: this machine runs no i386 code: the x86_64 twin under 64-bit Wine" >&2
    echo 64
  fi
}
