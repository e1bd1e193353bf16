#include "install/completion_wait.h"

namespace pellorix {

CompletionWait::CompletionWait(NamedEventFactory& events, Clock& clock)
    : event_(events.CreateAutoResetEvent(kCompletionEventName)), clock_(clock) {}

bool CompletionWait::WaitOneSecond() {
  if (event_) return event_->Wait(1000);
  clock_.Sleep(1000);
  return signalledWithoutEvent_;
}

void CompletionWait::Signal() {
  if (event_) {
    event_->Signal();
  } else {
    signalledWithoutEvent_ = true;
  }
}

}  // namespace pellorix
