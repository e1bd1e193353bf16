#!/bin/sh
# Builds the CRC-32 engines as 32-bit x86 code (g++ -m32, as the product's Veltharn.exe runs
# them) with a check program, and runs it: Wine here runs only 64-bit programs, so this is where
# the 32-bit engine's results are compared with zlib's.
set -eu
cd "$(dirname "$0")/.."
out="${1:-build/i686-check}"
mkdir -p "$out"
g++ -m32 -std=c++20 -O2 -Wall -Wextra -Werror -mincoming-stack-boundary=2 -I. \
  tests/i686/crc32_engine_check.cpp launcher/update/crc32.cpp launcher/update/crc32_clmul.cpp \
  -lz -o "$out/crc32_engine_check"
"$out/crc32_engine_check"
