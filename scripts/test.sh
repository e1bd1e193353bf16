#!/bin/sh
# Every test: builds all three targets, runs the native tests, a short fuzz run of every fuzz
# target (skipped without clang's libFuzzer), the product checks (with the CRC-32 engines built as
# 32-bit x86 code) and the win64 tests under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build-all.sh
echo "== native tests"
ctest --preset native -j 2
echo "== short fuzz runs (libFuzzer, a few seconds per target)"
scripts/fuzz.sh "${VELTHARN_FUZZ_SECONDS:-6}"
echo "== win32 product checks"
scripts/check-product.sh build/win32
echo "== the CRC-32 engines as 32-bit x86 code"
scripts/check-crc32-i686.sh build/i686-check
echo "== win64 tests under Wine"
. scripts/wine-prefix.sh
. scripts/xvfb.sh
trap "wine_prefix_stop; xvfb_stop" EXIT INT TERM
xvfb_start  # the window classes' tests open windows
wine_prefix_start
ctest --preset win64
wine_prefix_stop
xvfb_stop
echo "== Veltharn.exe end to end under Wine"
scripts/wine-e2e.sh build/win64 build/native
