#pragma once
#include <map>
#include <string>
#include <vector>

#include "common/text.h"
#include "ports/system_records.h"

namespace pellorix::testing {

class FakeSystemRecords final : public SystemRecords {
 public:
  std::optional<VersionRecord> extended;
  std::optional<VersionRecord> basic;
  std::optional<bool> wow64 = false;
  std::optional<std::string> productOptions;
  std::optional<std::uint16_t> uiLanguage;
  std::uint16_t langId = 0;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::map<std::string, std::uint16_t> fileLanguages;  // upper-cased path -> language
  std::vector<std::string> versionFilesRead;

  // Both records say the same.
  void UseRecord(const VersionRecord& record) {
    extended.emplace(record);
    basic.emplace(record);
  }

  // An NT system of that version and product type, read through both records.
  void SetNt(std::uint32_t major, std::uint32_t minor, std::uint8_t productType,
             std::string servicePack = "", std::uint16_t suiteMask = 0) {
    VersionRecord record{major, minor, 2600, 2, std::move(servicePack), suiteMask, productType};
    extended = record;
    record.suiteMask = 0;
    record.productType = 0;
    basic = record;
  }

  std::optional<VersionRecord> ReadExtendedVersion() override { return extended; }
  std::optional<VersionRecord> ReadBasicVersion() override { return basic; }
  std::optional<bool> IsWow64() override { return wow64; }
  std::optional<std::string> ProductOptionsType() override { return productOptions; }
  std::optional<std::uint16_t> SystemDefaultUiLanguage() override { return uiLanguage; }
  std::uint16_t SystemDefaultLangId() override { return langId; }
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::optional<std::uint16_t> FileVersionLanguage(const std::string& path) override {
    versionFilesRead.push_back(path);
    const auto language = fileLanguages.find(ToUpperAscii(path));
    if (language == fileLanguages.end()) return std::nullopt;
    return language->second;
  }
};

}  // namespace pellorix::testing
