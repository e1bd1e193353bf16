#include "launcher/control/launcher_controller.h"

#include "launcher/control/game_launch.h"

#include <gtest/gtest.h>

#include "launcher/update/file_trailer.h"
#include "tests/fakes/fake_agent_library.h"
#include "tests/fakes/fake_network.h"
#include "tests/fakes/fake_patch_engine.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_timers.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

std::string Frame(uint8_t type, const std::string& body = "") {
  size_t total = body.size() + 3;
  return std::string{static_cast<char>(total & 0xFF), static_cast<char>(total >> 8),
                     static_cast<char>(type)} +
         body;
}

std::string Int(int32_t value) {
  auto word = static_cast<uint32_t>(value);
  return {static_cast<char>(word), static_cast<char>(word >> 8), static_cast<char>(word >> 16),
          static_cast<char>(word >> 24)};
}

std::string Wide(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes + std::string(2, '\0');
}

class LauncherControllerTest : public ::testing::Test {
 protected:
  LauncherControllerTest() { agentLibrary.loadable = false; }

  // Start-up and a completed connect: ClientHello sent.
  void StartConnected() {
    ASSERT_TRUE(controller.OnInitDialog());
    controller.OnConnectNotification(network.current().id, 0);
  }
  // The server's bytes arrive; one read notification per frame, as the socket layer gives them.
  void Arrive(const std::string& bytes) {
    FakeSocketState& socket = network.current();
    socket.incoming += bytes;
    for (int guard = 0; guard < 100 && !socket.incoming.empty() && !socket.closed; ++guard) {
      controller.OnSocketNotification(socket.id, kEventRead, 0);
    }
  }
  std::string Sent() { return network.current().sent; }

  FakeView view;
  FakeTimers timers;
  FakeNetwork network;
  MemoryFileSystem files;
  FakeRegistry registry;
  FakeProcesses processes;
  FakeClock clock;
  FakeAgentLibrary agentLibrary;
  FakePatchEngine patchEngine{files};
  LauncherController controller{{view, timers, network, files, registry, processes, clock,
                                 agentLibrary, patchEngine},
                                {"update.test", 2009}};
};

TEST_F(LauncherControllerTest, StartsByConnectingWithTheKeepAliveTimer) {
  ASSERT_TRUE(controller.OnInitDialog());
  EXPECT_EQ(network.hosts, std::vector<std::string>{"update.test:2009"});
  EXPECT_EQ(timers.running, (std::map<int, int>{{1, 10000}}));
  EXPECT_EQ(view.ranges[ProgressBar::kFile], std::make_pair(0, 32767));
  EXPECT_TRUE(view.IsEnabled(ControlId::kStart));
}

TEST_F(LauncherControllerTest, ASecondCopyEndsWithoutConnecting) {
  processes.otherInstanceRuns = true;
  EXPECT_FALSE(controller.OnInitDialog());
  EXPECT_TRUE(network.hosts.empty());
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
}

TEST_F(LauncherControllerTest, AConnectSendsClientHelloWithTheInstalledVersion) {
  registry.SetDword("SOFTWARE\\Brennix\\QorTestClient", "global_version", 7);
  StartConnected();
  EXPECT_EQ(Sent(), std::string("\x0B\x00\x00\x3D\x00\x00\x00\x07\x00\x00\x00", 11));
  EXPECT_EQ(view.statuses, (std::vector<std::string>{"You are being connected to the update server.",
                                                     "All the files have been updated."}));
  EXPECT_FALSE(view.IsEnabled(ControlId::kFullCheck));
  EXPECT_FALSE(view.IsEnabled(ControlId::kStart));
}

TEST_F(LauncherControllerTest, AFailedConnectShowsWhyAndEnds) {
  struct Case {
    int error;
    const char* status;
  } const cases[] = {{10061, "Connection Failure"},
                     {10060, "Connection Failure Error Code = 10060"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    FakeView failedView;
    FakeNetwork failedNetwork;
    LauncherController failing({failedView, timers, failedNetwork, files, registry, processes,
                                clock, agentLibrary, patchEngine},
                               {"update.test", 2009});
    ASSERT_TRUE(failing.OnInitDialog());
    failing.OnConnectNotification(failedNetwork.current().id, c.error);
    EXPECT_EQ(failedView.statuses, std::vector<std::string>{c.status});
    ASSERT_EQ(failedView.boxes.size(), 1u);
    EXPECT_EQ(failedView.boxes[0].text, "The connection to the update server has been terminated.");
    EXPECT_EQ(failedView.boxes[0].caption, "Announcement");
    EXPECT_TRUE(failedView.boxes[0].owned);
    EXPECT_EQ(failedView.endResults, std::vector<int>{kIdCancel});
    EXPECT_TRUE(failedNetwork.current().sent.empty());
  }
}

TEST_F(LauncherControllerTest, KeepAliveOnEveryTickWhileConnected) {
  ASSERT_TRUE(controller.OnInitDialog());
  controller.OnTimer(1);  // not connected yet
  EXPECT_TRUE(Sent().empty());
  controller.OnConnectNotification(network.current().id, 0);
  network.current().sent.clear();
  controller.OnTimer(1);
  controller.OnTimer(100);
  EXPECT_EQ(Sent(), std::string("\x03\x00\x05\x03\x00\x05", 6));
}

TEST_F(LauncherControllerTest, AnOrderlyCloseEndsTheLauncherAtTheNextKeepAlive) {
  StartConnected();
  controller.OnSocketNotification(network.current().id, kEventClose, 0);
  EXPECT_TRUE(network.current().closed);
  EXPECT_TRUE(view.boxes.empty());
  controller.OnTimer(1);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, "The connection to the update server has been terminated.");
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
}

TEST_F(LauncherControllerTest, NotificationErrors) {
  StartConnected();
  controller.OnSocketNotification(network.current().id, kEventRead, 10054);
  EXPECT_TRUE(network.current().closed);
  EXPECT_TRUE(view.endResults.empty());  // only a debug report

  LauncherController other({view, timers, network, files, registry, processes, clock,
                            agentLibrary, patchEngine},
                           {"update.test", 2009});
  ASSERT_TRUE(other.OnInitDialog());
  other.OnConnectNotification(network.current().id, 0);
  other.OnSocketNotification(network.current().id, kEventClose, 10054);
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
}

TEST_F(LauncherControllerTest, ABrokenFrameEndsTheLauncher) {
  StartConnected();
  Arrive(std::string("\x02\x00", 2));
  EXPECT_TRUE(network.current().closed);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, "Announcement");
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
}

TEST_F(LauncherControllerTest, AFailedSendEndsTheLauncher) {
  StartConnected();
  network.current().sendFails = true;
  Arrive(Frame(6, Int(7)));
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
  EXPECT_TRUE(network.current().closed);
}

TEST_F(LauncherControllerTest, AWholeExchangeWithoutTheAgentLibraryEndsWithStartEnabled) {
  StartConnected();
  Arrive(Frame(5, Int(1200) + Int(0)) + Frame(8, Int(1)) + Frame(1, Wide("a.txt")) +
         Frame(4, Int(1200) + Int(3)));
  EXPECT_EQ(controller.versions().installedGlobalVersion(), 1200);
  EXPECT_EQ(controller.versions().versionCaption(), "Client Ver. (1200)");
  EXPECT_TRUE(network.current().closed);
  EXPECT_TRUE(view.IsEnabled(ControlId::kStart));
  EXPECT_TRUE(view.IsEnabled(ControlId::kFullCheck));
  EXPECT_EQ(view.focused, ControlId::kStart);
  ASSERT_GE(view.statuses.size(), 2u);
  EXPECT_EQ(view.statuses[view.statuses.size() - 2], "Failed to call QEL library.");
  EXPECT_EQ(view.statuses.back(), "All the files have been updated.");
  EXPECT_FALSE(timers.IsRunning(100));
  // No keep-alive after the exchange: the link is gone and so is `connected`.
  controller.OnTimer(1);
  EXPECT_TRUE(view.endResults.empty());
}

TEST_F(LauncherControllerTest, FullCheckReconnectsAndAsksForComputedChecksums) {
  StartConnected();
  Arrive(Frame(4, Int(5) + Int(0)));
  files.AddFile(".\\SysTextures\\Crest.utx", "cache");
  FakeSocketState& first = network.current();
  controller.OnFullCheck();
  EXPECT_TRUE(first.closed);
  EXPECT_EQ(network.sockets.size(), 2u);
  EXPECT_FALSE(files.HasFile(".\\SysTextures\\Crest.utx"));
  EXPECT_EQ(view.statuses.back(), "Verification of files has begun.");
  EXPECT_FALSE(view.IsEnabled(ControlId::kStart));

  // A late notification about the old socket changes nothing.
  controller.OnSocketNotification(first.id, kEventClose, 10054);
  EXPECT_TRUE(view.endResults.empty());

  controller.OnConnectNotification(network.current().id, 0);
  network.current().sent.clear();
  Arrive(Frame(5, Int(5) + Int(0)));
  EXPECT_EQ(Sent(), Frame(1, Int(61) + Int(0) + Int(0)));
}

TEST_F(LauncherControllerTest, AFullCheckClickedWhileAChecksumPumpsIsSafe) {
  StartConnected();
  Arrive(Frame(5, Int(0) + Int(1)));
  controller.OnFullCheck();  // full mode
  controller.OnConnectNotification(network.current().id, 0);
  Arrive(Frame(5, Int(0) + Int(0)));
  files.AddFile("big.pak", std::string(5 * 4096, 'b'));
  int clicks = 0;
  view.onPump = [&] {
    if (clicks++ == 1) controller.OnFullCheck();  // replaces the record being read from
  };
  Arrive(Frame(1, Wide("big.pak")));
  EXPECT_EQ(network.sockets.size(), 3u);
  EXPECT_TRUE(view.endResults.size() <= 1u);
}

TEST_F(LauncherControllerTest, EnterStartsOnlyWhenStartIsEnabled) {
  StartConnected();
  controller.OnOK();  // disabled during the exchange
  EXPECT_TRUE(processes.started.empty());
  EXPECT_TRUE(view.boxes.empty());
  Arrive(Frame(4, Int(1) + Int(0)));
  registry.SetString(kDirectXKey, "Version", "4.09.00.0904");
  EXPECT_THROW(controller.OnOK(), ProcessEnded);
  EXPECT_EQ(processes.started, std::vector<std::string>{".\\qor.exe"});
}

TEST_F(LauncherControllerTest, StartWithoutDirectXEnds) {
  StartConnected();
  Arrive(Frame(4, Int(1) + Int(0)));
  controller.OnStart();
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text,
            "This can be run only after DirectX version 9.0c or higher is installed.");
  EXPECT_TRUE(view.boxes[0].owned);
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(LauncherControllerTest, NothingRunsOnceTheLauncherIsEnding) {
  StartConnected();
  controller.OnCancel();
  network.current().sent.clear();
  controller.OnTimer(1);
  Arrive(Frame(6, Int(7)));
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace veltharn
