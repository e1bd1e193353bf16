#!/bin/sh
# Checks that a built Pellorix.dll exports exactly the eight agent names, undecorated.
set -eu
dll="$1"
objdump="${OBJDUMP:-i686-w64-mingw32-objdump}"
expected="CheckAppoint CheckInstalled CloseAppoint QelCheckInstalled QelExecute QelInspector QelInstall StartAppoint"
actual=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
         sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "$dll exports: $actual"
  echo "expected:        $expected"
  exit 1
fi
echo "$dll: the eight agent exports"
