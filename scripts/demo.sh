#!/bin/sh
# The main job on its embedded defaults: a real update on loopback. Builds the native target,
# makes a small release (version 1200, files stamped with their trailers), starts the reference
# update server on it, and runs the headless launcher on a fresh client folder; then runs it
# once more on the updated folder, which the server now finds current.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "${VELTHARN_JOBS:-2}" --target veltharn-cli veltharn-update-server veltharn-trailer

bin=build/native
cli=$(find "$bin" -name veltharn-cli -type f | head -n 1)
server=$(find "$bin" -name veltharn-update-server -type f | head -n 1)
trailer=$(find "$bin" -name veltharn-trailer -type f | head -n 1)

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/release/system" "$demo/release/Notice" "$demo/client"
printf '1200\n0\n' >"$demo/release/version.txt"
printf 'Welcome to Veltharn.\r\n' >"$demo/release/Notice/Notice-k.txt"
head -c 300000 /dev/urandom >"$demo/release/system/qor.exe"
printf '[video]\r\nwidth=800\r\n' >"$demo/release/system/Veltharntest.ini"
for f in Notice/Notice-k.txt system/qor.exe system/Veltharntest.ini; do
  "$trailer" append "$demo/release/$f" 1200 0 >/dev/null
done

"$server" --release "$demo/release" --port 0 --log "$demo/server.log" &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true' EXIT INT TERM
port=""
for _ in $(seq 1 50); do
  port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$demo/server.log" 2>/dev/null | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the update server did not start"; exit 1; }

for run in first second; do
  echo "== $run run of veltharn-cli on $demo/client"
  status=0
  "$cli" --root "$demo/client" --server 127.0.0.1 --port "$port" --timeout 60 || status=$?
  echo "== exit status $status"
done
echo "== the client's registry ($demo/client/.veltharn.reg)"
cat "$demo/client/.veltharn.reg"
echo "== the server's log"
cat "$demo/server.log"
