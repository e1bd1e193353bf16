// Windows 9x: every Tool Help function comes from kernel32 at run time.
#include <windows.h>
#include <tlhelp32.h>

#include "adapters/win32/process_apis.h"
#include "adapters/win32/process_common.h"
#include "adapters/win32/unique_handle.h"

namespace pellorix::win32 {
namespace {

class ToolhelpProcessApi final : public ProcessApi {
 public:
  ToolhelpProcessApi() {
    // Already loaded in every process; not loaded again, so not freed either.
    const HMODULE kernel = ::GetModuleHandleA("Kernel32.dll");
    if (!kernel) return;
    createSnapshot_ = LookUp<CreateSnapshot>(kernel, "CreateToolhelp32Snapshot");
    processFirst_ = LookUp<ProcessWalk>(kernel, "Process32First");
    processNext_ = LookUp<ProcessWalk>(kernel, "Process32Next");
    moduleFirst_ = LookUp<ModuleWalk>(kernel, "Module32First");
    moduleNext_ = LookUp<ModuleWalk>(kernel, "Module32Next");
  }
  bool IsReady() const override {
    return createSnapshot_ && processFirst_ && processNext_ && moduleFirst_ && moduleNext_;
  }
  std::optional<std::vector<ProcessEntry>> SnapshotProcesses() override {
    if (!IsReady()) return std::nullopt;
    return WalkProcesses(createSnapshot_, processFirst_, processNext_);
  }
  std::optional<std::vector<std::string>> SnapshotModules(std::uint32_t id) override {
    if (!IsReady()) return std::nullopt;
    return WalkModules(createSnapshot_, moduleFirst_, moduleNext_, id);
  }
  std::optional<std::vector<std::uint32_t>> EnumProcessIds() override { return std::nullopt; }
  std::optional<std::string> FirstModuleBaseName(std::uint32_t) override { return std::nullopt; }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override {
    return TerminateProcessById(id, PROCESS_ALL_ACCESS, exitCode);
  }
  bool EnablePrivilege(const std::string&) override { return false; }

 private:
  CreateSnapshot createSnapshot_ = nullptr;
  ProcessWalk processFirst_ = nullptr;
  ProcessWalk processNext_ = nullptr;
  ModuleWalk moduleFirst_ = nullptr;
  ModuleWalk moduleNext_ = nullptr;
};

}  // namespace

std::unique_ptr<ProcessApi> WindowsProcessApiSource::OpenToolhelp() {
  return std::make_unique<ToolhelpProcessApi>();
}

}  // namespace pellorix::win32
