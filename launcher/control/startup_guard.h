#pragma once

#include "launcher/control/notices.h"
#include "launcher/control/version_store.h"
#include "launcher/ports/file_system.h"
#include "launcher/ports/processes.h"

namespace veltharn {

inline constexpr const char* kInstanceGuardName = "veltharn client! ch3";
// How often, one second apart, the intermediate copy tries to replace the old program.
inline constexpr int kReplacementAttempts = 19;
inline constexpr int kReplacementPauseMs = 1000;

struct StartupPorts {
  FileSystem& files;
  Processes& processes;
  Clock& clock;
  Notices& notices;
  VersionStore& versions;
};

// The start of every launcher: one copy only (a second one brings the first to the front and
// answers false), the second half of a self-replacement when this is the intermediate copy
// "veltharn.nex" (it may end the process, or replace it with the new program), and the version
// store. True: the start-up goes on.
[[nodiscard]] bool RunStartupChecks(const StartupPorts& ports);

}  // namespace veltharn
