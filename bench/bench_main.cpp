// veltharn-bench: the update pipeline's benchmarks and their ratios to the plain loops.
// Takes Google Benchmark's options; scripts/bench.sh runs it with repetitions interleaved.

#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  veltharn::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintRatios({
      {"full check, full mode, 1 GiB", "BM_FullCheckHandlers", "BM_FullCheckPlainLoop", 0.6},
      {"quick check, 10,000 files", "BM_QuickCheckHandlers", "BM_QuickCheckPlainLoop", 0.8},
      {"transfer 1 GiB over loopback", "BM_TransferHandlers", "BM_TransferPlainLoop", 0.9},
      {"inflate 256 MiB", "BM_InflateFile", "BM_InflatePlainZlib", 0.9},
  });
  return 0;
}
