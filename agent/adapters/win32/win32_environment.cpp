#include "adapters/win32/win32_environment.h"

#include <windows.h>

#include <array>
#include <cstdlib>

namespace pellorix::win32 {

std::optional<std::string> ProcessEnvironment::Get(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void ProcessEnvironment::Set(const std::string& name, const std::string& value) {
  // _putenv keeps the C runtime's copy and the process environment block in step.
  _putenv((name + "=" + value).c_str());
}

std::string ProcessEnvironment::SystemDirectory() {
  std::array<char, MAX_PATH> folder{};
  const UINT length = ::GetSystemDirectoryA(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) return {};
  return std::string(folder.data(), length);
}

}  // namespace pellorix::win32
