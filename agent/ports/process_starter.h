#pragma once
// Process start port.
#include <string>

namespace pellorix {

class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // Starts the command line in a new process group with the caller's environment and folder;
  // when asked, waits without limit for the process to end. True when the process was created.
  virtual bool Start(const std::string& commandLine, bool waitForExit) = 0;
};

}  // namespace pellorix
