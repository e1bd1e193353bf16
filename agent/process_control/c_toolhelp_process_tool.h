#pragma once
// Windows 9x: Tool Help looked up at run time; process entries carry full paths. When an entry
// point is missing every query answers "running", which callers read as busy or present.
#include <memory>

#include "ports/process_api.h"
#include "process_control/c_process_tool.h"

namespace pellorix {

class CToolhelpProcessTool final : public CProcessTool {
 public:
  explicit CToolhelpProcessTool(std::unique_ptr<ProcessApi> api) : api_(std::move(api)) {}

  bool IsRunning(const std::string& nameOrPath) override;
  // 9x cannot tell; the answer is always true.
  bool IsRunningFrom(const std::string& name, const std::string& fullPath) override;
  bool TerminateByName(const std::string& name) override;
  // Terminates every process that loads the module of that path.
  bool TerminateMatching(const std::string& modulePath) override;
  bool IsModuleOf(std::uint32_t processId, std::uint32_t unused, const std::string& path) override;
  bool HasModule(std::uint32_t processId, std::uint32_t unused, const std::string& path) override;
  bool IsReady() const override;

 private:
  std::unique_ptr<ProcessApi> api_;
};

}  // namespace pellorix
