#pragma once
#include "ports/system_records.h"

namespace pellorix::win32 {

// Version records, IsWow64Process and GetSystemDefaultUILanguage looked up at run time, so the
// library loads on systems that lack them.
class Win32SystemRecords final : public SystemRecords {
 public:
  std::optional<VersionRecord> ReadExtendedVersion() override;
  std::optional<VersionRecord> ReadBasicVersion() override;
  std::optional<bool> IsWow64() override;
  std::optional<std::string> ProductOptionsType() override;
  std::optional<std::uint16_t> SystemDefaultUiLanguage() override;
  std::uint16_t SystemDefaultLangId() override;
  std::string WindowsDirectory() override;
  std::optional<std::uint16_t> FileVersionLanguage(const std::string& path) override;
};

}  // namespace pellorix::win32
