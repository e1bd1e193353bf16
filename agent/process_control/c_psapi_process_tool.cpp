#include "process_control/c_psapi_process_tool.h"

#include <string_view>

#include "common/text.h"

namespace pellorix {
namespace {

constexpr std::size_t kComparedNameLength = 8;

std::string_view FirstCharacters(std::string_view name) {
  return name.substr(0, kComparedNameLength);
}

}  // namespace

bool CPsapiProcessTool::IsReady() const { return api_ && api_->IsReady(); }

bool CPsapiProcessTool::EnablePrivilege(const std::string& privilege) {
  return api_->EnablePrivilege(privilege);
}

bool CPsapiProcessTool::IsRunning(const std::string& name) {
  const auto processes = api_->SnapshotProcesses();
  if (!processes) return false;
  // The first entry is the system idle process.
  for (std::size_t i = 1; i < processes->size(); ++i) {
    if (EqualsNoCase(FirstCharacters((*processes)[i].exeFile), FirstCharacters(name))) return true;
  }
  return false;
}

bool CPsapiProcessTool::IsRunningFrom(const std::string& name, const std::string& fullPath) {
  const auto processes = api_->SnapshotProcesses();
  if (!processes) return false;
  for (std::size_t i = 1; i < processes->size(); ++i) {
    const ProcessEntry& entry = (*processes)[i];
    if (!EqualsNoCase(entry.exeFile, name)) continue;
    // Other users' and elevated processes can only be examined with the debug privilege.
    EnablePrivilege("SeDebugPrivilege");
    const auto modules = api_->SnapshotModules(entry.id);
    if (!modules) return true;
    for (const std::string& module : *modules) {
      if (EqualsNoCase(module, fullPath)) return true;
    }
  }
  return false;
}

bool CPsapiProcessTool::TerminateByName(const std::string& name) {
  const auto ids = api_->EnumProcessIds();
  if (!ids) return false;
  bool allTerminated = true;
  for (std::uint32_t id : *ids) {
    const auto baseName = api_->FirstModuleBaseName(id);
    if (baseName && EqualsNoCase(*baseName, name) && !api_->Terminate(id, 1)) {
      allTerminated = false;
    }
  }
  return allTerminated;
}

bool CPsapiProcessTool::TerminateMatching(const std::string& name) { return TerminateByName(name); }

bool CPsapiProcessTool::IsModuleOf(std::uint32_t processId, std::uint32_t other,
                                   const std::string&) {
  return processId == other;
}

bool CPsapiProcessTool::HasModule(std::uint32_t processId, std::uint32_t other,
                                  const std::string&) {
  return processId == other;
}

}  // namespace pellorix
