#pragma once
// The one-second waits of the install polls, on the named event "GLOBAL_PATCH_PELLORIX" that the
// agent's setup programs may signal to end the wait early.
#include <memory>

#include "ports/clock.h"
#include "ports/named_event.h"

namespace pellorix {

inline constexpr char kCompletionEventName[] = "GLOBAL_PATCH_PELLORIX";

class CompletionWait {
 public:
  CompletionWait(NamedEventFactory& events, Clock& clock);
  // Waits one second; true when the event was signalled. Without an event (it could not be
  // created) the wait sleeps, and a Signal of our own still ends the poll.
  bool WaitOneSecond();
  void Signal();

 private:
  std::unique_ptr<NamedEvent> event_;
  Clock& clock_;
  bool signalledWithoutEvent_ = false;
};

}  // namespace pellorix
