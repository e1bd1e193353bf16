#pragma once
// Process start, the named event, the clock and message boxes, all in memory. The event calls
// back on every wait so that a test can change the world between the polls of a procedure.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ports/clock.h"
#include "ports/named_event.h"
#include "ports/process_starter.h"
#include "ports/user_notice.h"

namespace pellorix::testing {

class FakeStarter final : public ProcessStarter {
 public:
  bool succeeds = true;
  std::vector<std::pair<std::string, bool>> started;  // command line, waited
  std::function<void(const std::string&)> onStart;

  bool Start(const std::string& commandLine, bool waitForExit) override {
    started.emplace_back(commandLine, waitForExit);
    if (onStart) onStart(commandLine);
    return succeeds;
  }
};

struct FakeEventState {
  bool signalled = false;
  bool createFails = false;
  int waits = 0;
  int signals = 0;
  int created = 0;
  std::vector<std::string> names;
  std::function<void(int wait)> onWait;  // called with the 1-based number of the wait
};

class FakeEventFactory final : public NamedEventFactory {
 public:
  explicit FakeEventFactory(FakeEventState& state) : state_(state) {}
  std::unique_ptr<NamedEvent> CreateAutoResetEvent(const std::string& name) override {
    state_.names.push_back(name);
    if (state_.createFails) return nullptr;
    ++state_.created;
    return std::make_unique<Event>(state_);
  }

 private:
  class Event final : public NamedEvent {
   public:
    explicit Event(FakeEventState& state) : state_(state) {}
    bool Wait(std::uint32_t) override {
      ++state_.waits;
      if (state_.onWait) state_.onWait(state_.waits);
      return std::exchange(state_.signalled, false);
    }
    void Signal() override {
      ++state_.signals;
      state_.signalled = true;
    }

   private:
    FakeEventState& state_;
  };
  FakeEventState& state_;
};

class FakeClock final : public Clock {
 public:
  std::vector<std::uint32_t> sleeps;
  void Sleep(std::uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
};

class FakeNotice final : public UserNotice {
 public:
  std::vector<std::string> messages;
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

}  // namespace pellorix::testing
