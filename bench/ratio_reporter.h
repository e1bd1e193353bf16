#pragma once

// The console report of Google Benchmark, plus the table this project reads: each measured path
// beside its baseline from the same run, as a ratio of their median times.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace veltharn::bench {

struct Pairing {
  std::string what;      // the line's title
  std::string measured;  // the benchmark's function name
  std::string baseline;
  double goal = 0;  // the smallest ratio that meets the goal
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Plain text: the report goes into docs as it stands.
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override;
  // Prints one line per pairing whose two sides both ran; true when every such ratio meets its
  // goal.
  bool PrintRatios(const std::vector<Pairing>& pairings) const;

 private:
  struct Median {
    double seconds = 0;
    double bytesPerSecond = 0;
    double itemsPerSecond = 0;
  };
  std::map<std::string, Median> medians_;
};

}  // namespace veltharn::bench
