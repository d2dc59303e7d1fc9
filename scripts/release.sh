#!/usr/bin/env bash
# Builds both programs from a clean state and writes the release to dist/:
# Velnorid-VERSION-win32.zip (the i386 program) and Velnorid-VERSION-win64.zip
# (its x86_64 twin), each holding the program, its help file, the licence and
# a README for Windows users, and SHA256SUMS over both.
#
# The same sources give the same bytes whatever the folder, the user and the
# time: the link stamps no time, the help file and every zip entry carry the
# time of SOURCE_DATE_EPOCH (the last commit's when it is not set), and the
# entries go in a fixed order with fixed attributes.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine.sh

bash scripts/install-deps.sh
# Outside a git checkout (an unpacked archive, say) the oldest time a zip holds.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
export SOURCE_DATE_EPOCH

rm -rf build/release dist
mkdir -p dist
for arch in 32 64; do
  build=build/release/win$arch
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(wine_toolchain "$arch")" >/dev/null
  cmake --build "$build" -j "$(nproc)" --target Velnorid help_file
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/win32/CMakeCache.txt)

# Text files get Windows line ends, so that Notepad shows them as lines.
python3 - "$version" <<'EOF'
import sys, time, zipfile, os

version = sys.argv[1]
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
members = [("Velnorid.exe", "{build}/Velnorid.exe", False), ("Velnorid.chm", "{build}/Velnorid.chm", False),
           ("README.txt", "docs/README.txt", True), ("LICENSE", "LICENSE", True)]
for arch in ("32", "64"):
    build = f"build/release/win{arch}"
    with zipfile.ZipFile(f"dist/Velnorid-{version}-win{arch}.zip", "w") as archive:
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
(cd dist && sha256sum "Velnorid-$version-win32.zip" "Velnorid-$version-win64.zip" >SHA256SUMS)
ls -l dist
