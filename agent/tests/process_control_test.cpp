#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "process_control/c_process_finder.h"
#include "process_control/c_psapi_process_tool.h"
#include "process_control/c_toolhelp_process_tool.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_system_records.h"

namespace pellorix {
namespace {

using testing::FakeProcessApi;
using testing::FakeProcessTable;

TEST(PsapiProcessTool, IsRunningComparesTheFirstEightCharacters) {
  struct Case {
    const char* running;
    const char* asked;
    bool expected;
  };
  const Case cases[] = {
      {"tavmon.exe", "tavmon.exe", true},
      {"TAVMON.EXE", "tavmon.exe", true},
      {"tavmon.eXY", "tavmon.exe", true},
      // Eight characters: "tavmonXY" is not "tavmon.e".
      {"tavmonXY.exe", "tavmon.exe", false},
      {"PellorixUpdate.exe", "Pellorix.exe", true},
      {"tavupd.exe", "tavmon.exe", false},
      {"tav", "tavmon.exe", false},
      {"tavmon", "tavmon.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.running) + " / " + c.asked);
    FakeProcessTable table;
    table.Add(c.running);
    CPsapiProcessTool tool(std::make_unique<FakeProcessApi>(table, true));
    EXPECT_EQ(tool.IsRunning(c.asked), c.expected);
  }
}

TEST(PsapiProcessTool, TheIdleEntryNeverMatches) {
  FakeProcessTable table;
  CPsapiProcessTool tool(std::make_unique<FakeProcessApi>(table, true));
  EXPECT_FALSE(tool.IsRunning("[System Process]"));
  table.snapshotFails = true;
  table.Add("tavmon.exe");
  EXPECT_FALSE(tool.IsRunning("tavmon.exe"));
}

TEST(PsapiProcessTool, IsRunningFromLooksAtTheModulesOfProcessesOfThatName) {
  const std::string installed = "C:\\Program Files\\Kelvaro\\PortalQel\\Brennix\\tavupd.exe";
  struct Case {
    const char* label;
    const char* exe;
    std::string module;
    bool hidden;
    bool expected;
  };
  const Case cases[] = {
      {"from the install folder", "tavupd.exe", installed, false, true},
      {"path case differs", "TAVUPD.EXE", "c:\\program files\\kelvaro\\portalqel\\brennix\\TAVUPD.exe",
       false, true},
      {"another folder", "tavupd.exe", "D:\\Elsewhere\\tavupd.exe", false, false},
      {"modules cannot be listed", "tavupd.exe", installed, true, true},
      // The whole name must match here, not only eight characters.
      {"longer name", "tavupdXY.exe", installed, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeProcessTable table;
    table.Add(c.exe, {c.module, "C:\\WINDOWS\\system32\\ntdll.dll"}, c.hidden);
    CPsapiProcessTool tool(std::make_unique<FakeProcessApi>(table, true));
    EXPECT_EQ(tool.IsRunningFrom("tavupd.exe", installed), c.expected);
    if (std::string(c.label) != "longer name") {
      ASSERT_EQ(table.privileges.size(), 1u);
      EXPECT_EQ(table.privileges[0], "SeDebugPrivilege");
    }
  }
}

TEST(PsapiProcessTool, TerminateByNameUsesTheFirstModuleName) {
  FakeProcessTable table;
  const auto a = table.Add("x", {"C:\\a\\tavmon.exe"});
  table.Add("x", {"C:\\a\\other.exe"});
  const auto b = table.Add("x", {"C:\\b\\TAVMON.EXE"});
  CPsapiProcessTool tool(std::make_unique<FakeProcessApi>(table, true));
  EXPECT_TRUE(tool.TerminateByName("tavmon.exe"));
  EXPECT_EQ(table.terminated, (std::vector<std::uint32_t>{a, b}));

  table.unterminable.insert(a);
  EXPECT_FALSE(tool.TerminateMatching("tavmon.exe"));
  EXPECT_TRUE(tool.IsModuleOf(7, 7, "anything"));
  EXPECT_FALSE(tool.HasModule(7, 8, "anything"));
}

TEST(ToolhelpProcessTool, MatchesWholeNamesOrPaths) {
  FakeProcessTable table;
  table.Add("C:\\PROGRAM FILES\\KELVARO\\QELGF\\PELLORIX\\PELLORIXUPDATE.EXE",
            {"C:\\PROGRAM FILES\\KELVARO\\QELGF\\PELLORIX\\PELLORIXUPDATE.EXE", "C:\\X\\lib.dll"});
  CToolhelpProcessTool tool(std::make_unique<FakeProcessApi>(table, false));
  EXPECT_TRUE(tool.IsRunning("C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\PellorixUpdate.exe"));
  EXPECT_FALSE(tool.IsRunning("C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\Pellorix.exe"));
  EXPECT_FALSE(tool.IsRunning("PellorixUpdate.exe"));
  // 9x cannot tell where a process runs from.
  EXPECT_TRUE(tool.IsRunningFrom("nothing.exe", "C:\\nothing.exe"));
  EXPECT_TRUE(tool.HasModule(100, 0, "c:\\x\\LIB.dll"));
  EXPECT_FALSE(tool.IsModuleOf(100, 0, "c:\\x\\LIB.dll"));
}

TEST(ToolhelpProcessTool, WithoutItsEntryPointsEverythingRuns) {
  FakeProcessTable table;
  table.ready = false;
  CToolhelpProcessTool tool(std::make_unique<FakeProcessApi>(table, false));
  EXPECT_FALSE(tool.IsReady());
  EXPECT_TRUE(tool.IsRunning("tavmon.exe"));
  EXPECT_TRUE(tool.TerminateByName("tavmon.exe"));
  EXPECT_EQ(table.snapshots, 0);
}

TEST(ToolhelpProcessTool, TerminateMatchingEndsProcessesThatLoadTheModule) {
  FakeProcessTable table;
  const auto a = table.Add("C:\\A.EXE", {"C:\\A.EXE", "C:\\hook.dll"});
  table.Add("C:\\B.EXE", {"C:\\B.EXE"});
  CToolhelpProcessTool tool(std::make_unique<FakeProcessApi>(table, false));
  EXPECT_TRUE(tool.TerminateMatching("c:\\HOOK.dll"));
  EXPECT_EQ(table.terminated, std::vector<std::uint32_t>{a});
}

TEST(ProcessFinder, PicksTheToolOfThePlatform) {
  struct Case {
    std::optional<std::uint32_t> platformId;
    Platform platform;
    int toolhelp;
    int psapi;
  };
  const Case cases[] = {
      {1, Platform::Windows9x, 1, 0},
      {2, Platform::WindowsNt, 0, 1},
      {0, Platform::Other, 0, 0},
      {std::nullopt, Platform::Other, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.platform));
    testing::FakeSystemRecords records;
    if (c.platformId) records.basic = VersionRecord{4, 0, 0, *c.platformId, "", 0, 0};
    FakeProcessTable table;
    table.Add("tavmon.exe");
    testing::FakeProcessSource source(table);
    CProcessFinder finder(ReadPlatform(records), source);
    EXPECT_EQ(finder.platform(), c.platform);
    EXPECT_EQ(table.toolhelpOpened, c.toolhelp);
    EXPECT_EQ(table.psapiOpened, c.psapi);
    // Without a tool nothing counts as running.
    if (c.platform == Platform::Other) {
      EXPECT_FALSE(finder.IsRunning("tavmon.exe"));
    }
  }
}

}  // namespace
}  // namespace pellorix
