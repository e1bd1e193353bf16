#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "discovery/registry_layout.h"
#include "http/c_file_crc32.h"
#include "install/c_legacy_agent_setup.h"
#include "tests/fakes/agent_world.h"

namespace pellorix {
namespace {

constexpr char kUrl[] = "http://svc.test";
constexpr char kFolder[] = "C:\\Program Files\\Kelvaro\\QelGF\\Pellorix";
constexpr char kUpdater[] = "C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\PellorixUpdate.exe";
constexpr char kUpdateCopy[] =
    "C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\update\\PellorixUpdate.exe";
constexpr char kQuotedUpdater[] =
    "\"C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\PellorixUpdate.exe\" ";

class LegacySetupTest : public ::testing::Test {
 protected:
  LegacySetupTest() {
    world.http.Route("svc.test:80/PortalQelService/PellorixUpdate.exe",
                     testing::FakeResponse{200, "", "UPD", 200});
    testing::FakeFileSystem reference;
    reference.Put("C:\\u", "UPD");
    updaterCrc = CFileCrc32(reference).ComputeText("C:\\u");
    world.eventState.onWait = [this](int wait) {
      if (changes.count(wait)) changes[wait]();
    };
  }
  void Validate() {
    world.registry.Set(Hive::LocalMachine, layout::kLegacyKey, "UpdateValidate", "SUCCESS");
  }

  testing::AgentWorld world;
  std::string updaterCrc;
  std::map<int, std::function<void()>> changes;
};

TEST_F(LegacySetupTest, InstallRegistersFetchesStartsAndWaitsForTheUpdaterToFinish) {
  world.starter.onStart = [&](const std::string&) { world.processTable.Add("PellorixUpdate.exe"); };
  changes[3] = [&] { Validate(); };
  changes[4] = [&] { world.processTable.Remove("PellorixUpdate.exe"); };
  EXPECT_EQ(CLegacyAgentSetup(world.ports).Install(kUrl, updaterCrc, 30), 0);

  EXPECT_EQ(world.eventState.waits, 4);
  ASSERT_EQ(world.starter.started.size(), 1u);
  EXPECT_EQ(world.starter.started[0].first, std::string(kQuotedUpdater) + " -o");
  EXPECT_EQ(world.files.Contents(kUpdater), "UPD");
  EXPECT_FALSE(world.files.Contents(kUpdateCopy));
  const Hive lm = Hive::LocalMachine;
  EXPECT_EQ(world.registry.Value(lm, layout::kQelGfKey, "PortalKey"), "Pellorix");
  EXPECT_EQ(world.registry.Value(lm, layout::kLegacyKey, "PortalKey"), "Pellorix");
  EXPECT_EQ(world.registry.Value(lm, layout::kLegacyKey, "ServerURL"), kUrl);
  EXPECT_EQ(world.registry.Value(lm, layout::kLegacyKey, "ServerPort"), "80");
  EXPECT_EQ(world.registry.Value(lm, layout::kLegacyKey, "InstPath"), kFolder);
}

TEST_F(LegacySetupTest, InstallResultFollowsWhatThePollSees) {
  struct Case {
    const char* label;
    bool updaterStarts;
    int validateAtWait;  // 0: never
    int exitAtWait;      // 0: never
    int waitSeconds;
    int result;
  };
  const Case cases[] = {
      {"seen, validated, exited", true, 2, 3, 30, 0},
      {"validated but still running", true, 2, 0, 3, 12},
      {"exited without validation", true, 0, 2, 3, 12},
      {"never seen", false, 1, 0, 3, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::AgentWorld w;
    w.http.Route("svc.test:80/PortalQelService/PellorixUpdate.exe",
                 testing::FakeResponse{200, "", "UPD", 200});
    if (c.updaterStarts) {
      w.starter.onStart = [&](const std::string&) { w.processTable.Add("PellorixUpdate.exe"); };
    }
    w.eventState.onWait = [&](int wait) {
      if (wait == c.validateAtWait) {
        w.registry.Set(Hive::LocalMachine, layout::kLegacyKey, "UpdateValidate", "success");
      }
      if (wait == c.exitAtWait) w.processTable.Remove("PellorixUpdate.exe");
    };
    EXPECT_EQ(CLegacyAgentSetup(w.ports).Install(kUrl, updaterCrc, c.waitSeconds), c.result);
  }
}

TEST_F(LegacySetupTest, On9xTheUpdaterIsRecognisedByItsFullPath) {
  world.system.UseRecord(VersionRecord{4, 10, 2222, 1, " A ", 0, 0});
  world.starter.onStart = [&](const std::string&) {
    world.processTable.Add("PellorixUpdate.exe");  // a name alone is not the updater on 9x
  };
  changes[2] = [&] {
    world.processTable.Add("C:\\PROGRAM FILES\\KELVARO\\QELGF\\PELLORIX\\PELLORIXUPDATE.EXE");
  };
  changes[3] = [&] { Validate(); };
  changes[4] = [&] {
    world.processTable.Remove("C:\\PROGRAM FILES\\KELVARO\\QELGF\\PELLORIX\\PELLORIXUPDATE.EXE");
  };
  EXPECT_EQ(CLegacyAgentSetup(world.ports).Install(kUrl, updaterCrc, 30), 0);
  EXPECT_EQ(world.eventState.waits, 4);
}

TEST_F(LegacySetupTest, InstallFailures) {
  struct Case {
    const char* label;
    bool served;
    bool starts;
  };
  const Case cases[] = {{"download fails", false, true}, {"start fails", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::AgentWorld w;
    if (c.served) {
      w.http.Route("svc.test:80/PortalQelService/PellorixUpdate.exe",
                   testing::FakeResponse{200, "", "UPD", 200});
    }
    w.starter.succeeds = c.starts;
    EXPECT_EQ(CLegacyAgentSetup(w.ports).Install(kUrl, updaterCrc, 30), 13);
    EXPECT_EQ(w.starter.started.size(), c.served ? 1u : 0u);
    EXPECT_EQ(w.eventState.created, 0);
  }
}

TEST_F(LegacySetupTest, AFailedCopyStartsTheUpdaterInPlace) {
  world.files.copyFails = true;
  world.files.Put(kUpdater, "OLD");
  world.eventState.signalled = true;
  EXPECT_EQ(CLegacyAgentSetup(world.ports).Install(kUrl, updaterCrc, 30), 12);
  EXPECT_EQ(world.files.Contents(kUpdater), "OLD");
  EXPECT_EQ(world.files.Contents(kUpdateCopy), "UPD");
  EXPECT_EQ(world.starter.started.size(), 1u);
}

TEST_F(LegacySetupTest, InspectAndExecuteStartACurrentUpdaterWithoutDownload) {
  struct Case {
    const char* label;
    bool execute;
    const char* arguments;
  };
  const Case cases[] = {
      {"inspect", false, " -h 4660 -i"},
      {"execute", true, " -h 4660 -a -d 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::AgentWorld w;
    w.files.Put(kUpdater, "UPD");
    CLegacyAgentSetup legacy(w.ports);
    const int result = c.execute ? legacy.Execute(4660, kUrl, updaterCrc, 3)
                                 : legacy.Inspect(4660, kUrl, updaterCrc);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(w.http.requested.empty());
    ASSERT_EQ(w.starter.started.size(), 1u);
    EXPECT_EQ(w.starter.started[0].first, std::string(kQuotedUpdater) + c.arguments);
    EXPECT_FALSE(w.starter.started[0].second);
  }
}

TEST_F(LegacySetupTest, InspectRefreshesAStaleUpdater) {
  world.files.Put(kUpdater, "OLD");
  EXPECT_EQ(CLegacyAgentSetup(world.ports).Inspect(1, kUrl, updaterCrc), 0);
  EXPECT_EQ(world.files.Contents(kUpdater), "UPD");
  EXPECT_EQ(world.http.requested.size(), 1u);

  testing::AgentWorld offline;
  EXPECT_EQ(CLegacyAgentSetup(offline.ports).Inspect(1, kUrl, updaterCrc), 13);
  EXPECT_TRUE(offline.starter.started.empty());
  offline.starter.succeeds = false;
  offline.files.Put(kUpdater, "UPD");
  EXPECT_EQ(CLegacyAgentSetup(offline.ports).Execute(1, kUrl, updaterCrc, 0), 13);
}

TEST_F(LegacySetupTest, ConstructionRepairsTheEnvironment) {
  world.environment.Remove("ProgramFiles");
  world.environment.Remove("SystemDir");
  CLegacyAgentSetup legacy(world.ports);
  EXPECT_EQ(world.environment.Get("ProgramFiles"), "C:\\Program Files");
  EXPECT_EQ(world.environment.Get("SystemDir"), "C:\\WINDOWS\\system32");
}

}  // namespace
}  // namespace pellorix
