#pragma once

#include <string>

#include "launcher/ports/processes.h"

namespace veltharn {

// The headless launcher's process. The single-instance guard is an flock(2) on a lock file in
// the temporary folder, named after the guard and the client folder: a second launcher for the
// same client folder sees it held. There is no window to bring to the front.
class PosixProcesses : public Processes {
 public:
  explicit PosixProcesses(std::string clientFolder) : clientFolder_(std::move(clientFolder)) {}
  ~PosixProcesses() override { ReleaseInstance(); }
  PosixProcesses(const PosixProcesses&) = delete;
  PosixProcesses& operator=(const PosixProcesses&) = delete;

  std::string OwnPath() override;
  InstanceClaim ClaimInstance(const std::string& name) override;
  void ReleaseInstance() override;
  void ActivateRunningInstance(const std::string& /*title*/) override {}
  // Replaces the process with `path` (Windows form; "\" becomes "/"), the path its only argument.
  int RunAndExit(const std::string& path) override;
  [[noreturn]] void Exit(int code) override;

 private:
  std::string clientFolder_;
  int lockFd_ = -1;
};

class SystemClock : public Clock {
 public:
  void SleepMs(int milliseconds) override;
};

}  // namespace veltharn
