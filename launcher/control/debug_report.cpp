#include "launcher/control/debug_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "launcher/ports/debug_output.h"

namespace veltharn {
namespace {
DebugOutput* installedSink = nullptr;
}  // namespace

DebugOutput* InstallDebugOutput(DebugOutput* sink) {
  DebugOutput* previous = installedSink;
  installedSink = sink;
  return previous;
}

DebugOutput* CurrentDebugOutput() { return installedSink; }

int ReportDebug(const char* format, ...) {
  constexpr size_t kBufferSize = 256;
  constexpr size_t kLineEndSize = 2;
  char line[kBufferSize];
  va_list values;
  va_start(values, format);
  // Leave room for "\r\n" and the terminator: a long text is cut, never written past the end.
  int written = std::vsnprintf(line, kBufferSize - kLineEndSize, format, values);
  va_end(values);
  size_t length = written < 0 ? 0 : std::strlen(line);
  line[length] = '\r';
  line[length + 1] = '\n';
  line[length + 2] = '\0';
  if (installedSink != nullptr) installedSink->Write(std::string_view(line, length + kLineEndSize));
  return 1;
}

}  // namespace veltharn
