#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace veltharn {

// The four operations of the agent support library, by their export names.
enum class AgentExport { kCheckInstalled, kInstall, kInspector, kExecute };

const char* AgentExportName(AgentExport which);

// What the launcher passes to the library. `window` is added by the module: it is the handle
// through which the agent answers (the main window on Windows).
struct AgentArguments {
  std::string serviceUrl;
  std::string legacyUpdaterCrc;
  std::string portalBootstrapCrc;
  std::string callerPath;  // QelInspector only
  int32_t number = 0;      // QelInstall: wait budget in seconds; QelExecute: mode
};

// A loaded agent library. Destroying it unloads the library.
class AgentModule {
 public:
  virtual ~AgentModule() = default;
  // Whether the library exports `which` under its exact name.
  [[nodiscard]] virtual bool Has(AgentExport which) = 0;
  // Calls `which`, which the library has; its result (0 is success).
  [[nodiscard]] virtual int32_t Call(AgentExport which, const AgentArguments& arguments) = 0;
};

class AgentLibrary {
 public:
  virtual ~AgentLibrary() = default;
  // Loads the library from the client folder (the current directory); null when it cannot be.
  [[nodiscard]] virtual std::unique_ptr<AgentModule> Load() = 0;
};

}  // namespace veltharn
