#pragma once

#include <cstddef>
#include <cstdint>

namespace veltharn {

// The command line an engine takes, terminator included: the buffer it has always been given.
inline constexpr std::size_t kPatchCommandLineSize = 260;

// What the engine reports while it works, on the calling thread. `data` is the engine's: a
// pointer to a 32-bit progress value for one id, a zero-terminated ANSI path for another, or
// nothing; it is only read during the call. The answer must be a zero-terminated text that stays
// valid after the call (the engine may read it).
class PatchEvents {
 public:
  virtual ~PatchEvents() = default;
  virtual const char* OnPatchEvent(uint32_t id, const void* data) = 0;
};

// The outside binary-patch engine. It is told the patch file and the folder it applies to on
// `commandLine` (zero-terminated ANSI, shorter than kPatchCommandLineSize), reports to `events`
// while it works and answers 0 when the patch was applied; anything else, including an engine
// that cannot be found, means it was not.
class PatchEngine {
 public:
  virtual ~PatchEngine() = default;
  [[nodiscard]] virtual int32_t Apply(const char* commandLine, PatchEvents& events) = 0;
};

}  // namespace veltharn
