#include "launcher/adapters/win32/debugger_output.h"

#include <windows.h>

#include <string>

namespace veltharn {

void DebuggerOutput::Write(std::string_view line) { OutputDebugStringA(std::string(line).c_str()); }

}  // namespace veltharn
