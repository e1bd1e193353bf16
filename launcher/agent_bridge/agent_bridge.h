#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "launcher/ports/agent_library.h"

namespace veltharn {

class Notices;
class Processes;
class Timers;

// The timer that polls for the agent's inspection result.
inline constexpr int kInspectorTimerId = 100;
inline constexpr int kInspectorTimerMs = 100;

// The security-patch step at the end of every completed exchange: through the agent library it
// makes sure the agent is installed, has it inspect whether the Windows update is present, and
// when it is absent and the user accepts the terms, has it installed. Every way out shows 661 and
// enables Full Check and Start, Start focused.
class AgentBridge {
 public:
  AgentBridge(Notices& notices, Timers& timers, Processes& processes, AgentLibrary& library)
      : notices_(notices), timers_(timers), processes_(processes), library_(library) {}

  void StartAgentCheck();
  // The agent's "MA_TO_INSPECTORRESULT": taken once, while a result is awaited.
  void OnInspectorResult(intptr_t wParam, intptr_t lParam);
  // The bridge's part of every timer tick: once the result has arrived, acts on it (the terms
  // are shown through the view when the update is missing).
  void OnTimerTick();

  [[nodiscard]] bool inspectorWaiting() const { return inspectorWaiting_; }
  [[nodiscard]] int inspectorTimerId() const { return inspectorTimerId_; }

 private:
  bool CheckAgentInstalled();
  bool InstallAgent();
  bool InspectWindowsUpdate();
  void ExecuteUpdate();
  // Loads the library and calls `which`: nullopt when it cannot be loaded (status 702) or has no
  // such export. The library is freed afterwards, except after kExecute.
  std::optional<int32_t> CallAgent(AgentExport which, int32_t number, bool beforeCall);
  void Finish();
  void ShowStatus(int id);

  Notices& notices_;
  Timers& timers_;
  Processes& processes_;
  AgentLibrary& library_;

  AgentArguments arguments_;
  bool inspectorResultArrived_ = false;
  bool inspectorWaiting_ = false;
  int32_t inspectorResult_ = -1;
  int inspectorTimerId_ = 0;
  // Libraries that carried out an update stay loaded for the rest of the run.
  std::vector<std::unique_ptr<AgentModule>> keptModules_;
};

}  // namespace veltharn
