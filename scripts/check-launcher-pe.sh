#!/bin/sh
# Checks the product launcher of a win32 build folder from its PE headers: a 32-bit Windows GUI
# program that takes Winsock 1.1 from WSOCK32.dll, exports PatchCallBack by name for the patch
# engine, carries the manifest asking for administrator rights, and ends in its trailer with the
# words 61 and 317.
# Usage: scripts/check-launcher-pe.sh WIN32_BUILD_DIR
set -eu
dir="$1"
exe=$(find "$dir" -maxdepth 5 -name Veltharn.exe -type f | head -n 1)
[ -n "$exe" ] || { echo "check-launcher-pe: no Veltharn.exe in $dir"; exit 1; }
headers=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "$exe: $1"; exit 1; }
echo "$headers" | grep -q 'file format pei-i386' || i686-w64-mingw32-objdump -f "$exe" | grep -q 'pei-i386' ||
  fail "not a 32-bit PE file"
echo "$headers" | grep -q 'Subsystem.*(Windows GUI)' || fail "not a Windows GUI program"
echo "$headers" | grep -qi 'DLL Name: WSOCK32.dll' || fail "does not import WSOCK32.dll"
echo "$headers" | grep -qi 'DLL Name: WS2_32.dll' && fail "imports Winsock 2"
echo "$headers" | grep -Eq '\[ *[0-9]+\] PatchCallBack$' || fail "does not export PatchCallBack by name"
grep -q 'requireAdministrator' "$exe" || fail "has no manifest asking for requireAdministrator"
trailer=$(find "$dir" -maxdepth 3 -name veltharn-trailer -type f | head -n 1)
if [ -n "$trailer" ]; then
  shown=$("$trailer" show "$exe")
  echo "$shown" | grep -qx 'word0 61' && echo "$shown" | grep -qx 'word1 317' &&
    echo "$shown" | grep -q 'matches the CRC-32' || fail "its trailer is not 61 / 317 with its CRC"
fi
echo "$exe: 32-bit GUI, WSOCK32.dll, exports PatchCallBack, requireAdministrator, trailer 61/317"
