#pragma once
// Named event port: the completion event shared with the agent's setup programs.
#include <cstdint>
#include <memory>
#include <string>

namespace pellorix {

class NamedEvent {
 public:
  virtual ~NamedEvent() = default;
  // True when the event was signalled within the time (an auto-reset event is then cleared).
  virtual bool Wait(std::uint32_t milliseconds) = 0;
  virtual void Signal() = 0;
};

class NamedEventFactory {
 public:
  virtual ~NamedEventFactory() = default;
  // Creates or opens an auto-reset event, initially clear; nullptr on failure.
  virtual std::unique_ptr<NamedEvent> CreateAutoResetEvent(const std::string& name) = 0;
};

}  // namespace pellorix
