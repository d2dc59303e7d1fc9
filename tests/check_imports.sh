#!/usr/bin/env bash
# Fails when the program imports from any DLL that is not part of Windows
# itself: no runtime library may sneak in.
set -euo pipefail
objdump=$1
exe=$2
allowed=" kernel32.dll user32.dll gdi32.dll comdlg32.dll comctl32.dll iphlpapi.dll shell32.dll ole32.dll imm32.dll "

dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no import table found in $exe"; exit 1; }
status=0
for dll in $dlls; do
  if [[ "$allowed" == *" $dll "* ]]; then
    echo "ok: $dll"
  else
    echo "not a Windows system DLL: $dll"
    status=1
  fi
done
exit $status
