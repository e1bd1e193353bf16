#include "discovery/environment_repair.h"

#include <optional>
#include <string>

namespace pellorix {
namespace {

bool IsDriveCToF(char c) { return (c >= 'C' && c <= 'F') || (c >= 'c' && c <= 'f'); }

std::string DriveOf(const std::optional<std::string>& value) {
  return std::string(1, value->front()) + ":";
}

bool IsSet(const std::optional<std::string>& value) { return value && !value->empty(); }

}  // namespace

void RepairEnvironment(Environment& environment, FileSystem& files) {
  if (!IsSet(environment.Get("SystemDrive"))) {
    const auto windir = environment.Get("windir");
    environment.Set("SystemDrive", IsSet(windir) ? DriveOf(windir) : "c:");
  }

  const auto systemDrive = environment.Get("SystemDrive");
  const auto programFiles = environment.Get("ProgramFiles");
  if (!IsSet(programFiles)) {
    const bool usable = IsSet(systemDrive) && IsDriveCToF(systemDrive->front());
    environment.Set("ProgramFiles", (usable ? DriveOf(systemDrive) : "c:") + "\\Program Files");
  } else if (!files.Exists(*programFiles)) {
    // A stale value is rebuilt on the system drive, whatever letter it has.
    environment.Set("ProgramFiles",
                    (IsSet(systemDrive) ? DriveOf(systemDrive) : "c:") + "\\Program Files");
  }

  if (!IsSet(environment.Get("SystemDir"))) {
    environment.Set("SystemDir", environment.SystemDirectory());
  }
}

}  // namespace pellorix
