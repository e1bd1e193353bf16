#pragma once

#include <windows.h>

#include "launcher/ports/agent_library.h"
#include "launcher/ports/file_system.h"

namespace veltharn {

// Pellorix.dll from the client folder: current directory + "\" + "Pellorix.dll", loaded by that
// full path for each call (no search path is ever used), exports looked up by their exact names
// and called with the C calling convention. `window` is handed on so the agent can post its
// messages to the launcher.
class DllAgentLibrary : public AgentLibrary {
 public:
  DllAgentLibrary(FileSystem& files, HWND window) : files_(files), window_(window) {}
  std::unique_ptr<AgentModule> Load() override;

 private:
  FileSystem& files_;
  HWND window_;
};

}  // namespace veltharn
