#include "bench/ratio_reporter.h"

#include <cstdio>

namespace veltharn::bench {
namespace {

double Counter(const benchmark::BenchmarkReporter::Run& run, const char* name) {
  auto found = run.counters.find(name);
  return found == run.counters.end() ? 0 : static_cast<double>(found->second);
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred) continue;
    // The median of the repetitions, or the one run when there are none.
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
    if (!median && !single) continue;
    Median& m = medians_[run.run_name.function_name];
    m.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    m.bytesPerSecond = Counter(run, "bytes_per_second");
    m.itemsPerSecond = Counter(run, "items_per_second");
  }
}

bool RatioReporter::PrintRatios(const std::vector<Pairing>& pairings) const {
  auto rate = [](const Median& m) {
    char text[64];
    if (m.bytesPerSecond > 0) {
      std::snprintf(text, sizeof text, "%8.0f MiB/s", m.bytesPerSecond / (1 << 20));
    } else {
      std::snprintf(text, sizeof text, "%8.0f files/s", m.itemsPerSecond);
    }
    return std::string(text);
  };
  bool met = true;
  std::printf("\n%-34s %16s %16s %7s %6s\n", "path vs baseline (medians)", "measured", "baseline",
              "ratio", "goal");
  for (const Pairing& p : pairings) {
    auto measured = medians_.find(p.measured);
    auto baseline = medians_.find(p.baseline);
    if (measured == medians_.end() || baseline == medians_.end()) continue;
    const double ratio = baseline->second.seconds / measured->second.seconds;
    const bool ok = ratio >= p.goal;
    met = met && ok;
    std::printf("%-34s %16s %16s %7.2f %6.2f %s\n", p.what.c_str(), rate(measured->second).c_str(),
                rate(baseline->second).c_str(), ratio, p.goal, ok ? "met" : "MISSED");
  }
  return met;
}

}  // namespace veltharn::bench
