#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/ports/processes.h"

namespace veltharn {

// Thrown where the real process would end, so a test can see what ended it.
struct ProcessEnded {
  int exitCode;
};

class FakeProcesses : public Processes {
 public:
  std::string OwnPath() override { return ownPath; }
  InstanceClaim ClaimInstance(const std::string& name) override {
    claimedName = name;
    holdsInstance = !otherInstanceRuns;
    return otherInstanceRuns ? InstanceClaim::kAlreadyRunning : InstanceClaim::kFirst;
  }
  void ReleaseInstance() override {
    ++releases;
    holdsInstance = false;
  }
  void ActivateRunningInstance(const std::string& title) override { activated.push_back(title); }
  int RunAndExit(const std::string& path) override {
    started.push_back(path);
    heldWhenStarting.push_back(holdsInstance);
    if (startFails) return -1;
    throw ProcessEnded{0};
  }
  [[noreturn]] void Exit(int code) override { throw ProcessEnded{code}; }

  std::string ownPath = "C:\\client\\Veltharn.exe";
  bool otherInstanceRuns = false;
  bool startFails = false;
  std::string claimedName;
  std::vector<std::string> activated;
  std::vector<std::string> started;
  int releases = 0;
  bool holdsInstance = false;
  std::vector<bool> heldWhenStarting;  // for each RunAndExit, whether the guard was held
};

class FakeClock : public Clock {
 public:
  void SleepMs(int milliseconds) override {
    sleeps.push_back(milliseconds);
    if (onSleep) onSleep(static_cast<int>(sleeps.size()));
  }
  std::vector<int> sleeps;
  std::function<void(int)> onSleep;
};

}  // namespace veltharn
