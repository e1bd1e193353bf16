#pragma once
// Process start, the named event, the clock and message boxes on Win32.
#include "ports/clock.h"
#include "ports/named_event.h"
#include "ports/process_starter.h"
#include "ports/user_notice.h"

namespace pellorix::win32 {

class CreateProcessStarter final : public ProcessStarter {
 public:
  bool Start(const std::string& commandLine, bool waitForExit) override;
};

class Win32EventFactory final : public NamedEventFactory {
 public:
  std::unique_ptr<NamedEvent> CreateAutoResetEvent(const std::string& name) override;
};

class SleepClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override;
};

class MessageBoxNotice final : public UserNotice {
 public:
  void ShowMessage(const std::string& text) override;
};

}  // namespace pellorix::win32
