#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "launcher/ports/patch_engine.h"
#include "launcher/update/exchange.h"

namespace veltharn {

class Notices;

using PatchCommandLine = std::array<char, kPatchCommandLineSize>;

// The engine's command line for the patch file at full path `patchFile`, zero-filled:
//   "<patch file>" "<its folder, no trailing separator>" -q -notzcheck -nop
// Empty when it does not fit, terminator included.
[[nodiscard]] std::optional<PatchCommandLine> BuildPatchCommandLine(const std::string& patchFile);

// What the launcher does with each report of the engine: runs one pending message, then
//   4  status 654 then 655 (the patch failed; the server will send whole files)
//   5  file progress from *(const int32_t*)data, 0 to 32768
//   7  status 656 with the file name (no folder) of the zero-terminated path at data
//   8  status 657 and file progress 0
// and nothing for any other id. Always answers an empty text, never null.
const char* PatchCallBack(Notices& notices, uint32_t id, const void* data);

// PatchCallBack as the engine's events.
class PatchProgress : public PatchEvents {
 public:
  explicit PatchProgress(Notices& notices) : notices_(notices) {}
  const char* OnPatchEvent(uint32_t id, const void* data) override {
    return PatchCallBack(notices_, id, data);
  }

 private:
  Notices& notices_;
};

// Kinds 0 and 7: hands the downloaded patch file `path` to the engine for its folder, answers
// (id, 0) with `replyType` when it was applied and (id, 3) when not (also for a path that cannot
// be resolved or a command line that does not fit), and deletes the patch file in every case.
void ApplyPatch(ExchangeHost& host, const std::string& path, int32_t id, uint8_t replyType);

}  // namespace veltharn
