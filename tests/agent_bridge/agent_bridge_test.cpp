#include "launcher/agent_bridge/agent_bridge.h"

#include <gtest/gtest.h>

#include "launcher/control/notices.h"
#include "tests/fakes/fake_agent_library.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_timers.h"
#include "tests/fakes/fake_view.h"

namespace veltharn {
namespace {

class AgentBridgeTest : public ::testing::Test {
 protected:
  AgentBridgeTest() { notices.EnableExchangeButtons(false); }

  std::vector<AgentExport> Called() const {
    std::vector<AgentExport> which;
    for (const auto& call : library.calls) which.push_back(call.which);
    return which;
  }
  void ExpectFinished() {
    EXPECT_EQ(view.statuses.back(), "All the files have been updated.");
    EXPECT_TRUE(view.IsEnabled(ControlId::kStart));
    EXPECT_TRUE(view.IsEnabled(ControlId::kFullCheck));
    EXPECT_EQ(view.focused, ControlId::kStart);
  }

  FakeView view;
  Notices notices{view};
  FakeTimers timers;
  FakeProcesses processes;
  FakeAgentLibrary library;
  AgentBridge bridge{notices, timers, processes, library};
};

TEST_F(AgentBridgeTest, WithoutTheLibraryEachStepFailsAndTheBridgeEnds) {
  library.loadable = false;
  bridge.StartAgentCheck();
  EXPECT_EQ(view.statuses, (std::vector<std::string>{"Failed to call QEL library.",
                                                     "Failed to call QEL library.",
                                                     "All the files have been updated."}));
  ExpectFinished();
  EXPECT_FALSE(timers.IsRunning(kInspectorTimerId));
}

TEST_F(AgentBridgeTest, InstallsOnlyWhenTheCheckFailsAndInspectsOnlyAnInstalledAgent) {
  struct Case {
    const char* what;
    int32_t check;
    int32_t install;
    std::vector<AgentExport> called;
    bool waiting;
  } const cases[] = {
      {"installed", 0, 0, {AgentExport::kCheckInstalled, AgentExport::kInspector}, true},
      {"installed now",
       11,
       0,
       {AgentExport::kCheckInstalled, AgentExport::kInstall, AgentExport::kInspector},
       true},
      {"not installable", 11, 12, {AgentExport::kCheckInstalled, AgentExport::kInstall}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeView caseView;
    Notices caseNotices(caseView);
    FakeTimers caseTimers;
    FakeAgentLibrary caseLibrary;
    caseLibrary.results = {{AgentExport::kCheckInstalled, c.check},
                           {AgentExport::kInstall, c.install}};
    AgentBridge caseBridge(caseNotices, caseTimers, processes, caseLibrary);
    caseBridge.StartAgentCheck();
    std::vector<AgentExport> called;
    for (const auto& call : caseLibrary.calls) called.push_back(call.which);
    EXPECT_EQ(called, c.called);
    EXPECT_EQ(caseBridge.inspectorWaiting(), c.waiting);
    EXPECT_EQ(caseTimers.IsRunning(kInspectorTimerId), c.waiting);
    EXPECT_EQ(caseLibrary.loaded, caseLibrary.unloaded);  // freed after every one of these
  }
}

TEST_F(AgentBridgeTest, PassesTheArgumentsTheLibraryExpects) {
  processes.ownPath = "C:\\client\\Veltharn.exe";
  bridge.StartAgentCheck();
  ASSERT_EQ(library.calls.size(), 2u);
  const AgentArguments& inspect = library.calls[1].arguments;
  EXPECT_EQ(inspect.legacyUpdaterCrc, "335282538");
  EXPECT_EQ(inspect.portalBootstrapCrc, "1107329462");
  EXPECT_EQ(inspect.callerPath, "C:\\client\\Veltharn.exe");
  EXPECT_EQ(view.statuses.back(),
            "Agent is checking for the installation of Authorized Update for Windows.");
  EXPECT_FALSE(view.IsEnabled(ControlId::kStart));  // until the result has been handled
}

TEST_F(AgentBridgeTest, AMissingExportFailsTheStepWithoutAMessage) {
  library.missing = {AgentExport::kCheckInstalled, AgentExport::kInstall};
  bridge.StartAgentCheck();
  EXPECT_TRUE(library.calls.empty());
  EXPECT_EQ(view.statuses, std::vector<std::string>{"All the files have been updated."});
}

TEST_F(AgentBridgeTest, AResultIsTakenOnceAndOnlyWhileAwaited) {
  bridge.OnInspectorResult(0, 0);  // nothing awaited yet
  bridge.StartAgentCheck();
  bridge.OnTimerTick();
  EXPECT_TRUE(timers.IsRunning(kInspectorTimerId));  // no result yet
  bridge.OnInspectorResult(5, 0);
  bridge.OnInspectorResult(0, 0);  // a second result changes nothing
  bridge.OnTimerTick();
  EXPECT_FALSE(timers.IsRunning(kInspectorTimerId));
  EXPECT_EQ(view.agreementsShown, 0);
  EXPECT_EQ(view.statuses[view.statuses.size() - 2],
            "Authorized Update for Windows has already been installed.");
  ExpectFinished();
}

TEST_F(AgentBridgeTest, AMissingUpdateAcceptedIsCarriedOutAndTheLibraryStaysLoaded) {
  bridge.StartAgentCheck();
  bridge.OnInspectorResult(0, 0);
  view.agreementAnswer = kIdOk;
  bridge.OnTimerTick();
  EXPECT_EQ(view.agreementsShown, 1);
  ASSERT_EQ(Called().back(), AgentExport::kExecute);
  EXPECT_EQ(library.calls.back().arguments.number, 3);
  EXPECT_EQ(library.loaded - library.unloaded, 1);
  EXPECT_TRUE(view.endResults.empty());
  ExpectFinished();
  bridge.OnTimerTick();  // later ticks do nothing more
  EXPECT_EQ(view.agreementsShown, 1);
}

TEST_F(AgentBridgeTest, DecliningTheTermsEndsTheLauncher) {
  bridge.StartAgentCheck();
  bridge.OnInspectorResult(0, 0);
  view.agreementAnswer = kIdCancel;
  bridge.OnTimerTick();
  EXPECT_EQ(view.statuses.back(), "Authorized Update for Windows has not been installed.");
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
  EXPECT_NE(Called().back(), AgentExport::kExecute);
}

}  // namespace
}  // namespace veltharn
