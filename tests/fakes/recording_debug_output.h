#pragma once

#include <string>
#include <vector>

#include "launcher/ports/debug_output.h"

namespace veltharn {

// Collects debug lines while it lives; restores the previous sink when it goes.
class RecordingDebugOutput : public DebugOutput {
 public:
  RecordingDebugOutput() : previous_(InstallDebugOutput(this)) {}
  ~RecordingDebugOutput() override { InstallDebugOutput(previous_); }
  RecordingDebugOutput(const RecordingDebugOutput&) = delete;
  RecordingDebugOutput& operator=(const RecordingDebugOutput&) = delete;

  void Write(std::string_view line) override { lines.emplace_back(line); }

  std::vector<std::string> lines;

 private:
  DebugOutput* previous_;
};

}  // namespace veltharn
