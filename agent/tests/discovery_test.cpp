#include <string>

#include <gtest/gtest.h>

#include "discovery/installation_discovery.h"
#include "discovery/registry_layout.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_registry.h"

namespace pellorix {
namespace {

using testing::FakeRegistry;

constexpr Hive kLm = Hive::LocalMachine;

TEST(Discovery, UninstallEntriesMatchTheDisplayNameIgnoringCase) {
  struct Case {
    const char* displayName;
    bool matches;
  };
  const Case cases[] = {{"Pellorix", true}, {"PELLORIX", true}, {"pellorix", true},
                        {"Pellorix 2", false}, {"Pellori", false}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.displayName);
    FakeRegistry registry;
    registry.AddUninstallEntry("Other", "Something else");
    registry.AddUninstallEntry("{ABC}", c.displayName);
    EXPECT_EQ(ScanLegacyUninstall(registry), c.matches ? kScanFound : kScanNotFound);
    EXPECT_EQ(IsPortalInstalled(registry), c.matches);
  }
}

TEST(Discovery, LegacyScanReportsAnUnreadableUninstallKey) {
  FakeRegistry registry;
  EXPECT_EQ(ScanLegacyUninstall(registry), kScanKeyUnreadable);
  registry.AddUninstallEntry("{ABC}", "Pellorix");
  registry.RefuseOpen(kLm, layout::kUninstallKey);
  EXPECT_EQ(ScanLegacyUninstall(registry), kScanKeyUnreadable);
  EXPECT_FALSE(IsPortalInstalled(registry));
}

TEST(Discovery, EntriesThatDoNotOpenOrHaveNoNameAreSkipped) {
  FakeRegistry registry;
  registry.AddUninstallEntry("A", "Pellorix");
  registry.RefuseOpen(kLm, std::string(layout::kUninstallKey) + "\\A");
  registry.Key(kLm, std::string(layout::kUninstallKey) + "\\B");
  EXPECT_EQ(ScanLegacyUninstall(registry), kScanNotFound);
  registry.AddUninstallEntry("C", "pellorix");
  EXPECT_EQ(ScanLegacyUninstall(registry), kScanFound);
}

TEST(Discovery, PortalTestNeedsTheBrennixFolderWhenItsKeyExists) {
  struct Case {
    const char* label;
    bool brennixKey;
    std::optional<std::string> instPath;
    bool installed;
  };
  const Case cases[] = {
      {"no Brennix key", false, std::nullopt, true},
      {"key without InstPath", true, std::nullopt, false},
      {"empty InstPath", true, "", false},
      {"InstPath set", true, "C:\\Program Files\\Kelvaro\\PortalQel\\Brennix\\", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry registry;
    registry.AddUninstallEntry("{ABC}", "Pellorix");
    if (c.brennixKey) registry.Key(kLm, layout::kBrennixKey);
    if (c.instPath) registry.Set(kLm, layout::kBrennixKey, "InstPath", *c.instPath);
    EXPECT_EQ(IsPortalInstalled(registry), c.installed);
  }
}

TEST(Discovery, ATextValueTooLongForItsBufferReadsAsAbsent) {
  FakeRegistry registry;
  registry.AddUninstallEntry("{ABC}", "Pellorix");
  registry.Set(kLm, layout::kBrennixKey, "InstPath", std::string(260, 'x'));
  EXPECT_FALSE(IsPortalInstalled(registry));
  registry.Set(kLm, layout::kBrennixKey, "InstPath", std::string(259, 'x'));
  EXPECT_TRUE(IsPortalInstalled(registry));
}

TEST(Discovery, PortalFoldersLoseTheirTrailingBackslash) {
  FakeRegistry registry;
  registry.Set(kLm, layout::kPortalKey, "InstPath", "C:\\PF\\Kelvaro\\PortalQel\\");
  registry.Set(kLm, layout::kBrennixKey, "InstPath", "C:\\PF\\Kelvaro\\PortalQel\\Brennix");
  const PortalFolders folders = ReadPortalFolders(registry);
  EXPECT_EQ(folders.base, "C:\\PF\\Kelvaro\\PortalQel");
  EXPECT_EQ(folders.brennix, "C:\\PF\\Kelvaro\\PortalQel\\Brennix");

  FakeRegistry empty;
  EXPECT_EQ(ReadPortalFolders(empty).brennix, "");
}

TEST(Discovery, LegacyFolder) {
  FakeRegistry registry;
  EXPECT_EQ(ReadLegacyFolder(registry), "");
  registry.Set(kLm, layout::kLegacyKey, "InstPath", "C:\\PF\\Kelvaro\\QelGF\\Pellorix\\");
  EXPECT_EQ(ReadLegacyFolder(registry), "C:\\PF\\Kelvaro\\QelGF\\Pellorix");
}

TEST(Discovery, SuccessProbesCompareTheirOwnWordIgnoringCase) {
  struct Case {
    const char* value;
    bool legacy;
    bool portal;
  };
  const Case cases[] = {{"SUCCESS", true, false},      {"success", true, false},
                        {"SETUP_SUCCESS", false, true}, {"setup_success", false, true},
                        {"FAILED", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    FakeRegistry registry;
    registry.Set(kLm, layout::kLegacyKey, "UpdateValidate", c.value);
    registry.Set(kLm, layout::kBrennixKey, "UpdateValidate", c.value);
    EXPECT_EQ(LegacyUpdateSucceeded(registry), c.legacy);
    EXPECT_EQ(PortalSetupSucceeded(registry), c.portal);
  }
  FakeRegistry none;
  EXPECT_FALSE(LegacyUpdateSucceeded(none));
  EXPECT_FALSE(PortalSetupSucceeded(none));
}

TEST(Discovery, PortalUpdaterIsLookedForInTheProgramFolder) {
  testing::FakeFileSystem files;
  EXPECT_FALSE(HasPortalUpdater(files, "C:\\Program Files"));
  files.Put("C:\\Program Files\\Kelvaro\\PortalQel\\Brennix\\tavupd.exe", "x");
  EXPECT_TRUE(HasPortalUpdater(files, "C:\\Program Files"));
  EXPECT_FALSE(HasPortalUpdater(files, "D:\\Program Files"));
}

}  // namespace
}  // namespace pellorix
