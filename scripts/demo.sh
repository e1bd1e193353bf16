#!/bin/sh
# The main job on its embedded defaults: builds everything and shows what was built.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build-all.sh
echo "== built"
for dir in build/native build/win32 build/win64; do
  find "$dir" -maxdepth 3 -type f \( -perm -u+x -o -name '*.exe' -o -name '*.dll' \) \
    ! -path '*/CMakeFiles/*' ! -name '*.sh' | sort | while read -r f; do
    printf '%-48s %s\n' "$f" "$(file -b "$f" | cut -d, -f1-2)"
  done
done
