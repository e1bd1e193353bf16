#!/bin/sh
# End to end: stamp a file, show it, and check word 2 against an independent CRC-32 of the body.
set -eu
tool="$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/veltharn-trailer.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf '123456789' >"$work/check.bin"
"$tool" append "$work/check.bin" 61 317 >/dev/null
[ "$(wc -c <"$work/check.bin")" -eq 29 ] || fail "the trailer is not 20 bytes"
bytes=$(od -An -tx1 -v "$work/check.bin" | tr -s ' \n' ' ')
[ "$bytes" = " 31 32 33 34 35 36 37 38 39 00 00 00 00 3d 00 00 00 3d 01 00 00 26 39 f4 cb 00 00 00 00 " ] ||
  fail "unexpected bytes:$bytes"

out=$("$tool" show "$work/check.bin") || fail "show does not accept its own trailer: $out"
echo "$out" | grep -qx 'word0 61' || fail "word0: $out"
echo "$out" | grep -qx 'word1 317' || fail "word1: $out"
echo "$out" | grep -qx 'word2 0xCBF43926' || fail "word2: $out"

# A larger body, checked against Python's zlib when there is one.
head -c 100000 /dev/urandom >"$work/big.bin"
cp "$work/big.bin" "$work/body.bin"
"$tool" append "$work/big.bin" 0x10 0 >/dev/null
"$tool" show "$work/big.bin" >/dev/null || fail "big file does not check out"
if command -v python3 >/dev/null; then
  body=$(python3 -c 'import sys,zlib; print("0x%08X" % zlib.crc32(open(sys.argv[1],"rb").read()))' "$work/body.bin")
  "$tool" show "$work/big.bin" | grep -qx "word2 $body" || fail "word2 is not the body's CRC-32 $body"
fi

# A changed body is caught.
printf 'X' | dd of="$work/big.bin" bs=1 seek=5 conv=notrunc 2>/dev/null
if "$tool" show "$work/big.bin" >/dev/null; then fail "a changed body still matches"; fi

# Refusals.
if "$tool" append "$work/missing.bin" 1 2 2>/dev/null; then fail "append to a missing file"; fi
if "$tool" append "$work/check.bin" 1 4294967296 2>/dev/null; then fail "word out of range"; fi
if "$tool" show 2>/dev/null; then fail "usage"; fi
printf 'short' >"$work/short.bin"
if "$tool" show "$work/short.bin" >/dev/null; then fail "a 5-byte file has no trailer"; fi
echo "veltharn-trailer: all checks passed"
