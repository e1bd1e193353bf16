#!/bin/sh
# Builds the benchmarks in a Release folder of their own (build/bench, -O2, no sanitizers) and runs
# them: the update pipeline's paths beside plain loops in one run, as ratios, then the peak
# resident memory of veltharn-cli receiving a 64 MiB and a 1 GiB file and inflating a 256 MiB one
# from a scripted peer on loopback. Needs about 3.5 GB free below $TMPDIR (default /tmp); takes a
# few minutes. Extra arguments go to veltharn-bench (e.g. --benchmark_filter=Quick);
# VELTHARN_BENCH_BUILD names another build folder.
set -eu
cd "$(dirname "$0")/.."
jobs="${VELTHARN_JOBS:-2}"
bin="${VELTHARN_BENCH_BUILD:-build/bench}"
cmake -S . -B "$bin" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DVELTHARN_SANITIZE=OFF -DVELTHARN_BUILD_TESTS=OFF -DVELTHARN_WITH_AGENT=OFF \
  -DVELTHARN_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$bin" -j "$jobs" --target veltharn-bench veltharn-bench-peer veltharn-bench-art veltharn-cli >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/veltharn-bench.XXXXXX")
peer_pid=""
cleanup() {
  [ -n "$peer_pid" ] && kill "$peer_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
export TMPDIR="$work"

echo "== machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
  "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo), load $(cut -d ' ' -f 1-3 /proc/loadavg)"
mkdir -p "$work/art"
"$bin/bench/veltharn-bench-art" "$work/art"
export VELTHARN_BENCH_ART="$work/art"
echo "== the pipeline beside plain loops (3 repetitions each, interleaved; medians)"
"$bin/bench/veltharn-bench" --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_color=false "$@"

# receive KIND SOURCE NAME EXPECTED_BYTES: one exchange of veltharn-cli with the peer serving
# SOURCE as KIND (1 whole, 4 compressed); prints peak resident memory and time.
receive() {
  client="$work/client"
  rm -rf "$client" "$work/port"
  mkdir -p "$client"
  "$bin/bench/veltharn-bench-peer" serve "$work/port" "$2" "$1" "$3" &
  peer_pid=$!
  for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
  port=$(cat "$work/port")
  /usr/bin/time -v "$bin/launcher/headless/veltharn-cli" --root "$client" --server 127.0.0.1 \
    --port "$port" --timeout 300 >"$work/cli.out" 2>"$work/time.out" || {
    echo "veltharn-cli failed:"; cat "$work/cli.out" "$work/time.out"; exit 1; }
  wait "$peer_pid"
  peer_pid=""
  got=$(stat -c %s "$client/$3")
  [ "$got" = "$4" ] || { echo "received $got bytes of $4"; exit 1; }
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.out")
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.out")
  rate=$(echo "$wall" | awk -F: -v bytes="$4" '{ s = $NF + 60 * $(NF - 1); printf "%.0f", bytes / 1048576 / s }')
  printf '%-36s peak RSS %6d KiB, wall %s (%s MiB/s of output)\n' "$5" "$rss" "$wall" "$rate"
  rm -rf "$client"
}

peer="$bin/bench/veltharn-bench-peer"
echo
echo "== veltharn-cli against a scripted peer on loopback (/usr/bin/time -v)"
"$peer" make-file "$work/small.dat" 64
# The peer's source is written back first, so its writeback does not slow the client's writes.
sync "$work/small.dat"
receive 1 "$work/small.dat" small.dat $((64 << 20)) "whole file, 64 MiB"
rm -f "$work/small.dat"
"$peer" make-file "$work/big.dat" 1024
sync "$work/big.dat"
receive 1 "$work/big.dat" big.dat $((1024 << 20)) "whole file, 1 GiB"
rm -f "$work/big.dat"
"$peer" make-stream "$work/packed.zlib" 256 >/dev/null
sync "$work/packed.zlib"
receive 4 "$work/packed.zlib" packed.dat $((256 << 20)) "compressed file, 256 MiB inflated"
