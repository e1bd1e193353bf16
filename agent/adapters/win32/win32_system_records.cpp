#include "adapters/win32/win32_system_records.h"

#include <windows.h>

#include <array>
#include <vector>

#include "adapters/win32/process_common.h"
#include "adapters/win32/unique_handle.h"
#include "adapters/win32/win32_registry.h"

namespace pellorix::win32 {
namespace {

VersionRecord FromBasic(const OSVERSIONINFOA& info) {
  VersionRecord record;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  record.build = info.dwBuildNumber;
  record.platformId = info.dwPlatformId;
  std::array<char, sizeof info.szCSDVersion + 1> text{};
  std::copy(std::begin(info.szCSDVersion), std::end(info.szCSDVersion), text.begin());
  record.servicePack = text.data();
  return record;
}

}  // namespace

// GetVersionExA is deprecated for new programs, but it is the record the agent generations were
// chosen by, and it answers truthfully for Windows up to 6.1.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
std::optional<VersionRecord> Win32SystemRecords::ReadExtendedVersion() {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return std::nullopt;
  VersionRecord record = FromBasic(*reinterpret_cast<OSVERSIONINFOA*>(&info));
  record.suiteMask = info.wSuiteMask;
  record.productType = info.wProductType;
  return record;
}

std::optional<VersionRecord> Win32SystemRecords::ReadBasicVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(&info)) return std::nullopt;
  return FromBasic(info);
}
#pragma GCC diagnostic pop

std::optional<bool> Win32SystemRecords::IsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel = ::GetModuleHandleA("kernel32");
  const auto isWow64Process = kernel ? LookUp<IsWow64ProcessFn>(kernel, "IsWow64Process") : nullptr;
  if (!isWow64Process) return std::nullopt;
  BOOL wow64 = FALSE;
  if (!isWow64Process(::GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}

std::optional<std::string> Win32SystemRecords::ProductOptionsType() {
  RegistryStore registry;
  const auto key = registry.Open(Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                                 KeyAccess::QueryValue);
  if (!key) return std::nullopt;
  return key->ReadText("ProductType");
}

std::optional<std::uint16_t> Win32SystemRecords::SystemDefaultUiLanguage() {
  std::array<char, MAX_PATH> folder{};
  const UINT length = ::GetSystemDirectoryA(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) return std::nullopt;
  const std::string path = std::string(folder.data(), length) + "\\kernel32.dll";
  UniqueModule kernel(::LoadLibraryA(path.c_str()));
  if (!kernel) return std::nullopt;
  using UiLanguageFn = LANGID(WINAPI*)();
  const auto uiLanguage = LookUp<UiLanguageFn>(kernel.get(), "GetSystemDefaultUILanguage");
  if (!uiLanguage) return std::nullopt;
  return uiLanguage();
}

std::uint16_t Win32SystemRecords::SystemDefaultLangId() { return ::GetSystemDefaultLangID(); }

std::string Win32SystemRecords::WindowsDirectory() {
  std::array<char, MAX_PATH> folder{};
  const UINT length = ::GetWindowsDirectoryA(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) return {};
  return std::string(folder.data(), length);
}

std::optional<std::uint16_t> Win32SystemRecords::FileVersionLanguage(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
  void* translation = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
      length < sizeof(WORD)) {
    return std::nullopt;
  }
  return *static_cast<const WORD*>(translation);
}

}  // namespace pellorix::win32
