#include "launcher/adapters/posix/stream_debug_output.h"

namespace veltharn {

void StreamDebugOutput::Write(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::fprintf(stream_, "debug: %.*s\n", static_cast<int>(line.size()), line.data());
  std::fflush(stream_);
}

}  // namespace veltharn
