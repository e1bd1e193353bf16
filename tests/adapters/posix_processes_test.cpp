// The headless launcher's process: its lock, exec and exit, tried in child processes where they
// would end the test.
#include "launcher/adapters/posix/posix_processes.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace veltharn {
namespace {

namespace fs = std::filesystem;

// Runs `body` in a child process; its exit status, or -1 when it did not exit normally.
int InChild(const std::function<void()>& body) {
  std::fflush(nullptr);  // or the child writes out the parent's buffered output again
  pid_t child = fork();
  if (child == 0) {
    body();
    _exit(99);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class PosixProcessesTest : public testing::Test {
 protected:
  PosixProcessesTest() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = fs::temp_directory_path() /
              ("veltharn-proc-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(folder_);
  }
  ~PosixProcessesTest() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path folder_;
};

TEST_F(PosixProcessesTest, ASecondLauncherForTheSameFolderFindsTheGuardHeld) {
  const std::string guard = "veltharn client! ch3";
  auto first = std::make_unique<PosixProcesses>(folder_.string());
  PosixProcesses second(folder_.string());
  PosixProcesses elsewhere((folder_ / "other").string());
  EXPECT_EQ(first->ClaimInstance(guard), InstanceClaim::kFirst);
  EXPECT_EQ(second.ClaimInstance(guard), InstanceClaim::kAlreadyRunning);
  EXPECT_EQ(elsewhere.ClaimInstance(guard), InstanceClaim::kFirst);
  // Another process sees it too.
  EXPECT_EQ(InChild([&] {
              PosixProcesses child(folder_.string());
              _exit(child.ClaimInstance(guard) == InstanceClaim::kAlreadyRunning ? 0 : 1);
            }),
            0);
  first->ReleaseInstance();
  EXPECT_EQ(second.ClaimInstance(guard), InstanceClaim::kFirst);
  second.ReleaseInstance();
  EXPECT_EQ(first->ClaimInstance(guard), InstanceClaim::kFirst);
  first.reset();  // the end of the process releases it
  EXPECT_EQ(second.ClaimInstance(guard), InstanceClaim::kFirst);
}

TEST_F(PosixProcessesTest, OwnPathIsThisProgram) {
  PosixProcesses processes(folder_.string());
  std::string own = processes.OwnPath();
  EXPECT_TRUE(fs::path(own).is_absolute());
  EXPECT_TRUE(fs::equivalent(own, "/proc/self/exe"));
}

TEST_F(PosixProcessesTest, RunAndExitStartsTheProgramWithItsPathAsTheOnlyArgument) {
  // A script written as the launcher writes files, without its execute bit.
  fs::create_directories(folder_ / "system");
  std::ofstream(folder_ / "system" / "qor.exe") << "#!/bin/sh\necho \"$0|$#|$(pwd)\" > ran.txt\n";
  int status = InChild([&] {
    PosixProcesses processes(folder_.string());
    if (chdir((folder_ / "system").c_str()) != 0) _exit(98);
    processes.RunAndExit(".\\qor.exe");
  });
  EXPECT_EQ(status, 0);
  std::ifstream ran(folder_ / "system" / "ran.txt");
  std::string line;
  std::getline(ran, line);
  EXPECT_EQ(line, "./qor.exe|0|" + fs::canonical(folder_ / "system").string());
}

TEST_F(PosixProcessesTest, RunAndExitAnswersMinusOneWhenTheProgramCannotStart) {
  PosixProcesses processes(folder_.string());
  struct Case {
    const char* name;
    std::string path;
  } const cases[] = {
      {"missing", (folder_ / "missing.exe").string()},
      {"folder", folder_.string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(processes.RunAndExit(c.path), -1);
  }
}

TEST_F(PosixProcessesTest, ExitEndsTheProcessWithTheCode) {
  EXPECT_EQ(InChild([&] {
              PosixProcesses processes(folder_.string());
              processes.Exit(1);
            }),
            1);
}

TEST(SystemClockTest, SleepsAtLeastTheTimeAsked) {
  SystemClock clock;
  auto start = std::chrono::steady_clock::now();
  clock.SleepMs(30);
  clock.SleepMs(-5);  // nothing to wait for
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace
}  // namespace veltharn
