#!/bin/sh
# Configures and builds the three targets: native (Linux, sanitizers), win32 (the product),
# win64 (the same sources for the tests under Wine).
set -eu
cd "$(dirname "$0")/.."
jobs="${VELTHARN_JOBS:-2}"
for preset in native win32 win64; do
  echo "== building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
