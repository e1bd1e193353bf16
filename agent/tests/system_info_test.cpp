#include <string>

#include <gtest/gtest.h>

#include "system_info/c_system_info.h"
#include "tests/fakes/fake_system_records.h"

namespace pellorix {
namespace {

using testing::FakeSystemRecords;

VersionRecord Record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                     std::uint32_t build = 0, std::string servicePack = "",
                     std::uint8_t productType = 0, std::uint16_t suite = 0) {
  return VersionRecord{major, minor, build, platform, std::move(servicePack), suite, productType};
}

TEST(SystemInfo, VersionTable) {
  struct Case {
    const char* label;
    VersionRecord record;
    std::optional<bool> wow64;
    const char* name;
    int osCode;
    int os64Code;
    const char* edition;
    bool portal;
  };
  const Case cases[] = {
      {"32s", Record(0, 3, 10), false, "Windows 32s", 0, 0, "GOLD", false},
      {"95", Record(1, 4, 0, 950), false, "Windows 95", 1, 0, "GOLD", false},
      {"95 SP1", Record(1, 4, 0, 1000), false, "Windows 95", 1, 0, "SP1", false},
      {"95 OSR2", Record(1, 4, 0, 1111), false, "Windows 95", 1, 0, "OSR2", false},
      {"95 minor 3", Record(1, 4, 3, 1081), false, "Windows 95", 1, 0, "OSR2", false},
      {"98", Record(1, 4, 10, 1998, " B"), false, "Windows 98", 2, 0, "GOLD", false},
      {"98 SE", Record(1, 4, 10, 2222, " A "), false, "Windows 98", 2, 0, "SE", false},
      {"ME", Record(1, 4, 90), false, "Windows ME", 4, 0, "GOLD", false},
      {"NT4 workstation", Record(2, 4, 0, 1381, "", 1), false, "Windows NT", 8, 0,
       "4.0 WORKSTATION", false},
      {"NT4 server", Record(2, 4, 0, 1381, "", 3), false, "Windows NT", 16, 0, "4.0 SERVER", false},
      {"2000 professional", Record(2, 5, 0, 2195, "", 1), false, "Windows 2000", 32, 0,
       "PROFESSIONAL", false},
      {"2000 server", Record(2, 5, 0, 2195, "", 2), false, "Windows 2000", 64, 0, "SERVER", false},
      {"XP professional", Record(2, 5, 1, 2600, "", 1), false, "Windows XP", 256, 0,
       "PROFESSIONAL", false},
      {"XP home", Record(2, 5, 1, 2600, "", 1, 0x200), false, "Windows XP", 128, 0,
       "Home Edition", false},
      {"2003", Record(2, 5, 2, 3790, "", 3), false, "Windows 2003", 512, 0, "SERVER", false},
      {"XP x64", Record(2, 5, 2, 3790, "", 1), true, "Windows XPx64", 0, 1, "PROFESSIONAL", false},
      {"2003 x64", Record(2, 5, 2, 3790, "", 3), true, "Windows 2003x64", 0, 2, "SERVER", false},
      {"Vista", Record(2, 6, 0, 6000, "", 1), false, "Windows Vista", 1024, 0, "", true},
      {"Vista x64", Record(2, 6, 0, 6000, "", 1), true, "Windows VistaX64", 0, 4, "", true},
      {"6.1", Record(2, 6, 1, 7600, "", 1), false, "Windows Longhorn", 8192, 0, "", true},
      {"6.1 x64 server", Record(2, 6, 1, 7600, "", 3), true, "Windows LonghornX64", 0, 8, "", true},
      {"6.2 unknown", Record(2, 6, 2, 9200, "", 1), false, "", 0, 0, "PROFESSIONAL", false},
      {"5.2 without IsWow64Process", Record(2, 5, 2, 3790, "", 1), std::nullopt, "", 0, 0,
       "PROFESSIONAL", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeSystemRecords records;
    records.extended = c.record;
    records.basic = c.record;
    records.wow64 = c.wow64;
    CSystemInfo info(records);
    EXPECT_EQ(info.DescribeVersion(), 1);
    EXPECT_EQ(info.name, c.name);
    EXPECT_EQ(info.osCode, c.osCode);
    EXPECT_EQ(info.os64Code, c.os64Code);
    EXPECT_EQ(info.edition, c.edition);
    EXPECT_EQ(info.IsPortalClass(), c.portal);
  }
}

TEST(SystemInfo, ArchitectureOnlyForFiveTwoAndSix) {
  FakeSystemRecords records;
  records.SetNt(6, 0, 1);
  records.wow64 = true;
  CSystemInfo vista(records);
  vista.DescribeVersion();
  EXPECT_EQ(vista.architecture, "x64");
  EXPECT_EQ(vista.version, "6.0.2600");

  records.SetNt(5, 1, 1);
  CSystemInfo xp(records);
  xp.DescribeVersion();
  EXPECT_EQ(xp.architecture, "");
}

TEST(SystemInfo, ServicePackTakesTheWordAtTheLowestDigitFound) {
  struct Case {
    const char* text;
    const char* servicePack;
  };
  const Case cases[] = {
      {"Service Pack 2", "SP2"},
      {"", "SP0"},
      {"Service Pack", "SP0"},
      // The digit 1 is looked for first, wherever it stands.
      {"Service Pack 3, v.1234", "SP1234"},
      {"Service Pack 6a", "SP6a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FakeSystemRecords records;
    records.SetNt(5, 1, 1, c.text);
    CSystemInfo info(records);
    info.DescribeVersion();
    EXPECT_EQ(info.servicePack, c.servicePack);
  }
}

TEST(SystemInfo, ServicePackIsReadOnNtOnly) {
  FakeSystemRecords records;
  const VersionRecord windows98 = Record(1, 4, 10, 0, "Service Pack 2");
  records.UseRecord(windows98);
  CSystemInfo info(records);
  info.DescribeVersion();
  EXPECT_EQ(info.servicePack, "SP0");
}

TEST(SystemInfo, UnreadableVersionLeavesTheCodesZero) {
  FakeSystemRecords records;
  CSystemInfo info(records);
  EXPECT_EQ(info.DescribeVersion(), 0);
  EXPECT_EQ(info.osCode, 0);
  EXPECT_FALSE(info.IsPortalClass());
}

TEST(SystemInfo, ProductOptionsDecideWhenOnlyTheBasicRecordIsRead) {
  struct Case {
    std::uint32_t major, minor;
    const char* productType;
    int osCode;
    const char* edition;
  };
  const Case cases[] = {
      {5, 0, "WINNT", 32, "PROFESSIONAL"},  {5, 1, "winnt", 256, "PROFESSIONAL"},
      {5, 0, "LANMANNT", 64, "SERVER"},     {4, 0, "SERVERNT", 16, "SERVER"},
      {5, 2, "ServerNT", 512, "SERVER"},    {5, 1, "Other", 384, "GOLD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.productType);
    FakeSystemRecords records;
    records.basic = Record(2, c.major, c.minor);
    records.productOptions = c.productType;
    CSystemInfo info(records);
    info.DescribeVersion();
    EXPECT_EQ(info.osCode, c.osCode);
    if (c.major != 4) {
      EXPECT_EQ(info.edition, c.edition);
    }
  }
}

TEST(SystemInfo, LanguageNames) {
  struct Case {
    std::uint16_t id;
    const char* name;
  };
  const Case cases[] = {
      {0x0412, "korean"},  {0x0409, "english"}, {0x0411, "japan"},   {0x0804, "chs"},
      {0x0404, "cht"},     {0x0C04, "chs"},     {0x1404, "chs"},     {0x0422, "Rkrainian"},
      {0x007F, "Invariant"}, {0x0417, ""},      {0x0480, ""},        {0x0465, "Divehi"},
      {0x0066, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(LanguageNameOf(c.id), c.name);
  }
}

TEST(SystemInfo, LanguageComesFromTheUiLanguageOrTheDefaultLanguage) {
  struct Case {
    const char* label;
    std::optional<std::uint16_t> ui;
    std::uint16_t langId;
    const char* name;
  };
  const Case cases[] = {
      {"ui language", 0x0412, 0x0409, "korean"},
      {"ui language missing", std::nullopt, 0x0412, "korean"},
      {"ui language zero", 0, 0x0411, "japan"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeSystemRecords records;
    records.SetNt(5, 1, 1);
    records.uiLanguage = c.ui;
    records.langId = c.langId;
    CSystemInfo info(records);
    info.DescribeLanguage();
    EXPECT_EQ(info.languageName, c.name);
    EXPECT_EQ(info.osCode, 256);  // described on the way
  }
}

TEST(SystemInfo, OldSystemsReadTheLanguageOfWinver) {
  struct Case {
    const char* label;
    VersionRecord record;
    const char* winverPath;
  };
  const Case cases[] = {
      {"95", Record(1, 4, 0, 950), "C:\\WINDOWS\\Winver.exe"},
      {"98", Record(1, 4, 10), "C:\\WINDOWS\\Winver.exe"},
      {"NT4 workstation", Record(2, 4, 0, 1381, "", 1), "C:\\WINDOWS\\system32\\Winver.exe"},
      {"NT4 untyped", Record(2, 4, 0, 1381, "", 0), "C:\\WINDOWS\\system32\\Winver.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeSystemRecords records;
    records.UseRecord(c.record);
    records.uiLanguage = 0x0409;
    records.fileLanguages["C:\\WINDOWS\\SYSTEM32\\WINVER.EXE"] = 0x0412;
    records.fileLanguages["C:\\WINDOWS\\WINVER.EXE"] = 0x0412;
    CSystemInfo info(records);
    info.DescribeLanguage();
    ASSERT_EQ(records.versionFilesRead.size(), 1u);
    EXPECT_EQ(records.versionFilesRead[0], c.winverPath);
    EXPECT_EQ(info.languageName, "korean");
  }
}

TEST(SystemInfo, UnreadableWinverGivesUnknown) {
  FakeSystemRecords records;
  const VersionRecord windows98 = Record(1, 4, 10);
  records.UseRecord(windows98);
  CSystemInfo info(records);
  info.DescribeLanguage();
  EXPECT_EQ(info.languageName, "Unknown");
}

}  // namespace
}  // namespace pellorix
