#include "launcher/adapters/win32/win32_processes.h"

#include <windows.h>

#include <string>

namespace veltharn {

std::string Win32Processes::OwnPath() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

InstanceClaim Win32Processes::ClaimInstance(const std::string& name) {
  instanceMutex_.reset(CreateMutexA(nullptr, FALSE, name.c_str()));
  return GetLastError() == ERROR_ALREADY_EXISTS ? InstanceClaim::kAlreadyRunning
                                                : InstanceClaim::kFirst;
}

void Win32Processes::ActivateRunningInstance(const std::string& title) {
  HWND window = FindWindowA("#32770", title.c_str());
  if (window == nullptr) return;
  SetForegroundWindow(window);
  SetFocus(window);
}

int Win32Processes::RunAndExit(const std::string& path) {
  std::string commandLine = path;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ExitProcess(0);
}

void Win32Processes::Exit(int code) { ExitProcess(static_cast<UINT>(code)); }

void Win32Clock::SleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace veltharn
