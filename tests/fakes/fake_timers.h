#pragma once

#include <map>

#include "launcher/ports/timers.h"

namespace veltharn {

class FakeTimers : public Timers {
 public:
  void SetTimer(int id, int intervalMs) override { running[id] = intervalMs; }
  void KillTimer(int id) override { running.erase(id); }
  [[nodiscard]] bool IsRunning(int id) const { return running.count(id) != 0; }
  std::map<int, int> running;
};

}  // namespace veltharn
