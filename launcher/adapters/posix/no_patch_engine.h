#pragma once

#include "launcher/ports/patch_engine.h"

namespace veltharn {

// There is no binary-patch engine outside Windows: every patch is refused, so the launcher answers
// "not applied" and the server sends the whole file instead.
class NoPatchEngine : public PatchEngine {
 public:
  int32_t Apply(const char*, PatchEvents&) override { return kNotApplied; }

  static constexpr int32_t kNotApplied = -1;
};

}  // namespace veltharn
