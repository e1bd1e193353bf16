#pragma once
// Picks the process tool of the running Windows family and forwards the two queries the
// procedures use. Nothing is cached: every query takes a fresh snapshot.
#include <cstdint>
#include <memory>
#include <string>

#include "ports/process_api.h"
#include "ports/system_records.h"
#include "process_control/c_process_tool.h"

namespace pellorix {

enum class Platform { Other, Windows9x, WindowsNt };

// The platform of the version record (extended record first, then the basic one).
Platform ReadPlatform(SystemRecords& records);

class CProcessFinder {
 public:
  CProcessFinder(Platform platform, ProcessApiSource& source);

  Platform platform() const { return platform_; }
  // On a platform that is neither 9x nor NT there is no tool and nothing counts as running.
  bool IsRunning(const std::string& nameOrPath);
  bool IsRunningFrom(const std::string& name, const std::string& fullPath);

 private:
  Platform platform_;
  std::unique_ptr<CProcessTool> tool_;
};

}  // namespace pellorix
