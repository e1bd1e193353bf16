#pragma once
// Describes the running Windows: version, edition, 64-bit system, user-interface language.
// Only osCode, os64Code and the language name decide anything in the library.
#include <string>

#include "ports/system_records.h"

namespace pellorix {

class CSystemInfo {
 public:
  explicit CSystemInfo(SystemRecords& records) : records_(records) {}

  // 0 when no version record can be read, else 1.
  int DescribeVersion();
  // Writes the language name; describes the version first when osCode is still 0.
  void DescribeLanguage();

  // Vista and Windows 6.1, 32-bit or 64-bit, are served by the portal agent.
  bool IsPortalClass() const;

  int osCode = 0;
  int os64Code = 0;
  std::string name;
  std::string edition = "GOLD";
  std::string servicePack = "SP0";
  std::string version;
  std::string architecture;
  std::string languageName;

 private:
  void ApplyProductType(const VersionRecord& record, bool wow64);
  void ApplyProductOptions(const VersionRecord& record);
  SystemRecords& records_;
};

// Name of a Windows language identifier; empty when the table has none.
std::string LanguageNameOf(unsigned languageId);

}  // namespace pellorix
