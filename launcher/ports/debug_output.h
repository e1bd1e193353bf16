#pragma once

#include <string_view>

namespace veltharn {

// Where developer diagnostics go: the debugger output on Windows, the terminal with --debug in the
// headless launcher, a list in tests. Diagnostics are process-wide, like the debugger channel they
// stand for, so one sink is installed by the composition root for the life of the process.
class DebugOutput {
 public:
  virtual ~DebugOutput() = default;
  // One finished line, "\r\n" included.
  virtual void Write(std::string_view line) = 0;
};

// Installs `sink` (not owned; null silences diagnostics) and returns the previous one.
DebugOutput* InstallDebugOutput(DebugOutput* sink);
DebugOutput* CurrentDebugOutput();

}  // namespace veltharn
