#!/usr/bin/env bash
# Builds the release twice, each time with scripts/release.sh in a copy of
# these sources (as they are here, committed or not) made a checkout of its
# own with one commit, and checks that every file of the two dist/ folders is
# the same byte for byte, that each zip holds exactly the program, its help
# file, the README and the licence, and that the programs in the zips are the
# ones the end-to-end tests run. The second build comes from another shell:
# another folder name, time zone, locale and umask, and compiler and linker
# flags that would change the program if they reached it. Before building,
# release.sh must refuse a copy with a changed file, and one that is no
# checkout when no SOURCE_DATE_EPOCH is given.
source "$(dirname "$0")/../scripts/preamble.sh"
started=$SECONDS

fail() { echo "FAIL: $*" >&2; exit 1; }
# Python's zipfile, since unzip is not among the packages the project installs.
zip_names() { python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1"; }
zip_member() { python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' "$1" "$2"; }

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

# Any time does for comparing two builds; this checkout's last commit's makes
# the sums those a release of it would have.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
# Makes a copy a checkout of its own: one commit of all it holds, at that time.
commit_copy() {
  (cd "$1" && export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_DATE=@$stamp GIT_COMMITTER_DATE=@$stamp &&
    git init -q && git add -A && git -c user.name="Release check" -c user.email=check@velnorid.invalid commit -q -m "The sources as checked")
}

# release.sh in folder $1 stops before it builds, saying $2.
refuses() {
  ! (cd "$1" && env -u SOURCE_DATE_EPOCH bash scripts/release.sh) >"$1.log" 2>&1 && grep -q "$2" "$1.log" &&
    [ ! -e "$1/build" ] || { cat "$1.log"; fail "release.sh in $1 went on instead of stopping with: $2"; }
}

# Builds the release in folder $1, with the environment's NAME=VALUE pairs that follow.
release() {
  local tree=$1
  shift
  env -u SOURCE_DATE_EPOCH "$@" bash "$tree/scripts/release.sh" >"$tree.log" 2>&1 || { cat "$tree.log"; fail "release.sh in $tree"; }
  grep "^Time of the release" "$tree.log"
}

first=$(mktemp -d /tmp/velnorid-release.XXXXXX)
second=$(mktemp -d /tmp/another-folder-for-the-same-release.XXXXXX)
trap 'rm -rf "$first" "$second" "$first.log" "$second.log"' EXIT
copy_sources "$first"
copy_sources "$second"
refuses "$second" "SOURCE_DATE_EPOCH is not set"
commit_copy "$first"
commit_copy "$second"
echo "A change" >>"$first/LICENSE"
refuses "$first" " M LICENSE"
git -C "$first" restore LICENSE

release "$first"
# Each of the two flags changes Velnorid.exe when it reaches the build.
(umask 077 && release "$second" TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 LANGUAGE=de \
  CXXFLAGS=-fno-inline LDFLAGS=-Wl,--build-id)

names=$(cd "$first/dist" && ls)
[ "$names" = "$(cd "$second/dist" && ls)" ] || fail "the two dist/ folders hold different files"
[ "$(echo "$names" | wc -l)" = 4 ] || fail "dist/ holds $(echo "$names" | tr '\n' ' ')instead of three zips and SHA256SUMS"
differing=$(for name in $names; do cmp -s "$first/dist/$name" "$second/dist/$name" || echo "$name"; done)
[ -z "$differing" ] || fail "the two builds differ in" $differing

for platform in win32 win64 arm64; do
  arch=${platform#win}
  zip=$(echo "$first"/dist/Velnorid-*-$platform.zip)
  [ -f "$zip" ] || fail "no $platform zip"
  [ "$(zip_names "$zip")" = "LICENSE README.txt Velnorid.chm Velnorid.exe" ] || fail "$zip holds $(zip_names "$zip")"
  tested=$(wine_build_dir $arch)/Velnorid.exe
  [ -f "$tested" ] || fail "$tested is missing: build the three programs first (scripts/test.sh does)"
  zip_member "$zip" Velnorid.exe | cmp - "$tested" || fail "the program in $zip is not $tested"
done

(cd "$first/dist" && for name in $names; do echo "$(stat -c %s "$name") bytes  $(sha256sum "$name")"; done)
echo "The release, built twice from different folders and shells, is the same; checked in $((SECONDS - started)) s"
