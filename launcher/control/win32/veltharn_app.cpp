// The launcher's entry point on Windows: restricts where libraries may be loaded from, registers
// the agent's answer message, and runs the main dialog; the process ends when the dialog does.

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "launcher/adapters/win32/debugger_output.h"
#include "launcher/control/win32/veltharn_dlg.h"

namespace {

// The update server. Development machines may point a launcher elsewhere with
// VELTHARN_UPDATE_SERVER=HOST or HOST:PORT; players never set it.
constexpr const char* kUpdateServerHost = "update.veltharn.example";

veltharn::ControllerConfig ServerConfig() {
  veltharn::ControllerConfig config{kUpdateServerHost, veltharn::kUpdateServerPort};
  const char* chosen = std::getenv("VELTHARN_UPDATE_SERVER");
  if (chosen == nullptr || *chosen == '\0') return config;
  std::string text = chosen;
  size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    int port = std::atoi(text.c_str() + colon + 1);
    if (port > 0 && port < 65536) config.serverPort = static_cast<uint16_t>(port);
    text.resize(colon);
  }
  config.serverHost = text;
  return config;
}

// Libraries come from the system folder or by full path only, never from the current directory.
void RestrictLibrarySearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  if (found != nullptr) {
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(found));
    setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
  }
  SetDllDirectoryA("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  UINT inspectorResult = RegisterWindowMessageA("MA_TO_INSPECTORRESULT");
  INITCOMMONCONTROLSEX controls = {8, 0xFF};
  InitCommonControlsEx(&controls);

  veltharn::DebuggerOutput debugOutput;
  veltharn::InstallDebugOutput(&debugOutput);
  veltharn::CVeltharnDlg dialog(instance, inspectorResult, ServerConfig());
  dialog.DoModal();
  veltharn::InstallDebugOutput(nullptr);
  return 0;
}
