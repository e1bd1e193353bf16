#include "process_control/c_toolhelp_process_tool.h"

#include "common/text.h"

namespace pellorix {

bool CToolhelpProcessTool::IsReady() const { return api_ && api_->IsReady(); }

bool CToolhelpProcessTool::IsRunning(const std::string& nameOrPath) {
  if (!IsReady()) return true;
  const auto processes = api_->SnapshotProcesses();
  if (!processes) return false;
  for (const ProcessEntry& entry : *processes) {
    if (EqualsNoCase(entry.exeFile, nameOrPath)) return true;
  }
  return false;
}

bool CToolhelpProcessTool::IsRunningFrom(const std::string&, const std::string&) { return true; }

bool CToolhelpProcessTool::TerminateByName(const std::string& name) {
  if (!IsReady()) return true;
  const auto processes = api_->SnapshotProcesses();
  if (!processes) return false;
  bool allTerminated = true;
  for (const ProcessEntry& entry : *processes) {
    if (EqualsNoCase(entry.exeFile, name) && !api_->Terminate(entry.id, 1)) allTerminated = false;
  }
  return allTerminated;
}

bool CToolhelpProcessTool::TerminateMatching(const std::string& modulePath) {
  if (!IsReady()) return true;
  const auto processes = api_->SnapshotProcesses();
  if (!processes) return false;
  bool allTerminated = true;
  for (const ProcessEntry& entry : *processes) {
    if (HasModule(entry.id, 0, modulePath) && !api_->Terminate(entry.id, 1)) allTerminated = false;
  }
  return allTerminated;
}

bool CToolhelpProcessTool::IsModuleOf(std::uint32_t processId, std::uint32_t,
                                      const std::string& path) {
  if (!IsReady()) return true;
  const auto modules = api_->SnapshotModules(processId);
  return modules && !modules->empty() && EqualsNoCase(modules->front(), path);
}

bool CToolhelpProcessTool::HasModule(std::uint32_t processId, std::uint32_t,
                                     const std::string& path) {
  if (!IsReady()) return true;
  const auto modules = api_->SnapshotModules(processId);
  if (!modules) return false;
  for (const std::string& module : *modules) {
    if (EqualsNoCase(module, path)) return true;
  }
  return false;
}

}  // namespace pellorix
