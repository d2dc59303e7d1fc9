#!/usr/bin/env bash
# Makes the arm64 Debian 12 root in which the ARM64 program's end-to-end tests
# run Debian's arm64 Wine, through qemu-user-static and binfmt_misc, unless it
# is there: debootstrap from the Debian mirror this machine's apt uses, with
# Wine and the Japanese fonts (about 3 to 5 minutes and 565 MiB). It stays where
# wine.sh's arm64_root says, outside the work tree, for the next run; a root
# half made is never used. Says why when it cannot make it.
source "$(dirname "$0")/preamble.sh"

root=$(arm64_root)
fail() { echo "arm64-root.sh: cannot make the arm64 root $root: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "debootstrap, chroot and the mounts in it need root."
for tool in debootstrap update-binfmts /usr/libexec/qemu-binfmt/aarch64-binfmt-P; do
  command -v "$tool" >/dev/null || fail "$tool is missing; scripts/install-deps.sh installs it."
done
# The kernel hands arm64 programs to qemu. Machines without systemd have
# neither the binfmt_misc file system mounted nor qemu's entry enabled.
binfmt=/proc/sys/fs/binfmt_misc
[ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt || fail "binfmt_misc cannot be mounted on $binfmt."
[ -e $binfmt/qemu-aarch64 ] || update-binfmts --enable qemu-aarch64 || fail "update-binfmts cannot enable qemu-aarch64."
grep -qx enabled $binfmt/qemu-aarch64 || fail "$binfmt/qemu-aarch64 is disabled."

if [ ! -x "$root/usr/lib/wine/wine64" ]; then
  mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Codename: bookworm' 'Identifier: Packages' | head -1)
  mirror=${mirror:-http://deb.debian.org/debian/}
  echo "Making the arm64 root $root from $mirror (about 5 minutes)"
  partial=$root.partial
  rm -rf "$partial"
  mkdir -p "$partial"
  if ! debootstrap --arch=arm64 --variant=minbase --include=wine64,fonts-ipafont-gothic bookworm "$partial" "$mirror" \
      >"$partial.log" 2>&1; then
    tail -n 20 "$partial.log" >&2
    fail "debootstrap failed (its last words above, all of them in $partial.log)."
  fi
  rm -f "$partial.log" "$partial"/var/cache/apt/archives/*.deb
  mv "$partial" "$root"
  echo "Made the arm64 root: $(du -sh "$root" | cut -f1)"
fi
# This machine's paths name the same files inside the root: the root's own
# path leads back to its top, so a folder made in it is found at one name.
mkdir -p "$root$(dirname "$root")"
ln -sfn / "$root$root"
