#pragma once

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ports/processes.h"

namespace veltharn {

// The launcher's process on Windows: GetModuleFileNameA, the named single-instance mutex, the
// running launcher's window found by the dialog class and its title, and CreateProcessA followed
// by ExitProcess(0) for a replacement.
class Win32Processes : public Processes {
 public:
  std::string OwnPath() override;
  InstanceClaim ClaimInstance(const std::string& name) override;
  void ReleaseInstance() override { instanceMutex_.reset(); }
  void ActivateRunningInstance(const std::string& title) override;
  int RunAndExit(const std::string& path) override;
  [[noreturn]] void Exit(int code) override;

 private:
  UniqueHandle instanceMutex_;
};

class Win32Clock : public Clock {
 public:
  void SleepMs(int milliseconds) override;
};

}  // namespace veltharn
