#pragma once
// Clock port, so that waits cost no time in tests.
#include <cstdint>

namespace pellorix {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace pellorix
