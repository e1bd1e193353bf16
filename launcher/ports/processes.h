#pragma once

#include <string>

namespace veltharn {

enum class InstanceClaim { kFirst, kAlreadyRunning };

// The launcher's own process: who it is, the single-instance guard, and its replacement by
// another program.
class Processes {
 public:
  virtual ~Processes() = default;
  // The full path of the running program.
  [[nodiscard]] virtual std::string OwnPath() = 0;
  // Claims the named single-instance guard for the life of the process (or until Release).
  [[nodiscard]] virtual InstanceClaim ClaimInstance(const std::string& name) = 0;
  virtual void ReleaseInstance() = 0;
  // Brings the window of the launcher that runs already (found by `title`) to the front, where
  // the platform allows.
  virtual void ActivateRunningInstance(const std::string& title) = 0;
  // Starts `path` with the path as its only argument, in the current directory, and ends this
  // process with exit code 0. Returns -1 when the start fails; the caller goes on.
  virtual int RunAndExit(const std::string& path) = 0;
  // Ends this process at once.
  [[noreturn]] virtual void Exit(int code) = 0;
};

// Waiting, behind a port so that tests do not sleep.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void SleepMs(int milliseconds) = 0;
};

}  // namespace veltharn
