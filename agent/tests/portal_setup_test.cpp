#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "discovery/registry_layout.h"
#include "http/c_file_crc32.h"
#include "install/c_portal_agent_setup.h"
#include "launch_file/launch_file.h"
#include "tests/fakes/agent_world.h"

namespace pellorix {
namespace {

constexpr char kUrl[] = "http://svc.test";
constexpr char kBootstrap[] = "C:\\Users\\kim\\AppData\\Local\\Temp\\tavuup.exe";
constexpr char kLaunchFile[] = "C:\\Users\\kim\\AppData\\LocalLow\\Kelvaro\\PortalQel\\PInfo.dat";
constexpr char kBootstrapCommand[] =
    "\"C:\\Users\\kim\\AppData\\Local\\Temp\\tavuup.exe\"  -s http://svc.test -f PQelSetupVista.exe"
    " -d \"C:\\Users\\kim\\AppData\\Local\\Temp\" -t Brennix -o";

class PortalSetupTest : public ::testing::Test {
 protected:
  PortalSetupTest() {
    world.UseKoreanVista();
    world.http.Route("svc.test:80/PortalQelService/tavuup.exe", testing::FakeResponse{200, "", "BOOT", 200});
    testing::FakeFileSystem reference;
    reference.Put("C:\\boot", "BOOT");
    bootstrapCrc = CFileCrc32(reference).ComputeText("C:\\boot");
  }
  // Programs appear when the bootstrap starts and at the given waits.
  void AtStart(const std::string& program) {
    world.starter.onStart = [this, program](const std::string&) { world.processTable.Add(program); };
  }
  void AtWait(int wait, std::function<void()> change) { changes[wait] = std::move(change); }
  void ArmWaits() {
    world.eventState.onWait = [this](int wait) {
      if (changes.count(wait)) changes[wait]();
    };
  }
  std::string LaunchFile() { return world.files.Contents(kLaunchFile).value_or(""); }

  testing::AgentWorld world;
  std::string bootstrapCrc;
  std::map<int, std::function<void()>> changes;
};

TEST_F(PortalSetupTest, FreshInstallSeesSetupThenUpdaterThenMonitor) {
  AtStart("PQelSetupVista.exe");
  AtWait(2, [&] { world.processTable.Add("tavupd.exe"); });
  AtWait(3, [&] { world.processTable.Add("tavmon.exe"); });
  ArmWaits();
  CPortalAgentSetup portal(world.ports);
  EXPECT_EQ(portal.FreshInstall(4660, kUrl, bootstrapCrc, 30), 0);

  ASSERT_EQ(world.starter.started.size(), 1u);
  EXPECT_EQ(world.starter.started[0].first, kBootstrapCommand);
  EXPECT_FALSE(world.starter.started[0].second);
  EXPECT_EQ(world.files.Contents(kBootstrap), "BOOT");
  EXPECT_EQ(world.eventState.names, std::vector<std::string>{"GLOBAL_PATCH_PELLORIX"});
  EXPECT_EQ(world.registry.Value(Hive::CurrentUser, layout::kPortalUserKey, "kim"),
            "C:\\Users\\kim\\AppData\\LocalLow\\Kelvaro\\PortalQel");
  const std::string launch = LaunchFile();
  EXPECT_NE(launch.find("PST=0\r\r\nLauncher=11\r\r\nHANDLE=4660\r\r\n"), std::string::npos);
  EXPECT_EQ(launch.find("AppFullPath"), std::string::npos);
}

TEST_F(PortalSetupTest, TheSetupSuccessValueStandsForTheUpdater) {
  AtStart("PQelSetupVista.exe");
  AtWait(2, [&] {
    world.registry.Set(Hive::LocalMachine, layout::kBrennixKey, "UpdateValidate", "SETUP_SUCCESS");
  });
  AtWait(3, [&] { world.processTable.Add("tavmon.exe"); });
  ArmWaits();
  EXPECT_EQ(CPortalAgentSetup(world.ports).FreshInstall(1, kUrl, bootstrapCrc, 30), 0);
}

TEST_F(PortalSetupTest, WithoutTheSetupProgramTheInstallIsNotObserved) {
  // Updater and monitor alone do not count: the setup program must be seen first.
  world.processTable.Add("tavupd.exe");
  world.processTable.Add("tavmon.exe");
  CPortalAgentSetup portal(world.ports);
  EXPECT_EQ(portal.FreshInstall(1, kUrl, bootstrapCrc, 30), 12);
  // One wait after the start, then 32 passes (0 to 31); the last one signals the event itself.
  EXPECT_EQ(world.eventState.waits, 33);
  EXPECT_EQ(world.eventState.signals, 1);
}

TEST_F(PortalSetupTest, TheAgentCanEndTheWaitEarly) {
  AtStart("PQelSetupVista.exe");
  AtWait(1, [&] { world.eventState.signalled = true; });
  ArmWaits();
  EXPECT_EQ(CPortalAgentSetup(world.ports).FreshInstall(1, kUrl, bootstrapCrc, 30), 12);
  EXPECT_EQ(world.eventState.waits, 1);
}

TEST_F(PortalSetupTest, WithoutAnEventTheBudgetStillEndsThePoll) {
  world.eventState.createFails = true;
  EXPECT_EQ(CPortalAgentSetup(world.ports).FreshInstall(1, kUrl, bootstrapCrc, 2), 12);
  EXPECT_EQ(world.clock.sleeps, std::vector<std::uint32_t>(5, 1000));
}

TEST_F(PortalSetupTest, BootstrapFailures) {
  struct Case {
    const char* label;
    bool starts;
    bool served;
    std::size_t requests;
  };
  const Case cases[] = {
      {"download fails", true, false, 1},
      {"start fails", false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::AgentWorld w;
    w.UseKoreanVista();
    if (c.served) {
      w.http.Route("svc.test:80/PortalQelService/tavuup.exe", testing::FakeResponse{200, "", "BOOT", 200});
    }
    w.starter.succeeds = c.starts;
    EXPECT_EQ(CPortalAgentSetup(w.ports).FreshInstall(1, kUrl, bootstrapCrc, 30), 11);
    EXPECT_EQ(w.http.requested.size(), c.requests);
    EXPECT_EQ(w.starter.started.size(), c.served ? 1u : 0u);
    EXPECT_EQ(w.eventState.created, 0);
  }
}

TEST_F(PortalSetupTest, ABootstrapWithTheRightChecksumIsNotFetched) {
  world.files.Put(kBootstrap, "BOOT");
  world.eventState.signalled = true;
  EXPECT_EQ(CPortalAgentSetup(world.ports).FreshInstall(1, kUrl, bootstrapCrc, 30), 12);
  EXPECT_TRUE(world.http.requested.empty());
  EXPECT_EQ(world.starter.started.size(), 1u);
}

TEST_F(PortalSetupTest, RepairWaitsForTheBootstrapAndThenForTheValidation) {
  world.processTable.Add("tavupd.exe");
  world.processTable.Add("tavmon.exe");
  AtWait(3, [&] {
    world.registry.Set(Hive::LocalMachine, layout::kBrennixKey, "UpdateValidate", "setup_success");
  });
  ArmWaits();
  EXPECT_EQ(CPortalAgentSetup(world.ports).Repair(1, kUrl, bootstrapCrc, 30), 0);
  ASSERT_EQ(world.starter.started.size(), 1u);
  EXPECT_TRUE(world.starter.started[0].second);
  EXPECT_EQ(world.eventState.waits, 3);
}

TEST_F(PortalSetupTest, RepairWithoutValidationEndsWith12) {
  world.processTable.Add("tavupd.exe");
  world.processTable.Add("tavmon.exe");
  EXPECT_EQ(CPortalAgentSetup(world.ports).Repair(1, kUrl, bootstrapCrc, 5), 12);
  EXPECT_EQ(world.eventState.waits, 1 + 7);
}

TEST_F(PortalSetupTest, HandOversWriteTheLaunchFileAndStartNothing) {
  CPortalAgentSetup portal(world.ports);
  EXPECT_EQ(portal.HandOverInspect(99, kUrl, "C:\\Game\\Veltharn.exe"), 0);
  EXPECT_NE(LaunchFile().find("PST=0\r\r\nLauncher=12\r\r\nHANDLE=99\r\r\nAppFullPath=C:\\Game\\Veltharn.exe\r\r\n"),
            std::string::npos);
  EXPECT_EQ(CPortalAgentSetup(world.ports).HandOverExecute(99, kUrl, 3), 0);
  EXPECT_NE(LaunchFile().find("PST=3\r\r\nLauncher=13\r\r\nHANDLE=99\r\r\n"), std::string::npos);
  EXPECT_EQ(LaunchFile().find("AppFullPath"), std::string::npos);
  EXPECT_TRUE(world.starter.started.empty());
  EXPECT_EQ(world.registry.Value(Hive::CurrentUser, layout::kPortalUserKey, "kim"),
            "C:\\Users\\kim\\AppData\\LocalLow\\Kelvaro\\PortalQel");
}

}  // namespace
}  // namespace pellorix
