#pragma once

#include <windows.h>

namespace veltharn {

// The launcher's application: prepares the process (library search path, common controls, COM,
// the debugger channel), runs the main dialog modally and ends when it does.
class CVeltharnApp {
 public:
  explicit CVeltharnApp(HINSTANCE instance) : instance_(instance) {}
  // Runs the launcher; the process's exit code.
  int InitInstance();

 private:
  HINSTANCE instance_;
};

}  // namespace veltharn
