#!/usr/bin/env bash
# Fails when the program imports anything but the functions of Windows' own
# DLLs that platform/imports/*.def list: no runtime library may sneak in, and
# the list, from which the ARM64 build makes its import libraries, holds every
# call of every build. Reads GNU's and LLVM's objdump alike.
set -euo pipefail
objdump=$1
exe=$2
lists=$(dirname "$0")/../platform/imports

imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ {dll = tolower($3); next} /^[ \t]*$/ {dll = ""}
  dll && /^[ \t]*([0-9a-f]+[ \t]+)+[A-Za-z_][A-Za-z0-9_]*[ \t]*$/ {print dll, $NF}')
[ -n "$imports" ] || { echo "no import table found in $exe"; exit 1; }
status=0
while read -r dll function; do
  list=$lists/${dll%.dll}.def
  if [ ! -f "$list" ]; then
    echo "not a Windows system DLL: $dll ($function)"
    status=1
  elif ! grep -qx "$function" "$list"; then
    echo "$dll: $function is not in ${list#*/../}"
    status=1
  fi
done <<<"$imports"
echo "$(wc -l <<<"$imports") functions from $(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')"
exit $status
