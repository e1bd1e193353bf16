#pragma once
// System records port: the version records and language identifiers of the running Windows.
#include <cstdint>
#include <optional>
#include <string>

namespace pellorix {

struct VersionRecord {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 Windows NT
  std::string servicePack;       // the service-pack text of the record
  std::uint16_t suiteMask = 0;   // extended record only
  std::uint8_t productType = 0;  // extended record only: 1 workstation, 2 domain controller, 3 server
};

class SystemRecords {
 public:
  virtual ~SystemRecords() = default;
  virtual std::optional<VersionRecord> ReadExtendedVersion() = 0;
  virtual std::optional<VersionRecord> ReadBasicVersion() = 0;
  // nullopt when IsWow64Process is missing from kernel32.
  virtual std::optional<bool> IsWow64() = 0;
  // "ProductType" under HKLM SYSTEM\CurrentControlSet\Control\ProductOptions.
  virtual std::optional<std::string> ProductOptionsType() = 0;
  // GetSystemDefaultUILanguage of the system folder's kernel32; nullopt when it is missing.
  virtual std::optional<std::uint16_t> SystemDefaultUiLanguage() = 0;
  virtual std::uint16_t SystemDefaultLangId() = 0;
  virtual std::string WindowsDirectory() = 0;
  // First language of "\VarFileInfo\Translation" in the file's version resource.
  virtual std::optional<std::uint16_t> FileVersionLanguage(const std::string& path) = 0;
};

}  // namespace pellorix
