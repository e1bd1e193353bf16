// The exports of Pellorix.dll: small wrappers that build the per-call adapters, run one
// operation and never let an exception out. Names are undecorated through Pellorix.def.
#include <windows.h>

#include <exception>
#include <string>

#include "adapters/win32/process_apis.h"
#include "adapters/win32/win32_environment.h"
#include "adapters/win32/win32_file_system.h"
#include "adapters/win32/win32_registry.h"
#include "adapters/win32/win32_runtime.h"
#include "adapters/win32/win32_system_records.h"
#include "adapters/win32/wininet_session.h"
#include "install/result_codes.h"
#include "operations/agent_operations.h"

namespace {

// Registered at load for the agent's protocol; no operation of the library uses them itself.
UINT g_sendHandleMessage = 0;
UINT g_appointInspectMessage = 0;
UINT g_appointInstallMessage = 0;
UINT g_agentCloseMessage = 0;
UINT g_patchStatusMessage = 0;

// A failure nobody planned for (out of memory, say) reads as "agent not available".
constexpr int kUnexpectedFailure = pellorix::result::kNotInstalled;

std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }

template <typename Operation>
int RunWithWindowsPorts(Operation operation) noexcept {
  try {
    pellorix::win32::Win32SystemRecords system;
    pellorix::win32::RegistryStore registry;
    pellorix::win32::ProcessEnvironment environment;
    pellorix::win32::Win32FileSystem files;
    pellorix::win32::WindowsProcessApiSource processes;
    pellorix::win32::CreateProcessStarter starter;
    pellorix::win32::Win32EventFactory events;
    pellorix::win32::SleepClock clock;
    pellorix::win32::WinInetSession http;
    pellorix::win32::MessageBoxNotice notice;
    pellorix::AgentPorts ports{system, registry, environment, files, processes,
                               starter, events,   clock,       http,  notice};
    return operation(ports);
  } catch (...) {
    return kUnexpectedFailure;
  }
}

}  // namespace

extern "C" {

int __cdecl QelCheckInstalled(int window) {
  return RunWithWindowsPorts(
      [&](pellorix::AgentPorts& ports) { return pellorix::CheckInstalled(ports, window); });
}

int __cdecl QelInstall(int window, const char* serviceUrl, const char* legacyUpdaterCrc,
                       const char* portalBootstrapCrc, int waitSeconds) {
  return RunWithWindowsPorts([&](pellorix::AgentPorts& ports) {
    return pellorix::Install(ports, window, TextOf(serviceUrl), TextOf(legacyUpdaterCrc),
                             TextOf(portalBootstrapCrc), waitSeconds);
  });
}

int __cdecl QelInspector(int window, const char* serviceUrl, const char* legacyUpdaterCrc,
                         const char* /*unused*/, const char* callerPath) {
  return RunWithWindowsPorts([&](pellorix::AgentPorts& ports) {
    return pellorix::Inspector(ports, window, TextOf(serviceUrl), TextOf(legacyUpdaterCrc),
                               TextOf(callerPath));
  });
}

int __cdecl QelExecute(int window, const char* serviceUrl, const char* legacyUpdaterCrc,
                       const char* /*unused*/, int mode) {
  return RunWithWindowsPorts([&](pellorix::AgentPorts& ports) {
    return pellorix::Execute(ports, window, TextOf(serviceUrl), TextOf(legacyUpdaterCrc), mode);
  });
}

// Exported as StartAppoint, CheckAppoint, CheckInstalled and CloseAppoint. With the C calling
// convention the caller removes whatever arguments it passed.
int __cdecl PellorixPlaceholder() { return pellorix::result::kPlaceholder; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_sendHandleMessage = ::RegisterWindowMessageA("MA_TO_SENDBXHANDLE");
    g_appointInspectMessage = ::RegisterWindowMessageA("MA_TO_APPOINTINSPECT");
    g_appointInstallMessage = ::RegisterWindowMessageA("MA_TO_APPOINTINSTALL");
    g_agentCloseMessage = ::RegisterWindowMessageA("MA_TO_AGENTCLOSE");
    g_patchStatusMessage = ::RegisterWindowMessageA("BX_PATCH_Status");
  }
  return TRUE;
}

}  // extern "C"
