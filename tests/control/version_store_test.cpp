#include "launcher/control/version_store.h"

#include <gtest/gtest.h>

#include "launcher/control/notices.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

class VersionStoreTest : public ::testing::Test {
 protected:
  FakeRegistry registry;
  MemoryFileSystem files;
  FakeView view;
  Notices notices{view};
  VersionStore store{registry, files, notices};
};

TEST_F(VersionStoreTest, FirstStartCreatesTheValues) {
  store.Prepare();
  const RegistryValue* global = registry.Find(kClientKey, "global_version");
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(global->type, kRegDword);
  EXPECT_EQ(global->data, (std::vector<uint8_t>{0, 0, 0, 0}));
  ASSERT_NE(registry.Find(kClientKey, "separate_version"), nullptr);
  const RegistryValue* workingDir = registry.Find(kClientKey, "workingdir");
  ASSERT_NE(workingDir, nullptr);
  EXPECT_EQ(workingDir->type, kRegString);
  std::string expected = std::string(MemoryFileSystem::kRoot) + '\0';
  EXPECT_EQ(std::string(workingDir->data.begin(), workingDir->data.end()), expected);
  EXPECT_EQ(store.installedGlobalVersion(), 0);
  EXPECT_EQ(store.versionCaption(), "Client Ver. (0)");
}

TEST_F(VersionStoreTest, ReadsStoredVersionsAndRewritesTheWorkingDirectory) {
  registry.SetDword(kClientKey, "global_version", 42);
  registry.SetDword(kClientKey, "separate_version", 3);
  registry.SetString(kClientKey, "workingdir", "D:\\old place");
  store.Prepare();
  EXPECT_EQ(store.installedGlobalVersion(), 42);
  EXPECT_EQ(store.installedSeparateVersion(), 3);
  EXPECT_EQ(store.versionCaption(), "Client Ver. (42)");
  const RegistryValue* workingDir = registry.Find(kClientKey, "workingdir");
  EXPECT_EQ(std::string(workingDir->data.begin(), workingDir->data.end() - 1),
            MemoryFileSystem::kRoot);
}

TEST_F(VersionStoreTest, AVersionStoredAsTextIsNeitherOverwrittenNorRead) {
  registry.SetString(kClientKey, "global_version", "42");
  store.Prepare();
  EXPECT_EQ(registry.Find(kClientKey, "global_version")->type, kRegString);
  EXPECT_EQ(store.installedGlobalVersion(), 0);
}

TEST_F(VersionStoreTest, EachVersionIsReadOnItsOwn) {
  // A value of another type or size before it does not spoil the read of the next one.
  struct Case {
    const char* name;
    RegistryValue global;
    int32_t expectedGlobal;
  } const cases[] = {
      {"short text", {kRegString, {'4', '2', 0}}, 0},
      {"long text", {kRegString, {'1', '2', '0', '0', 0}}, 0},
      {"two-byte dword", {kRegDword, {1, 2}}, 0},
      {"negative", {kRegDword, {0xff, 0xff, 0xff, 0xff}}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry caseRegistry;
    caseRegistry.keys["software\\brennix\\qortestclient"]["global_version"] = c.global;
    caseRegistry.SetDword(kClientKey, "separate_version", 3);
    VersionStore caseStore(caseRegistry, files, notices);
    caseStore.Prepare();
    EXPECT_EQ(caseStore.installedGlobalVersion(), c.expectedGlobal);
    EXPECT_EQ(caseStore.installedSeparateVersion(), 3);
    EXPECT_EQ(caseRegistry.Find(kClientKey, "global_version")->data, c.global.data);
  }
}

TEST_F(VersionStoreTest, ReadVersionsSeesWhatChangedAndKeepsCopiesWithoutAKey) {
  registry.SetDword(kClientKey, "global_version", 5);
  store.Prepare();
  registry.SetDword(kClientKey, "global_version", 6);
  store.ReadVersions();
  EXPECT_EQ(store.installedGlobalVersion(), 6);

  FakeRegistry noKey;
  noKey.failCreate = true;
  VersionStore keyless(noKey, files, notices);
  keyless.Store(1200, 3);
  keyless.ReadVersions();
  EXPECT_EQ(keyless.installedGlobalVersion(), 1200);
  EXPECT_EQ(keyless.installedSeparateVersion(), 3);
}

TEST_F(VersionStoreTest, AStartWithoutTheKeyIsSilent) {
  registry.failCreate = true;
  store.Prepare();
  EXPECT_EQ(store.installedGlobalVersion(), 0);
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(VersionStoreTest, StoreWritesDwordsAndTheCaption) {
  store.Prepare();
  store.Store(1200, 3);
  const RegistryValue* global = registry.Find(kClientKey, "global_version");
  EXPECT_EQ(global->type, kRegDword);
  EXPECT_EQ(global->data, (std::vector<uint8_t>{0xB0, 0x04, 0, 0}));
  EXPECT_EQ(registry.Find(kClientKey, "separate_version")->data,
            (std::vector<uint8_t>{3, 0, 0, 0}));
  EXPECT_EQ(store.versionCaption(), "Client Ver. (1200)");
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(VersionStoreTest, StoreFailuresShowTheRegistryMessageAndKeepTheNewVersions) {
  struct Case {
    bool failCreate;
    bool failWrites;
    size_t boxes;
  } const cases[] = {{true, false, 1}, {false, true, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.boxes);
    FakeRegistry failing;
    FakeView boxView;
    Notices boxNotices(boxView);
    VersionStore failingStore(failing, files, boxNotices);
    failing.failCreate = c.failCreate;
    failing.failWrites = c.failWrites;
    failingStore.Store(1200, 3);
    ASSERT_EQ(boxView.boxes.size(), c.boxes);
    EXPECT_EQ(boxView.boxes[0].text, "The attempt to write to the registry has failed.");
    EXPECT_EQ(boxView.boxes[0].caption, "Error");
    EXPECT_FALSE(boxView.boxes[0].owned);
    EXPECT_EQ(failingStore.installedGlobalVersion(), 1200);
    EXPECT_EQ(failingStore.versionCaption(), "Client Ver. (1200)");
  }
}

}  // namespace
}  // namespace veltharn
