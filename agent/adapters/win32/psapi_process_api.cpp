// Windows NT: Tool Help imported directly for the walks, PSAPI.DLL at run time for the rest.
#include <windows.h>
#include <tlhelp32.h>

#include <array>

#include "adapters/win32/process_apis.h"
#include "adapters/win32/process_common.h"
#include "adapters/win32/unique_handle.h"

namespace pellorix::win32 {
namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);

constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kMaxModules = 1024;

class PsapiProcessApi final : public ProcessApi {
 public:
  PsapiProcessApi() : psapi_(::LoadLibraryA("PSAPI.DLL")) {
    if (!psapi_) return;
    enumProcesses_ = LookUp<EnumProcessesFn>(psapi_.get(), "EnumProcesses");
    getModuleFileNameEx_ = LookUp<GetModuleFileNameExFn>(psapi_.get(), "GetModuleFileNameExA");
    getModuleBaseName_ = LookUp<GetModuleBaseNameFn>(psapi_.get(), "GetModuleBaseNameA");
    enumProcessModules_ = LookUp<EnumProcessModulesFn>(psapi_.get(), "EnumProcessModules");
  }
  bool IsReady() const override {
    return enumProcesses_ && getModuleFileNameEx_ && getModuleBaseName_ && enumProcessModules_;
  }
  std::optional<std::vector<ProcessEntry>> SnapshotProcesses() override {
    return WalkProcesses(&::CreateToolhelp32Snapshot, &::Process32First, &::Process32Next,
                         TH32CS_SNAPALL);
  }
  std::optional<std::vector<std::string>> SnapshotModules(std::uint32_t id) override {
    return WalkModules(&::CreateToolhelp32Snapshot, &::Module32First, &::Module32Next, id);
  }
  std::optional<std::vector<std::uint32_t>> EnumProcessIds() override {
    if (!enumProcesses_) return std::nullopt;
    std::array<DWORD, kMaxProcesses> ids{};
    DWORD bytes = 0;
    if (!enumProcesses_(ids.data(), sizeof ids, &bytes)) return std::nullopt;
    const std::size_t count = std::min<std::size_t>(bytes / sizeof(DWORD), ids.size());
    return std::vector<std::uint32_t>(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(count));
  }
  std::optional<std::string> FirstModuleBaseName(std::uint32_t id) override {
    if (!enumProcessModules_ || !getModuleBaseName_) return std::nullopt;
    UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, id));
    if (!process) return std::nullopt;
    std::array<HMODULE, kMaxModules> modules{};
    DWORD bytes = 0;
    if (!enumProcessModules_(process.get(), modules.data(), sizeof modules, &bytes) || bytes == 0) {
      return std::nullopt;
    }
    std::array<char, MAX_PATH> name{};
    const DWORD length =
        getModuleBaseName_(process.get(), modules[0], name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::nullopt;
    return std::string(name.data(), std::min<std::size_t>(length, name.size() - 1));
  }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override {
    return TerminateProcessById(id, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE,
                                exitCode);
  }
  bool EnablePrivilege(const std::string& name) override {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &rawToken)) return false;
    UniqueHandle token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
      return false;
    }
    return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) != 0;
  }

 private:
  UniqueModule psapi_;
  EnumProcessesFn enumProcesses_ = nullptr;
  GetModuleFileNameExFn getModuleFileNameEx_ = nullptr;
  GetModuleBaseNameFn getModuleBaseName_ = nullptr;
  EnumProcessModulesFn enumProcessModules_ = nullptr;
};

}  // namespace

std::unique_ptr<ProcessApi> WindowsProcessApiSource::OpenPsapi() {
  return std::make_unique<PsapiProcessApi>();
}

}  // namespace pellorix::win32
