#include "launcher/agent_bridge/agent_bridge.h"

#include "launcher/control/message_ids.h"
#include "launcher/control/notices.h"
#include "launcher/ports/processes.h"
#include "launcher/ports/timers.h"

namespace veltharn {
namespace {

// Where the agent service lives, and the CRC-32 texts the library expects of the agent updater
// (older Windows) and of the bootstrap program (Windows Vista and later) it downloads.
constexpr const char* kAgentServiceUrl = "http://agent.veltharn.example";
constexpr const char* kLegacyUpdaterCrc = "335282538";
constexpr const char* kPortalBootstrapCrc = "1107329462";
constexpr int32_t kInstallWaitSeconds = 30;
constexpr int32_t kExecuteMode = 3;

}  // namespace

const char* AgentExportName(AgentExport which) {
  switch (which) {
    case AgentExport::kCheckInstalled:
      return "QelCheckInstalled";
    case AgentExport::kInstall:
      return "QelInstall";
    case AgentExport::kInspector:
      return "QelInspector";
    case AgentExport::kExecute:
      return "QelExecute";
  }
  return "";
}

void AgentBridge::StartAgentCheck() {
  arguments_ = AgentArguments{kAgentServiceUrl, kLegacyUpdaterCrc, kPortalBootstrapCrc, "", 0};
  inspectorResultArrived_ = false;
  inspectorWaiting_ = false;
  inspectorResult_ = -1;
  inspectorTimerId_ = 0;

  if ((CheckAgentInstalled() || InstallAgent()) && InspectWindowsUpdate()) return;
  Finish();
}

void AgentBridge::OnInspectorResult(intptr_t wParam, intptr_t /*lParam*/) {
  if (!inspectorWaiting_ || inspectorResultArrived_) return;
  inspectorResult_ = static_cast<int32_t>(wParam);
  inspectorResultArrived_ = true;
}

void AgentBridge::OnTimerTick() {
  if (!inspectorWaiting_ || !inspectorResultArrived_ || inspectorTimerId_ != kInspectorTimerId) {
    return;
  }
  timers_.KillTimer(kInspectorTimerId);
  inspectorTimerId_ = 0;

  if (inspectorResult_ == 0) {
    ShowStatus(msg::kWindowsUpdateMissing);
    if (notices_.view().RunAgreementDialog() == kIdOk) {
      ExecuteUpdate();
    } else {
      notices_.CloseLauncher();
      return;
    }
  } else {
    ShowStatus(msg::kWindowsUpdateInstalled);
  }
  Finish();
}

bool AgentBridge::CheckAgentInstalled() {
  return CallAgent(AgentExport::kCheckInstalled, 0, false) == 0;
}

bool AgentBridge::InstallAgent() {
  return CallAgent(AgentExport::kInstall, kInstallWaitSeconds, false) == 0;
}

bool AgentBridge::InspectWindowsUpdate() {
  arguments_.callerPath = processes_.OwnPath();
  if (CallAgent(AgentExport::kInspector, 0, /*beforeCall=*/true) != 0) return false;
  inspectorResultArrived_ = false;
  inspectorWaiting_ = true;
  inspectorResult_ = -1;
  timers_.SetTimer(kInspectorTimerId, kInspectorTimerMs);
  inspectorTimerId_ = kInspectorTimerId;
  return true;
}

void AgentBridge::ExecuteUpdate() { (void)CallAgent(AgentExport::kExecute, kExecuteMode, false); }

std::optional<int32_t> AgentBridge::CallAgent(AgentExport which, int32_t number,
                                              bool beforeCall) {
  std::unique_ptr<AgentModule> module = library_.Load();
  if (module == nullptr) {
    ShowStatus(msg::kAgentLibraryFailed);
    return std::nullopt;
  }
  if (!module->Has(which)) return std::nullopt;
  // The inspection tells the user it is starting once the library is there to run it.
  if (beforeCall) ShowStatus(msg::kAgentChecking);
  arguments_.number = number;
  int32_t result = module->Call(which, arguments_);
  if (which == AgentExport::kExecute) keptModules_.push_back(std::move(module));
  return result;
}

void AgentBridge::Finish() {
  ShowStatus(msg::kAllFilesUpdated);
  notices_.EnableExchangeButtons(true);
}

void AgentBridge::ShowStatus(int id) { notices_.SetStatus("%s", notices_.LoadText(id)); }

}  // namespace veltharn
