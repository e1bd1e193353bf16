#!/bin/sh
# Checks the product binaries of a Windows build folder: 32-bit PE files that import no mingw
# runtime DLL (the runtime is linked in), so they run on a bare Windows.
set -eu
dir="$1"
found=0
for f in $(find "$dir" -maxdepth 5 \( -name 'Veltharn.exe' -o -name 'Pellorix.dll' \) 2>/dev/null); do
  found=1
  format=$(i686-w64-mingw32-objdump -f "$f" | sed -n 's/.*file format //p')
  [ "$format" = "pei-i386" ] || { echo "$f: not a 32-bit PE file ($format)"; exit 1; }
  if i686-w64-mingw32-objdump -p "$f" | grep -i -E 'DLL Name: (libgcc|libstdc|libwinpthread|zlib)'; then
    echo "$f: imports a mingw runtime DLL"; exit 1
  fi
  echo "$f: $format, no runtime DLLs"
done
[ "$found" -eq 1 ] || { echo "no product binaries in $dir"; exit 1; }
dll=$(find "$dir" -maxdepth 5 -name Pellorix.dll | head -n 1)
[ -z "$dll" ] || OBJDUMP=i686-w64-mingw32-objdump agent/tests/check_exports.sh "$dll"
scripts/check-launcher-pe.sh "$dir"
