#!/bin/sh
# The real Windows launcher (the win64 build of Veltharn.exe) under Wine and Xvfb, updating a
# fresh client folder from the reference update server on loopback: the files arrive, the
# versions land in the registry as REG_DWORDs, and the window shows the end of the exchange.
# Usage: scripts/wine-e2e.sh WIN64_BUILD_DIR NATIVE_BUILD_DIR
set -eu
win64="$1"
native="$2"
exe=$(find "$win64" -maxdepth 5 -name Veltharn.exe -type f | head -n 1)
server=$(find "$native" -maxdepth 4 -name veltharn-update-server -type f | head -n 1)
trailer=$(find "$native" -maxdepth 4 -name veltharn-trailer -type f | head -n 1)
[ -n "$exe" ] && [ -n "$server" ] && [ -n "$trailer" ] || { echo "wine-e2e: build first"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/veltharn-wine-e2e.XXXXXX")
mkdir -p "$work/client" "$work/release/system"
cp "$exe" "$work/client/Veltharn.exe"
printf '1300\n2\n' >"$work/release/version.txt"
head -c 100000 /dev/urandom >"$work/release/system/qor.exe"
yes 'compressible map data' | head -c 500000 >"$work/release/system/map.pak"
for f in system/qor.exe system/map.pak; do "$trailer" append "$work/release/$f" 1300 0 >/dev/null; done

. scripts/wine-prefix.sh
server_pid=""
xvfb_pid=""
cleanup() {
  wine_prefix_stop
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

display=":$((90 + $$ % 100))"
Xvfb "$display" -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
# The win64 build has its test server compiled in: 127.0.0.1, port 29009.
"$server" --release "$work/release" --port "${VELTHARN_E2E_PORT:-29009}" --log "$work/server.log" &
server_pid=$!
port=""
for _ in $(seq 1 50); do
  port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log" 2>/dev/null | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "wine-e2e: the update server did not start"; exit 1; }

# Wine's desktop process starts with the prefix and keeps the display it was given.
export DISPLAY="$display"
sleep 1
kill -0 "$xvfb_pid" 2>/dev/null || { echo "wine-e2e: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
wine_prefix_start
(cd "$work/client" && WINEDEBUG=err+all wine Veltharn.exe >"$work/wine.out" 2>"$work/wine.err" </dev/null &)

ok=0
for _ in $(seq 1 60); do
  if grep -q '^exchange completed' "$work/server.log" 2>/dev/null; then ok=1; break; fi
  sleep 0.5
done
wine reg query 'HKLM\SOFTWARE\Brennix\QorTestClient' >"$work/reg.txt" 2>&1 </dev/null || true
if [ -n "${VELTHARN_SCREENSHOT:-}" ]; then
  xwd -root -silent -display "$display" | convert xwd:- "$VELTHARN_SCREENSHOT" || true
fi

fail() {
  echo "wine-e2e: $1"
  cat "$work/server.log" "$work/reg.txt" "$work/xvfb.log" "$work/wine.out"
  grep -v -e wine32 -e multiarch -e "apt-get" -e "^execute" "$work/wine.err" | head -n 20
  exit 1
}
[ "$ok" -eq 1 ] || fail "the exchange did not complete"
grep -q 'global_version *REG_DWORD *0x514' "$work/reg.txt" || fail "global_version is not 1300"
grep -q 'separate_version *REG_DWORD *0x2' "$work/reg.txt" || fail "separate_version is not 2"
cmp -s "$work/release/system/qor.exe" "$work/client/system/qor.exe" || fail "qor.exe differs"
cmp -s "$work/release/system/map.pak" "$work/client/system/map.pak" || fail "map.pak differs"
grep -q 'kind 4' "$work/server.log" || fail "no compressed transfer was made"
echo "wine-e2e: Veltharn.exe updated a client to 1300 under Wine (files and registry checked)"
