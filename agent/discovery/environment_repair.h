#pragma once
// Makes sure "SystemDrive", "ProgramFiles" and "SystemDir" are set in the host's environment
// before the legacy agent's paths are built from them (and its programs inherit them).
#include "ports/environment.h"
#include "ports/file_system.h"

namespace pellorix {

void RepairEnvironment(Environment& environment, FileSystem& files);

}  // namespace pellorix
