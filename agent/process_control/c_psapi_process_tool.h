#pragma once
// Windows NT: Tool Help for the process walk, PSAPI (looked up at run time) for termination.
#include <memory>

#include "ports/process_api.h"
#include "process_control/c_process_tool.h"

namespace pellorix {

class CPsapiProcessTool final : public CProcessTool {
 public:
  explicit CPsapiProcessTool(std::unique_ptr<ProcessApi> api) : api_(std::move(api)) {}

  // Compares only the first eight characters of the names, so "PellorixUpdate.exe" and
  // "Pellorix.exe" count alike.
  bool IsRunning(const std::string& name) override;
  // A process of that name whose modules cannot be listed counts as a match.
  bool IsRunningFrom(const std::string& name, const std::string& fullPath) override;
  bool TerminateByName(const std::string& name) override;
  bool TerminateMatching(const std::string& name) override;
  // On NT these two examine no process: they answer whether the first two arguments are equal.
  bool IsModuleOf(std::uint32_t processId, std::uint32_t other, const std::string& path) override;
  bool HasModule(std::uint32_t processId, std::uint32_t other, const std::string& path) override;
  bool IsReady() const override;
  bool EnablePrivilege(const std::string& privilege);

 private:
  std::unique_ptr<ProcessApi> api_;
};

}  // namespace pellorix
