#include "adapters/win32/process_common.h"

#include "adapters/win32/unique_handle.h"

namespace pellorix::win32 {

std::optional<std::vector<ProcessEntry>> WalkProcesses(CreateSnapshot create, ProcessWalk first,
                                                       ProcessWalk next, DWORD flags) {
  UniqueFile snapshot(create(flags, 0));
  if (!snapshot) return std::nullopt;
  std::vector<ProcessEntry> entries;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = '\0';
    entries.push_back({static_cast<std::uint32_t>(entry.th32ProcessID), entry.szExeFile});
    entry.dwSize = sizeof entry;
  }
  return entries;
}

std::optional<std::vector<std::string>> WalkModules(CreateSnapshot create, ModuleWalk first,
                                                    ModuleWalk next, std::uint32_t processId) {
  UniqueFile snapshot(create(TH32CS_SNAPMODULE, processId));
  if (!snapshot) return std::nullopt;
  std::vector<std::string> modules;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
    entry.szExePath[MAX_PATH - 1] = '\0';
    modules.emplace_back(entry.szExePath);
    entry.dwSize = sizeof entry;
  }
  return modules;
}

bool TerminateProcessById(std::uint32_t processId, DWORD access, std::uint32_t exitCode) {
  UniqueHandle process(::OpenProcess(access, FALSE, processId));
  return process && ::TerminateProcess(process.get(), exitCode);
}

}  // namespace pellorix::win32
