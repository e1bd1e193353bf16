#!/bin/sh
# The real Windows launcher (the win64 build of Veltharn.exe, which talks to 127.0.0.1:29009)
# under Wine and Xvfb, updating a fresh client folder from the reference update server, driven
# and checked from outside: the files and the registry values, the window's buttons and bars, a
# second start that leaves the first window alone and ends, Full Check running the exchange again,
# and Start running the game from .\system in place of the launcher.
# Usage: scripts/wine-e2e.sh WIN64_BUILD_DIR NATIVE_BUILD_DIR
# VELTHARN_SCREENSHOT=FILE.png keeps a picture of the window at the end of the update.
set -eu
win64="$1"
native="$2"
port=29009
# The window title is text 603 of the language Wine runs in (LC_ALL); the Korean one for a run
# with LC_ALL=ko_KR.UTF-8.
title="${VELTHARN_E2E_TITLE:-Veltharn Automatic Update}"
exe=$(find "$win64" -maxdepth 5 -name Veltharn.exe -type f | head -n 1)
driver=$(find "$win64" -maxdepth 4 -name veltharn_driver.exe -type f | head -n 1)
server=$(find "$native" -maxdepth 4 -name veltharn-update-server -type f | head -n 1)
trailer=$(find "$native" -maxdepth 4 -name veltharn-trailer -type f | head -n 1)
[ -n "$exe" ] && [ -n "$driver" ] && [ -n "$server" ] && [ -n "$trailer" ] ||
  { echo "wine-e2e: build first"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/veltharn-wine-e2e.XXXXXX")
mkdir -p "$work/client" "$work/release/system"
cp "$exe" "$work/client/Veltharn.exe"
printf '1300\n2\n' >"$work/release/version.txt"
# The driver stands in for the game: started as qor.exe it notes where it runs.
cp "$driver" "$work/release/system/qor.exe"
yes 'compressible map data' | head -c 500000 >"$work/release/system/map.pak"
for f in system/qor.exe system/map.pak; do "$trailer" append "$work/release/$f" 1300 0 >/dev/null; done

. scripts/wine-prefix.sh
. scripts/xvfb.sh
server_pid=""
cleanup() {
  wine_prefix_stop
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
  echo "wine-e2e: $1"
  cat "$work/server.log" "$work/reg.txt" "$work/wine.out" 2>/dev/null || true
  grep -v -e wine32 -e multiarch -e "apt-get" -e "^execute" "$work/wine.err" 2>/dev/null | head -n 20
  exit 1
}
drive() { wine "$work/driver.exe" "$@" 2>>"$work/driver.err" </dev/null; }

xvfb_start
"$server" --release "$work/release" --port "$port" --log "$work/server.log" &
server_pid=$!
for _ in $(seq 1 50); do
  grep -q '127\.0\.0\.1' "$work/server.log" 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || fail "the update server cannot listen on port $port"
  sleep 0.1
done
wine_prefix_start
cp "$driver" "$work/driver.exe"

(cd "$work/client" && WINEDEBUG=err+all wine Veltharn.exe >"$work/wine.out" 2>"$work/wine.err" </dev/null &)
drive wait "$title" 30 || fail "no launcher window"
(cd "$work/client" && drive resources Veltharn.exe >"$work/resources.txt") ||
  fail "resources: $(cat "$work/resources.txt")"

# The exchange runs, then the agent step (no Pellorix.dll here) ends with Start enabled.
for _ in $(seq 1 600); do
  grep -q '^exchange completed' "$work/server.log" && break
  sleep 0.1
done
grep -q '^exchange completed' "$work/server.log" || fail "the exchange did not complete"
# Start is disabled from the connect on, until the agent step has ended.
drive wait-enabled "$title" 1001 60 || fail "Start was not enabled"
state=$(drive state "$title" | tr -d '\r')
echo "wine-e2e: window after the update: $state"
case "$state" in
  "fullcheck=1 start=1 cancel=1 close=1 size=800x600 shape=skin drag=caption "*) ;;
  *) fail "unexpected window state: $state" ;;
esac
total=$(echo "$state" | sed -n 's/.*total=\([0-9]*\)\/\([0-9]*\).*/\1 \2/p')
set -- $total
[ "$#" -eq 2 ] && [ "$1" -eq "$2" ] && [ "$2" -gt 0 ] || fail "the total bar is not full: $state"
if [ -n "${VELTHARN_SCREENSHOT:-}" ]; then
  xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop 800x600+0+0 "$VELTHARN_SCREENSHOT" || true
fi

wine reg query 'HKLM\SOFTWARE\Brennix\QorTestClient' >"$work/reg.txt" 2>&1 </dev/null || true
grep -q 'global_version *REG_DWORD *0x514' "$work/reg.txt" || fail "global_version is not 1300"
grep -q 'separate_version *REG_DWORD *0x2' "$work/reg.txt" || fail "separate_version is not 2"
cmp -s "$work/release/system/qor.exe" "$work/client/system/qor.exe" || fail "qor.exe differs"
cmp -s "$work/release/system/map.pak" "$work/client/system/map.pak" || fail "map.pak differs"
grep -q 'kind 4' "$work/server.log" || fail "no compressed transfer was made"

# A second launcher finds the first by its window and ends; the first stays.
(cd "$work/client" && wine Veltharn.exe >"$work/second.out" 2>"$work/second.err" </dev/null) ||
  fail "the second launcher did not end cleanly"
[ "$(drive count "$title" | tr -d '\r')" = "1" ] || fail "not exactly one launcher window"

# Full Check runs the exchange again, inspecting every file, and ends with Start enabled again.
drive click "$title" 1000 || fail "Full Check cannot be clicked"
for _ in $(seq 1 600); do
  [ "$(grep -c '^exchange completed' "$work/server.log")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c '^exchange completed' "$work/server.log")" -ge 2 ] || fail "Full Check did not complete"
drive wait-enabled "$title" 1001 60 || fail "Start was not enabled after Full Check"

# Start runs .\qor.exe in .\system and the launcher ends.
drive click "$title" 1001 || fail "Start cannot be clicked"
drive gone "$title" 20 || fail "the launcher did not end after Start"
for _ in $(seq 1 50); do [ -s "$work/client/system/game-started.txt" ] && break; sleep 0.1; done
grep -q 'folder .*\\system' "$work/client/system/game-started.txt" 2>/dev/null ||
  fail "the game was not started in .\\system"
echo "wine-e2e: Veltharn.exe updated a client to 1300 under Wine, refused a second copy, ran Full Check and started the game"
