#!/bin/sh
# The main job on its embedded defaults: a real update on loopback. Builds the native target and
# makes two releases of a small client (1100, then 1200 with a changed game program, a new data
# file, a staged file and a removed notice). The reference update server serves each in turn and
# the headless launcher updates one client folder across the change; a last run finds it current.
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
mkdir -p "$demo/client"

# release VERSION FILE... : a release folder with the given files, each stamped with its trailer.
stamp() {
  "$trailer" append "$1" "$2" 0 >/dev/null
}
a="$demo/release-1100"
mkdir -p "$a/system" "$a/Notice"
printf '1100\n0\n' >"$a/version.txt"
printf 'Welcome to Veltharn.\r\n' >"$a/Notice/Notice-k.txt"
head -c 200000 /dev/urandom >"$a/system/qor.exe"
printf '[video]\r\nwidth=800\r\n' >"$a/system/Veltharntest.ini"
for f in Notice/Notice-k.txt system/qor.exe system/Veltharntest.ini; do stamp "$a/$f" 1100; done

b="$demo/release-1200"
mkdir -p "$b/system" "$b/data"
printf '1200\n0\n' >"$b/version.txt"
head -c 250000 /dev/urandom >"$b/system/qor.exe"
cp "$a/system/Veltharntest.ini" "$b/system/Veltharntest.ini"
yes 'the same map tile, compressed well' | head -c 2000000 >"$b/data/map.pak"
printf 'staged rules\r\n' >"$b/system/rules.dat"
for f in system/qor.exe data/map.pak system/rules.dat; do stamp "$b/$f" 1200; done
printf 'system\\rules.dat\n' >"$b/staged.txt"
printf 'Notice\\Notice-k.txt\n' >"$b/removed.txt"

server_pid=""
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT INT TERM

# serve RELEASE: starts the reference server on a free port and sets $port.
serve() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
  log="$1.log"
  rm -f "$log"
  "$server" --release "$1" --port 0 --log "$log" &
  server_pid=$!
  port=""
  for _ in $(seq 1 50); do
    port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log" 2>/dev/null | head -n 1)
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { echo "the update server did not start"; exit 1; }
}

run() {
  echo "== $1"
  status=0
  "$cli" --root "$demo/client" --server 127.0.0.1 --port "$port" --timeout 60 || status=$?
  echo "== exit status $status; the client folder now holds:"
  (cd "$demo/client" && find . -type f ! -name '.veltharn.reg' | sort | sed 's/^/   /')
  grep global_version "$demo/client/.veltharn.reg" | sed 's/^/   registry: /'
}

serve "$a"
run "a fresh client and release 1100"
serve "$b"
run "the same client and release 1200"
run "once more: the client is current"
echo "== what the server did for release 1200"
cat "$b.log"
