#!/bin/sh
# Runs one Windows program under Wine, in the prefix that scripts/test.sh prepared (WINEPREFIX).
# Output goes to files first: a pipe inherited by wineserver would never close.
set -eu
: "${WINEPREFIX:?scripts/wine-run.sh needs the WINEPREFIX that scripts/test.sh prepares}"
export WINEDEBUG="${WINEDEBUG:--all}"
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
status=0
wine "$@" >"$log.out" 2>"$log.err" </dev/null || status=$?
cat "$log.out"
cat "$log.err" >&2
rm -f "$log" "$log.out" "$log.err"
exit "$status"
