// The four operations end to end over fakes: the language check, the generation choice and every
// result code.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "discovery/registry_layout.h"
#include "http/c_file_crc32.h"
#include "operations/agent_operations.h"
#include "tests/fakes/agent_world.h"

namespace pellorix {
namespace {

using testing::AgentWorld;

constexpr char kUrl[] = "http://svc.test";
constexpr char kBrennix[] = "C:\\Program Files\\Kelvaro\\PortalQel\\Brennix";
constexpr char kPortalUpdater[] = "C:\\Program Files\\Kelvaro\\PortalQel\\Brennix\\tavupd.exe";
constexpr char kLaunchFile[] = "C:\\Users\\kim\\AppData\\LocalLow\\Kelvaro\\PortalQel\\PInfo.dat";
constexpr char kLegacyFolder[] = "C:\\Program Files\\Kelvaro\\QelGF\\Pellorix";
constexpr char kLegacyUpdater[] = "C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\PellorixUpdate.exe";

// The portal agent as far as the test wants it: listed, with its updater file, its monitor.
struct PortalState {
  bool listed = true;
  bool updaterFile = true;
  bool monitor = true;
};

void SetUpPortal(AgentWorld& w, const PortalState& state) {
  w.UseKoreanVista();
  if (state.listed) {
    w.registry.AddUninstallEntry("{PORTAL}", "Pellorix");
    w.registry.Set(Hive::LocalMachine, layout::kBrennixKey, "InstPath", std::string(kBrennix) + "\\");
  }
  if (state.updaterFile) w.files.Put(kPortalUpdater, "tavupd");
  if (state.monitor) w.processTable.Add("tavmon.exe");
}

void ListLegacy(AgentWorld& w) {
  w.registry.AddUninstallEntry("{LEGACY}", "pellorix");
  w.registry.Set(Hive::LocalMachine, layout::kLegacyKey, "InstPath", kLegacyFolder);
}

std::string CrcOf(const std::string& bytes) {
  testing::FakeFileSystem files;
  files.Put("C:\\x", bytes);
  return CFileCrc32(files).ComputeText("C:\\x");
}

TEST(AgentOperations, EveryOperationNeedsAKoreanUserInterface) {
  struct Case {
    const char* label;
    std::uint16_t language;
    bool vista;
  };
  const Case cases[] = {
      {"english xp", 0x0409, false}, {"japan xp", 0x0411, false}, {"chs vista", 0x0804, true},
      {"unknown vista", 0x0417, true}, {"english vista", 0x0409, true},
  };
  using Operation = std::function<int(AgentPorts&)>;
  const Operation operations[] = {
      [](AgentPorts& p) { return CheckInstalled(p, 1); },
      [](AgentPorts& p) { return Install(p, 1, kUrl, "1", "2", 30); },
      [](AgentPorts& p) { return Inspector(p, 1, kUrl, "1", "C:\\Game\\Veltharn.exe"); },
      [](AgentPorts& p) { return Execute(p, 1, kUrl, "1", 3); },
  };
  for (const Case& c : cases) {
    for (std::size_t i = 0; i < std::size(operations); ++i) {
      SCOPED_TRACE(std::string(c.label) + ", operation " + std::to_string(i));
      AgentWorld w;
      if (c.vista) w.UseKoreanVista();
      w.system.uiLanguage = c.language;
      w.environment.Remove("ProgramFiles");
      EXPECT_EQ(operations[i](w.ports), 17);
      EXPECT_EQ(w.registry.writes, 0);
      EXPECT_EQ(w.environment.sets, 0);
      EXPECT_TRUE(w.files.createdForWriting.empty());
      EXPECT_TRUE(w.starter.started.empty());
      EXPECT_TRUE(w.http.requested.empty());
      EXPECT_EQ(w.processTable.snapshots, 0);
      EXPECT_TRUE(w.clock.sleeps.empty());
    }
  }
}

TEST(AgentOperations, PortalCheck) {
  struct Case {
    const char* label;
    PortalState state;
    int result;
  };
  const Case cases[] = {
      {"installed and running", {true, true, true}, 0},
      {"not listed", {false, true, true}, 11},
      {"updater file missing", {true, false, true}, 11},
      {"monitor not running", {true, true, false}, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (std::int32_t window : {0, 0x1234}) {
      AgentWorld w;
      SetUpPortal(w, c.state);
      EXPECT_EQ(CheckInstalled(w.ports, window), c.result);
    }
  }
}

TEST(AgentOperations, PortalCheckOn64BitVista) {
  AgentWorld w;
  SetUpPortal(w, {});
  w.system.wow64 = true;
  EXPECT_EQ(CheckInstalled(w.ports, 0), 0);
}

TEST(AgentOperations, LegacyCheck) {
  struct Case {
    const char* label;
    std::function<void(AgentWorld&)> arrange;
    int result;
  };
  const Case cases[] = {
      {"listed", [](AgentWorld& w) { ListLegacy(w); }, 0},
      {"not listed", [](AgentWorld& w) { w.registry.AddUninstallEntry("{X}", "Other"); }, 11},
      {"uninstall key unreadable", [](AgentWorld&) {}, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    AgentWorld w;
    c.arrange(w);
    EXPECT_EQ(CheckInstalled(w.ports, 7), c.result);
  }
}

TEST(AgentOperations, PortalInstallChoosesItsProcedure) {
  struct Case {
    const char* label;
    PortalState state;
    std::size_t starts;
    bool waitedForBootstrap;
    int result;
  };
  const Case cases[] = {
      {"running: nothing to do", {true, true, true}, 0, false, 0},
      {"not installed: fresh install", {false, false, false}, 1, false, 12},
      {"not running, updater present: repair", {true, true, false}, 1, true, 12},
      {"not running, updater missing: fresh install", {true, false, false}, 1, false, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    AgentWorld w;
    SetUpPortal(w, c.state);
    w.http.Route("svc.test:80/PortalQelService/tavuup.exe", testing::FakeResponse{200, "", "BOOT", 200});
    w.eventState.signalled = true;  // the agent ends the wait at once
    EXPECT_EQ(Install(w.ports, 1, kUrl, "1", CrcOf("BOOT"), 30), c.result);
    ASSERT_EQ(w.starter.started.size(), c.starts);
    if (c.starts) {
      EXPECT_EQ(w.starter.started[0].second, c.waitedForBootstrap);
    } else {
      EXPECT_TRUE(w.http.requested.empty());
    }
  }
}

TEST(AgentOperations, PortalInstallThatCannotFetchItsBootstrap) {
  AgentWorld w;
  SetUpPortal(w, {false, false, false});
  EXPECT_EQ(Install(w.ports, 1, kUrl, "1", "12345", 30), 11);
  EXPECT_TRUE(w.starter.started.empty());
}

TEST(AgentOperations, LegacyInstall) {
  struct Case {
    const char* label;
    std::function<void(AgentWorld&)> arrange;
    int result;
    std::size_t starts;
  };
  const Case cases[] = {
      {"already listed", [](AgentWorld& w) { ListLegacy(w); }, 0, 0},
      // An unreadable uninstall key is not "not installed".
      {"uninstall key unreadable", [](AgentWorld&) {}, 0, 0},
      {"not listed: install, updater cannot be fetched",
       [](AgentWorld& w) { w.registry.AddUninstallEntry("{X}", "Other"); }, 13, 0},
      {"not listed: install, completion not seen",
       [](AgentWorld& w) {
         w.registry.AddUninstallEntry("{X}", "Other");
         w.http.Route("svc.test:80/PortalQelService/PellorixUpdate.exe",
                      testing::FakeResponse{200, "", "UPD", 200});
         w.eventState.signalled = true;
       },
       12, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    AgentWorld w;
    c.arrange(w);
    EXPECT_EQ(Install(w.ports, 1, kUrl, CrcOf("UPD"), "2", 30), c.result);
    EXPECT_EQ(w.starter.started.size(), c.starts);
  }
}

TEST(AgentOperations, PortalInspectorAndExecute) {
  struct Case {
    const char* label;
    PortalState state;
    std::function<void(AgentWorld&)> arrange;
    int result;
  };
  const auto nothing = [](AgentWorld&) {};
  const Case cases[] = {
      {"ready", {}, nothing, 0},
      {"not installed", {false, true, true}, nothing, 11},
      {"monitor not running", {true, true, false}, nothing, 14},
      {"updater file missing", {true, false, true}, nothing, 15},
      {"updater runs from the Brennix folder",
       {},
       [](AgentWorld& w) { w.processTable.Add("tavupd.exe", {kPortalUpdater}); },
       3},
      {"service runs from the Brennix folder",
       {},
       [](AgentWorld& w) {
         w.processTable.Add("tavpms.exe", {std::string(kBrennix) + "\\TAVPMS.EXE"});
       },
       3},
      {"updater runs from elsewhere",
       {},
       [](AgentWorld& w) { w.processTable.Add("tavupd.exe", {"D:\\copy\\tavupd.exe"}); },
       0},
  };
  for (const Case& c : cases) {
    for (bool execute : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (execute ? ", execute" : ", inspector"));
      AgentWorld w;
      SetUpPortal(w, c.state);
      c.arrange(w);
      const int result = execute ? Execute(w.ports, 42, kUrl, "1", 3)
                                 : Inspector(w.ports, 42, kUrl, "1", "C:\\Game\\Veltharn.exe");
      EXPECT_EQ(result, c.result);
      const auto launch = w.files.Contents(kLaunchFile);
      EXPECT_EQ(launch.has_value(), c.result == 0);
      if (launch) {
        const std::string tail = execute
            ? "PST=3\r\r\nLauncher=13\r\r\nHANDLE=42\r\r\n"
            : "PST=0\r\r\nLauncher=12\r\r\nHANDLE=42\r\r\nAppFullPath=C:\\Game\\Veltharn.exe\r\r\n";
        EXPECT_EQ(launch->substr(launch->size() - tail.size()), tail);
      }
      EXPECT_TRUE(w.starter.started.empty());
      EXPECT_EQ(w.clock.sleeps, execute ? std::vector<std::uint32_t>{5000}
                                        : std::vector<std::uint32_t>{});
    }
  }
}

TEST(AgentOperations, PortalInspectorBusyDoesNotRewriteTheLaunchFile) {
  AgentWorld w;
  SetUpPortal(w, {});
  w.files.Put(kLaunchFile, "previous order");
  w.processTable.Add("tavupd.exe", {kPortalUpdater});
  EXPECT_EQ(Inspector(w.ports, 1, kUrl, "1", "C:\\Game\\Veltharn.exe"), 3);
  EXPECT_EQ(w.files.Contents(kLaunchFile), "previous order");
}

TEST(AgentOperations, LegacyInspectorAndExecute) {
  struct Case {
    const char* label;
    std::function<void(AgentWorld&)> arrange;
    bool execute;
    int result;
    const char* commandLine;
  };
  const std::string quoted = std::string("\"") + kLegacyUpdater + "\" ";
  const Case cases[] = {
      {"inspect", [](AgentWorld&) {}, false, 0, " -h 4660 -i"},
      {"execute mode 3", [](AgentWorld&) {}, true, 0, " -h 4660 -a -d 3"},
      {"updater runs from its folder",
       [](AgentWorld& w) { w.processTable.Add("PellorixUpdate.exe", {kLegacyUpdater}); }, false, 3,
       nullptr},
      {"agent runs from its folder",
       [](AgentWorld& w) {
         w.processTable.Add("Pellorix.exe", {std::string(kLegacyFolder) + "\\Pellorix.exe"});
       },
       true, 3, nullptr},
      {"updater runs from elsewhere",
       [](AgentWorld& w) { w.processTable.Add("PellorixUpdate.exe", {"D:\\PellorixUpdate.exe"}); },
       false, 0, " -h 4660 -i"},
      {"updater cannot be fetched",
       [](AgentWorld& w) { w.files.Put(kLegacyUpdater, "stale"); }, true, 13, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    AgentWorld w;
    ListLegacy(w);
    w.files.Put(kLegacyUpdater, "UPD");
    c.arrange(w);
    const int result = c.execute ? Execute(w.ports, 4660, kUrl, CrcOf("UPD"), 3)
                                 : Inspector(w.ports, 4660, kUrl, CrcOf("UPD"), "C:\\x.exe");
    EXPECT_EQ(result, c.result);
    if (c.commandLine) {
      ASSERT_EQ(w.starter.started.size(), 1u);
      EXPECT_EQ(w.starter.started[0].first, quoted + c.commandLine);
    } else {
      EXPECT_TRUE(w.starter.started.empty());
    }
    EXPECT_TRUE(w.clock.sleeps.empty());
  }
}

TEST(AgentOperations, LegacyBusyTestOn9xUsesFullPaths) {
  struct Case {
    const char* running;
    int result;
  };
  const Case cases[] = {
      {"C:\\PROGRAM FILES\\KELVARO\\QELGF\\PELLORIX\\PELLORIX.EXE", 3},
      {"C:\\Program Files\\Kelvaro\\QelGF\\Pellorix\\PellorixUpdate.exe", 3},
      {"D:\\Other\\Pellorix.exe", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.running);
    AgentWorld w;
    // Korean Windows 98: its language comes from Winver.exe.
    w.system.UseRecord(VersionRecord{4, 10, 2222, 1, " A ", 0, 0});
    w.system.fileLanguages["C:\\WINDOWS\\WINVER.EXE"] = testing::kKoreanLanguage;
    ListLegacy(w);
    w.files.Put(kLegacyUpdater, "UPD");
    w.processTable.Add(c.running);
    EXPECT_EQ(Inspector(w.ports, 1, kUrl, CrcOf("UPD"), "C:\\x.exe"), c.result);
  }
}

}  // namespace
}  // namespace pellorix
