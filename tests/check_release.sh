#!/usr/bin/env bash
# Builds the release twice, from copies of these sources in two folders of
# different names, and checks that every file of the two dist/ folders is the
# same byte for byte, that each zip holds exactly the program, its help file,
# the README and the licence, that the programs in the zips are the ones the
# end-to-end tests run, that SHA256SUMS verifies, and that no build path
# reached the program or its help file.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine.sh
started=$SECONDS

fail() { echo "FAIL: $*" >&2; exit 1; }
# Python's zipfile, since unzip is not among the packages the project installs.
zip_names() { python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1"; }
zip_member() { python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' "$1" "$2"; }

# Both builds carry this checkout's commit time, as a release from it would.
if commit_time=$(git log -1 --format=%ct 2>/dev/null); then export SOURCE_DATE_EPOCH=$commit_time; fi

# The sources as they are in this tree, committed or not; without git, all but the outputs.
copy_sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
      tar --null -T - -cf - | tar -xf - -C "$1"
  else
    tar --exclude=./build --exclude=./dist -cf - . | tar -xf - -C "$1"
  fi
}

first=$(mktemp -d /tmp/velnorid-release.XXXXXX)
second=$(mktemp -d /tmp/another-folder-for-the-same-release.XXXXXX)
trap 'rm -rf "$first" "$second" "$first.log" "$second.log"' EXIT
for tree in "$first" "$second"; do
  copy_sources "$tree"
  bash "$tree/scripts/release.sh" >"$tree.log" 2>&1 || { cat "$tree.log"; fail "release.sh in $tree"; }
done

names=$(cd "$first/dist" && ls)
[ "$names" = "$(cd "$second/dist" && ls)" ] || fail "the two dist/ folders hold different files"
[ "$(echo "$names" | wc -l)" = 3 ] || fail "dist/ holds $(echo "$names" | tr '\n' ' ')instead of two zips and SHA256SUMS"
for name in $names; do
  cmp "$first/dist/$name" "$second/dist/$name" || fail "dist/$name differs between two builds"
done
(cd "$first/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"

for arch in 32 64; do
  zip=$(echo "$first"/dist/Velnorid-*-win$arch.zip)
  [ -f "$zip" ] || fail "no win$arch zip"
  [ "$(zip_names "$zip")" = "LICENSE README.txt Velnorid.chm Velnorid.exe" ] || fail "$zip holds $(zip_names "$zip")"
  tested=$(wine_build_dir $arch)/Velnorid.exe
  [ -f "$tested" ] || fail "$tested is missing: build both programs first (scripts/test.sh does)"
  zip_member "$zip" Velnorid.exe | cmp - "$tested" || fail "the program in $zip is not $tested"
  for member in Velnorid.exe Velnorid.chm; do
    zip_member "$zip" $member >"$first/$member"
    found=$( (strings -a "$first/$member"; strings -a -el "$first/$member") |
      grep -e "$first" -e "$second" -e "$PWD" -e /tmp/ -e /home/ -e /root/ -e /build/ || true)
    [ -z "$found" ] || fail "$member of the win$arch zip holds a build path: $found"
  done
done

(cd "$first/dist" && for name in $names; do echo "$(stat -c %s "$name") bytes  $(sha256sum "$name")"; done)
echo "The release, built twice in different folders, is the same; checked in $((SECONDS - started)) s"
