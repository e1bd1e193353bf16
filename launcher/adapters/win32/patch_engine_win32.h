#pragma once

#include <string>

#include "launcher/ports/patch_engine.h"

namespace veltharn {

// The binary-patch engine PATCHW32.dll, loaded for each patch from the launcher's own folder only
// (never searched for elsewhere, so a missing or planted DLL cannot stop or take over the
// launcher) and freed again. Its entry is ordinal 1, called with the standard calling convention
// as entry(commandLine, PatchCallBack, 0). The engine reports through the exported PatchCallBack,
// which hands each report to the events of the Apply that runs. A second Apply while one runs (a
// message pumped inside the first) is refused: the engine is not known to allow it.
class Patchw32Engine : public PatchEngine {
 public:
  // `launcherFolder`: the folder of the launcher's program file, without a trailing "\".
  explicit Patchw32Engine(std::string launcherFolder) : folder_(std::move(launcherFolder)) {}
  int32_t Apply(const char* commandLine, PatchEvents& events) override;

  static constexpr int32_t kNotApplied = -1;

 private:
  std::string folder_;
};

}  // namespace veltharn

// The callback the engine calls, exported by name from the launcher's program.
extern "C" void* __stdcall PatchCallBack(unsigned int id, void* data);
