#!/bin/sh
# Builds the libFuzzer targets with clang and runs each of them over its seed corpus.
#   scripts/fuzz.sh [SECONDS]   seconds per target (default 600); new inputs go to build/fuzz/corpus
# scripts/test.sh runs the same targets for a few seconds each (VELTHARN_FUZZ_SECONDS).
# Prints, per target, the executions done; a crash stops the run and leaves its input in
# build/fuzz/artifacts.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-600}"
build="${VELTHARN_FUZZ_BUILD:-build/fuzz}"
jobs="${VELTHARN_JOBS:-2}"

if ! command -v clang++ >/dev/null 2>&1 ||
   ! printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' |
     clang++ -x c++ -fsanitize=fuzzer - -o /tmp/veltharn-fuzz-probe.$$ >/dev/null 2>&1; then
  echo "== fuzzing skipped: clang++ with libFuzzer (-fsanitize=fuzzer) is not available"
  exit 0
fi
rm -f /tmp/veltharn-fuzz-probe.$$

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target fuzzers -j "$jobs" >/dev/null
mkdir -p "$build/artifacts"
for target in fuzz/fuzz_*.cpp; do
  name=$(basename "$target" .cpp)
  seeds="fuzz/corpus/${name#fuzz_}"
  found="$build/corpus/${name#fuzz_}"
  mkdir -p "$found"
  log="$build/$name.log"
  if ! "$build/$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=70000 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$found" "$seeds" >"$log" 2>&1; then
    tail -40 "$log"
    echo "== $name FAILED (its input is in $build/artifacts)"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "== $name: $runs executions in ${seconds}s"
done
