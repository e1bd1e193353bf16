#pragma once
// Tool Help walks shared by both process APIs.
#include <windows.h>
#include <tlhelp32.h>

#include <optional>
#include <string>
#include <vector>

#include "ports/process_api.h"

namespace pellorix::win32 {

using CreateSnapshot = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalk = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
using ModuleWalk = BOOL(WINAPI*)(HANDLE, LPMODULEENTRY32);

template <typename Function>
Function LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

std::optional<std::vector<ProcessEntry>> WalkProcesses(CreateSnapshot create, ProcessWalk first,
                                                       ProcessWalk next, DWORD flags = TH32CS_SNAPPROCESS);
std::optional<std::vector<std::string>> WalkModules(CreateSnapshot create, ModuleWalk first,
                                                    ModuleWalk next, std::uint32_t processId);
bool TerminateProcessById(std::uint32_t processId, DWORD access, std::uint32_t exitCode);

}  // namespace pellorix::win32
