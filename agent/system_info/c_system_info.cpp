#include "system_info/c_system_info.h"

#include <cstdio>
#include <optional>

#include "common/text.h"

namespace pellorix {
namespace {

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows9x = 1;
constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint16_t kSuitePersonal = 0x200;

std::string Format(const char* format, std::uint32_t a, std::uint32_t b) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(a), static_cast<unsigned>(b));
  return text;
}

// "SP" and the blank-delimited word that starts at the first of the digits 1 to 9, looked for in
// the order of their value.
std::optional<std::string> ServicePackWord(const std::string& text) {
  for (char digit = '1'; digit <= '9'; ++digit) {
    const auto at = text.find(digit);
    if (at == std::string::npos) continue;
    const auto end = text.find(' ', at);
    return "SP" + text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }
  return std::nullopt;
}

}  // namespace

bool CSystemInfo::IsPortalClass() const {
  return osCode == 1024 || osCode == 8192 || os64Code == 4 || os64Code == 8;
}

int CSystemInfo::DescribeVersion() {
  servicePack = "SP0";
  edition = "GOLD";
  osCode = 0;
  os64Code = 0;

  if (const auto basic = records_.ReadBasicVersion(); basic && basic->platformId == kPlatformNt) {
    if (auto word = ServicePackWord(basic->servicePack)) servicePack = *word;
  }

  bool productTypeKnown = true;
  std::optional<VersionRecord> record = records_.ReadExtendedVersion();
  if (!record) {
    productTypeKnown = false;
    record = records_.ReadBasicVersion();
    if (!record) return 0;
  }
  const VersionRecord& r = *record;
  char versionText[64];
  std::snprintf(versionText, sizeof versionText, "%u.%u.%u", static_cast<unsigned>(r.major),
                static_cast<unsigned>(r.minor), static_cast<unsigned>(r.build));
  version = versionText;

  bool wow64 = false;
  if (r.platformId == kPlatformWin32s) {
    name = "Windows 32s";
  } else if (r.platformId == kPlatformWindows9x && r.major == 4) {
    if (r.minor <= 9) {
      name = "Windows 95";
      osCode = 1;
    } else if (r.minor == 10) {
      name = "Windows 98";
      osCode = 2;
    } else if (r.minor == 90) {
      name = "Windows ME";
      osCode = 4;
    }
  } else if (r.platformId == kPlatformNt) {
    if (r.major == 3 || r.major == 4) {
      name = "Windows NT";
      osCode = 24;
      edition = Format("%u.%u", r.major, r.minor);
    } else if (r.major == 5 && r.minor == 0) {
      name = "Windows 2000";
      osCode = 96;
    } else if (r.major == 5 && r.minor == 1) {
      name = "Windows XP";
      osCode = 384;
    } else if ((r.major == 5 && r.minor == 2) || r.major == 6) {
      const std::optional<bool> underWow64 = records_.IsWow64();
      if (underWow64) {
        wow64 = *underWow64;
        architecture = wow64 ? "x64" : "x86";
        if (r.major == 5) {
          if (!wow64) {
            name = "Windows 2003";
            osCode = 512;
          } else if (productTypeKnown && r.productType == 1) {
            name = "Windows XPx64";
            os64Code = 1;
          } else {
            name = "Windows 2003x64";
            os64Code = 2;
          }
        } else if (r.minor == 0) {
          name = wow64 ? "Windows VistaX64" : "Windows Vista";
          if (wow64) {
            os64Code = 4;
          } else {
            osCode = 1024;
          }
        } else if (r.minor == 1) {
          name = wow64 ? "Windows LonghornX64" : "Windows Longhorn";
          if (wow64) {
            os64Code = 8;
          } else {
            osCode = 8192;
          }
        }
      }
    }
  }

  if (osCode == 1) {
    // The build field is compared whole, as the system reports it.
    if (r.minor == 0) {
      if (r.build == 950) {
        edition = "GOLD";
      } else if (r.build >= 951 && r.build <= 1080) {
        edition = "SP1";
      } else if (r.build > 1080) {
        edition = "OSR2";
      }
    } else if (r.build > 1080) {
      edition = "OSR2";
    }
  } else if (osCode == 2) {
    edition = (r.servicePack.size() > 1 && r.servicePack[1] == 'A') ? "SE" : "GOLD";
  }

  if (r.platformId == kPlatformNt) {
    if (productTypeKnown) {
      ApplyProductType(r, wow64);
    } else {
      ApplyProductOptions(r);
    }
  }
  return 1;
}

void CSystemInfo::ApplyProductType(const VersionRecord& r, bool wow64) {
  const bool vistaOrLater64 = os64Code == 4 || os64Code == 8;
  const bool vistaOrLater32 = osCode == 1024 || osCode == 8192;
  if (r.productType == 1) {
    if (wow64) {
      edition = vistaOrLater64 ? "" : "PROFESSIONAL";
    } else if (osCode == 24) {
      osCode = 8;
      edition = Format("%u.%u WORKSTATION", r.major, r.minor);
    } else if (osCode == 96) {
      osCode = 32;
      edition = "PROFESSIONAL";
    } else if (osCode == 384) {
      const bool home = (r.suiteMask & kSuitePersonal) != 0;
      osCode = home ? 128 : 256;
      edition = home ? "Home Edition" : "PROFESSIONAL";
    } else if (vistaOrLater32) {
      edition = "";
    } else {
      edition = "PROFESSIONAL";
    }
  } else if (r.productType == 2 || r.productType == 3) {
    if (wow64) {
      edition = vistaOrLater64 ? "" : "SERVER";
    } else if (vistaOrLater32) {
      edition = "";
    } else if (osCode == 24) {
      osCode = 16;
      edition = Format("%u.%u SERVER", r.major, r.minor);
    } else if (osCode == 96) {
      osCode = 64;
      edition = "SERVER";
    } else {
      edition = "SERVER";
    }
  }
}

void CSystemInfo::ApplyProductOptions(const VersionRecord&) {
  const std::optional<std::string> type = records_.ProductOptionsType();
  if (!type) return;
  if (EqualsNoCase(*type, "WINNT")) {
    edition = "PROFESSIONAL";
    if (osCode == 96) osCode = 32;
    if (osCode == 384) osCode = 256;
  } else if (EqualsNoCase(*type, "LANMANNT") || EqualsNoCase(*type, "SERVERNT")) {
    edition = "SERVER";
    if (osCode == 24) osCode = 16;
    if (osCode == 96) osCode = 64;
  }
}

void CSystemInfo::DescribeLanguage() {
  if (osCode == 0) DescribeVersion();

  unsigned languageId = 0;
  if (osCode == 1 || osCode == 2 || osCode == 8 || osCode == 24) {
    // These systems have no UI language call; Winver.exe carries the language of the install.
    const std::string folder = records_.WindowsDirectory();
    const std::string path = folder + (osCode > 7 ? "\\system32\\Winver.exe" : "\\Winver.exe");
    const std::optional<std::uint16_t> fileLanguage = records_.FileVersionLanguage(path);
    if (!fileLanguage) {
      languageName = "Unknown";
      return;
    }
    languageId = *fileLanguage;
  } else {
    const std::optional<std::uint16_t> ui = records_.SystemDefaultUiLanguage();
    languageId = (ui && *ui != 0) ? *ui : records_.SystemDefaultLangId();
  }
  languageName = CutToBuffer(LanguageNameOf(languageId));
}

}  // namespace pellorix
