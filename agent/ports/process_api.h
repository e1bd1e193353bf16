#pragma once
// Process list port: the raw Tool Help and PSAPI queries behind the two process tools.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellorix {

struct ProcessEntry {
  std::uint32_t id = 0;
  std::string exeFile;  // a base name on NT, a full path on 9x
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // Whether every entry point looked up at run time was found.
  virtual bool IsReady() const = 0;
  // Process snapshot in system order (on NT the first entry is the idle process).
  virtual std::optional<std::vector<ProcessEntry>> SnapshotProcesses() = 0;
  // Full paths of the modules of one process; nullopt when the snapshot cannot be taken.
  virtual std::optional<std::vector<std::string>> SnapshotModules(std::uint32_t processId) = 0;
  // PSAPI: up to 1024 process ids.
  virtual std::optional<std::vector<std::uint32_t>> EnumProcessIds() = 0;
  // PSAPI: base name of the first module of the process.
  virtual std::optional<std::string> FirstModuleBaseName(std::uint32_t processId) = 0;
  virtual bool Terminate(std::uint32_t processId, std::uint32_t exitCode) = 0;
  // Enables a privilege in the current process's token.
  virtual bool EnablePrivilege(const std::string& name) = 0;
};

// Hands out the API of one platform family; each object lives as long as the finder using it.
class ProcessApiSource {
 public:
  virtual ~ProcessApiSource() = default;
  virtual std::unique_ptr<ProcessApi> OpenToolhelp() = 0;  // Windows 9x
  virtual std::unique_ptr<ProcessApi> OpenPsapi() = 0;     // Windows NT
};

}  // namespace pellorix
