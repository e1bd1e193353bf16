#pragma once

#include <cstdio>

#include "launcher/ports/debug_output.h"

namespace veltharn {

// Writes each diagnostic as "debug: TEXT" to a stdio stream, without the "\r\n" of the line.
class StreamDebugOutput : public DebugOutput {
 public:
  explicit StreamDebugOutput(std::FILE* stream) : stream_(stream) {}
  void Write(std::string_view line) override;

 private:
  std::FILE* stream_;
};

}  // namespace veltharn
