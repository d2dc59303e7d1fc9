#!/usr/bin/env bash
# Builds the three programs from a clean state and writes the release to dist/:
# Velnorid-VERSION-win32.zip (the i386 program), Velnorid-VERSION-win64.zip
# (its x86_64 twin) and Velnorid-VERSION-arm64.zip (the ARM64 one), each holding
# the program, its help file, the licence and a README for Windows users, and
# SHA256SUMS over all three.
#
# The same commit gives the same bytes whatever the folder, the user, the
# time and the shell it is built from: the link stamps no time, the help file
# and every zip entry carry the time of SOURCE_DATE_EPOCH (the last commit's
# when it is not set), the entries go in a fixed order with fixed attributes,
# and the build sees none of the caller's environment. It installs nothing
# (the release check runs it as a test): scripts/install-deps.sh does.
source "$(dirname "$0")/preamble.sh"

refuse() { { echo "release.sh: $1"; shift; for line; do echo "$line"; done; } >&2; exit 1; }

missing=()
for tool in cmake ninja i686-w64-mingw32-g++ i686-w64-mingw32-windres x86_64-w64-mingw32-g++ \
    x86_64-w64-mingw32-windres clang++ ld.lld llvm-dlltool chmcmd python3; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
[ ${#missing[@]} -eq 0 ] || refuse "missing: ${missing[*]}" "bash scripts/install-deps.sh installs them."

# The time every file carries: SOURCE_DATE_EPOCH when given, else the last
# commit's, taken only from a checkout of this very tree (not from a parent
# repository). No other: a guessed time gives bytes no checkout of the commit gives.
tree=$(pwd -P)
if [ -e .git ]; then
  git_top=$(git rev-parse --show-toplevel) || refuse "git does not read this checkout (its words above)."
  [ "$git_top" = "$tree" ] || refuse "git takes $git_top, not $tree, for the top of this checkout."
  commit=$(git log -1 --format=%H)
  changes=$(git status --porcelain)
  [ -z "$changes" ] || refuse "the tree differs from its last commit $commit:" "$changes" \
    "The release would carry that commit's version and time while holding other bytes." \
    "Commit the changes, or move them out of the tree, first."
fi
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  origin="SOURCE_DATE_EPOCH as given"
elif [ -n "${commit:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  origin="commit $commit of this checkout"
else
  refuse "no time to give the release: SOURCE_DATE_EPOCH is not set and $tree is no git checkout (it has no .git)." \
    "Release from a checkout of the commit, or give its time: SOURCE_DATE_EPOCH=SECONDS bash scripts/release.sh" \
    "(the seconds since 1970 that git log -1 --format=%ct prints in that checkout)."
fi
echo "Time of the release: $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC') ($SOURCE_DATE_EPOCH), from $origin"

# CMake takes CFLAGS, CXXFLAGS, LDFLAGS and RCFLAGS from the environment, gcc
# CPATH and LIBRARY_PATH, Python PYTHONPATH, every tool the locale and time
# zone: rather than a list that misses one, each step runs with only the
# program path, the C locale, UTC and the release's time. The umask gives
# the written files the same modes.
umask 022
in_clean_env() { env -i PATH="$PATH" LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" "$@"; }

rm -rf build/release dist
mkdir -p dist
for arch in 32 64 arm64; do
  build=build/release/win$arch
  in_clean_env cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(wine_toolchain "$arch")" >/dev/null
  in_clean_env cmake --build "$build" -j "$(nproc)" --target Velnorid help_file
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/win32/CMakeCache.txt)

# Text files get Windows line ends, so that Notepad shows them as lines.
in_clean_env python3 - "$version" <<'EOF'
import sys, time, zipfile, os

version = sys.argv[1]
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
members = [("Velnorid.exe", "{build}/Velnorid.exe", False), ("Velnorid.chm", "{build}/Velnorid.chm", False),
           ("README.txt", "docs/README.txt", True), ("LICENSE", "LICENSE", True)]
for arch, platform in (("32", "win32"), ("64", "win64"), ("arm64", "arm64")):
    build = f"build/release/win{arch}"
    with zipfile.ZipFile(f"dist/Velnorid-{version}-{platform}.zip", "w") as archive:
        for name, source, text in members:
            with open(source.format(build=build), "rb") as f:
                data = f.read()
            if text:
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(name, stamp)
            entry.create_system = 3  # attributes given as on Unix: a plain file, rw-r--r--
            entry.external_attr = 0o100644 << 16
            archive.writestr(entry, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
EOF
(cd dist && sha256sum "Velnorid-$version-win32.zip" "Velnorid-$version-win64.zip" "Velnorid-$version-arm64.zip" >SHA256SUMS)
ls -l dist
