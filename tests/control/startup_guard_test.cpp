#include "launcher/control/startup_guard.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

class StartupGuardTest : public ::testing::Test {
 protected:
  // Runs the checks; the exit code when the process would have ended there.
  std::optional<int> Run(bool* goOn = nullptr) {
    try {
      bool result = RunStartupChecks({files, processes, clock, notices, versions});
      if (goOn != nullptr) *goOn = result;
      return std::nullopt;
    } catch (const ProcessEnded& ended) {
      return ended.exitCode;
    }
  }

  MemoryFileSystem files;
  FakeProcesses processes;
  FakeClock clock;
  FakeRegistry registry;
  FakeView view;
  Notices notices{view};
  VersionStore versions{registry, files, notices};
};

TEST_F(StartupGuardTest, ASecondCopyBringsTheFirstToTheFrontAndStops) {
  processes.otherInstanceRuns = true;
  bool goOn = true;
  EXPECT_EQ(Run(&goOn), std::nullopt);
  EXPECT_FALSE(goOn);
  EXPECT_EQ(processes.claimedName, "veltharn client! ch3");
  EXPECT_EQ(processes.activated, std::vector<std::string>{"Veltharn Automatic Update"});
  EXPECT_TRUE(registry.keys.empty());
}

TEST_F(StartupGuardTest, ANormalStartDeletesAReadOnlyLeftoverCopy) {
  files.AddFile("Veltharn.nex", "old copy", /*readOnly=*/true);
  bool goOn = false;
  EXPECT_EQ(Run(&goOn), std::nullopt);
  EXPECT_TRUE(goOn);
  EXPECT_FALSE(files.HasFile("Veltharn.nex"));
  EXPECT_NE(registry.Find(kClientKey, "global_version"), nullptr);
}

TEST_F(StartupGuardTest, OnlyTheOwnNameWithItsExtensionChangedIsTakenForTheLeftover) {
  struct Case {
    const char* ownPath;
    const char* present;
    bool deleted;
  } const cases[] = {
      {"C:\\client\\Veltharn.exe", "Veltharn.nex", true},
      {"C:\\client\\VELTHARN.EXE", "veltharn.nex", true},
      // No three-letter extension: the last three characters belong to the name.
      {"C:\\client\\veltharn-cli", "veltharn-nex", false},
      {"C:\\client\\veltharn-cli", "veltharn-cli.nex", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ownPath);
    MemoryFileSystem caseFiles;
    FakeProcesses caseProcesses;
    caseProcesses.ownPath = c.ownPath;
    caseFiles.AddFile(c.present, "some file");
    VersionStore caseVersions{registry, caseFiles, notices};
    EXPECT_TRUE(RunStartupChecks({caseFiles, caseProcesses, clock, notices, caseVersions}));
    EXPECT_EQ(caseFiles.HasFile(c.present), !c.deleted);
  }
}

TEST_F(StartupGuardTest, TheIntermediateCopyWithoutANewProgramEndsWithOne) {
  processes.ownPath = "C:\\client\\VELTHARN.NEX";
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(StartupGuardTest, TheIntermediateCopyReplacesTheOldProgramAtOnceWhenItIsGone) {
  processes.ownPath = "C:\\client\\Veltharn.nex";
  files.AddFile("Veltharn.exe", "old", /*readOnly=*/true);
  files.AddFile("Veltharn.new", "new");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(processes.started, std::vector<std::string>{"Veltharn.exe"});
  EXPECT_EQ(files.Find("Veltharn.exe")->bytes, "new");
  EXPECT_FALSE(files.HasFile("Veltharn.new"));
  EXPECT_TRUE(clock.sleeps.empty());
  // The new program must find the guard free, even before this copy has ended.
  EXPECT_EQ(processes.heldWhenStarting, std::vector<bool>{false});
}

TEST_F(StartupGuardTest, TheIntermediateCopyWaitsASecondBetweenAttempts) {
  processes.ownPath = "C:\\client\\Veltharn.nex";
  files.AddFile("Veltharn.new", "new");
  files.AddFile("Veltharn.exe", "old");
  // The old program still runs for the first three attempts: its file cannot be deleted.
  files.FailOnCall(MemoryFileSystem::Operation::kDelete, 1);
  files.FailOnCall(MemoryFileSystem::Operation::kDelete, 2);
  files.FailOnCall(MemoryFileSystem::Operation::kDelete, 3);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(clock.sleeps, (std::vector<int>{1000, 1000, 1000}));
  EXPECT_EQ(processes.started, std::vector<std::string>{"Veltharn.exe"});
}

TEST_F(StartupGuardTest, AfterNineteenAttemptsTheCopyRunsAsTheLauncher) {
  processes.ownPath = "C:\\client\\veltharn.nex";
  files.AddFile("Veltharn.new", "new");
  files.AddFile("Veltharn.exe", "old");
  processes.startFails = true;  // every start fails, so every attempt counts as failed
  bool goOn = false;
  clock.onSleep = [&](int count) {
    // Put the old program back each time so that each attempt can try again.
    if (!files.HasFile("Veltharn.new")) files.AddFile("Veltharn.new", "new");
    (void)count;
  };
  EXPECT_EQ(Run(&goOn), std::nullopt);
  EXPECT_TRUE(goOn);
  EXPECT_EQ(clock.sleeps.size(), 19u);
  EXPECT_EQ(processes.started.size(), 19u);
  // Running as the launcher, the copy holds the guard again, so a second start is refused.
  EXPECT_TRUE(processes.holdsInstance);
  EXPECT_EQ(processes.heldWhenStarting, std::vector<bool>(19, false));
}

}  // namespace
}  // namespace veltharn
