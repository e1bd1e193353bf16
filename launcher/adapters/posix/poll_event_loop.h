#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "launcher/ports/timers.h"

namespace veltharn {

// The headless launcher's one thread, as a window's message loop is on Windows: it waits with
// poll(2) for watched descriptors, timers and posted tasks, and runs one event at a time.
// PumpOne runs at most one pending event inside the caller, as a long operation's message pump.
class PollEventLoop : public Timers {
 public:
  using Clock = std::chrono::steady_clock;
  // Called with the poll events that are ready for the descriptor.
  using Watcher = std::function<void(short readyEvents)>;

  // Watches `fd` for `events` (POLLIN, POLLOUT); a later call replaces the watch. The caller
  // keeps owning `fd` and unwatches it before closing it.
  void Watch(int fd, short events, Watcher watcher);
  void Unwatch(int fd);
  // Watches `fd` (a pipe, say) for text: each complete line goes to `onLine` without its "\n"
  // (or "\r\n"); at the end of the stream or a read error, a last unfinished line goes to
  // `onLine`, the watch ends and `onEnd` runs. The caller keeps owning `fd`.
  void WatchLines(int fd, std::function<void(const std::string& line)> onLine,
                  std::function<void()> onEnd);

  // The window timers: every tick goes to the timer handler with its id.
  void SetTimer(int id, int intervalMs) override;
  void KillTimer(int id) override;
  void SetTimerHandler(std::function<void(int id)> handler) { timerHandler_ = std::move(handler); }

  // Runs `task` as an event of its own, as soon as the loop gets to it (a posted message).
  void Post(std::function<void()> task);
  // Runs `task` once, `delayMs` from now; not a window timer, so no tick reaches the handler.
  void RunAfter(int delayMs, std::function<void()> task);

  // Runs events until Quit; returns Quit's code.
  int Run();
  void Quit(int code);
  [[nodiscard]] bool quitting() const { return quitting_; }
  // Runs one pending event, if there is one, without waiting. True if one ran.
  bool PumpOne();

 private:
  struct Timer {
    std::chrono::milliseconds interval;
    Clock::time_point due;
  };
  struct Delayed {
    Clock::time_point due;
    std::function<void()> task;
  };
  // Runs one event, waiting at most `waitMs` (-1: as long as it takes) for one.
  bool RunOne(int waitMs);
  bool RunDueTimer(Clock::time_point now);
  int MillisecondsToNextDue(Clock::time_point now) const;

  std::map<int, std::pair<short, Watcher>> watches_;
  std::map<int, Timer> timers_;
  std::multimap<Clock::time_point, std::function<void()>> delayed_;
  std::deque<std::function<void()>> posted_;
  std::function<void(int)> timerHandler_;
  int nextFdToServe_ = 0;
  bool quitting_ = false;
  int quitCode_ = 0;
};

}  // namespace veltharn
