#pragma once

#include "launcher/ports/debug_output.h"

namespace veltharn {

// Sends diagnostics to the debugger (OutputDebugStringA).
class DebuggerOutput : public DebugOutput {
 public:
  void Write(std::string_view line) override;
};

}  // namespace veltharn
