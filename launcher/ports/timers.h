#pragma once

namespace veltharn {

// The main window's timers. Ticks reach the controller's OnTimer; setting a running timer again
// replaces it.
class Timers {
 public:
  virtual ~Timers() = default;
  virtual void SetTimer(int id, int intervalMs) = 0;
  virtual void KillTimer(int id) = 0;
};

}  // namespace veltharn
