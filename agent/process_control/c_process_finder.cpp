#include "process_control/c_process_finder.h"

#include "process_control/c_psapi_process_tool.h"
#include "process_control/c_toolhelp_process_tool.h"

namespace pellorix {

Platform ReadPlatform(SystemRecords& records) {
  auto record = records.ReadExtendedVersion();
  if (!record) record = records.ReadBasicVersion();
  if (!record) return Platform::Other;
  switch (record->platformId) {
    case 1:
      return Platform::Windows9x;
    case 2:
      return Platform::WindowsNt;
    default:
      return Platform::Other;
  }
}

CProcessFinder::CProcessFinder(Platform platform, ProcessApiSource& source) : platform_(platform) {
  if (platform == Platform::Windows9x) {
    tool_ = std::make_unique<CToolhelpProcessTool>(source.OpenToolhelp());
  } else if (platform == Platform::WindowsNt) {
    tool_ = std::make_unique<CPsapiProcessTool>(source.OpenPsapi());
  }
}

bool CProcessFinder::IsRunning(const std::string& nameOrPath) {
  return tool_ && tool_->IsRunning(nameOrPath);
}

bool CProcessFinder::IsRunningFrom(const std::string& name, const std::string& fullPath) {
  return tool_ && tool_->IsRunningFrom(name, fullPath);
}

}  // namespace pellorix
