#include "launcher/adapters/win32/win32_processes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace veltharn {
namespace {

std::string UniqueName(const char* what) {
  return std::string("veltharn test ") + what + " " + std::to_string(GetCurrentProcessId());
}

TEST(Win32ProcessesTest, TheNamedGuardAdmitsOneHolderAtATime) {
  const std::string name = UniqueName("guard");
  Win32Processes first;
  Win32Processes second;
  struct Step {
    const char* what;
    Win32Processes* who;
    bool release;
    InstanceClaim expected;
  } const steps[] = {
      {"first claim", &first, false, InstanceClaim::kFirst},
      {"second while the first holds it", &second, false, InstanceClaim::kAlreadyRunning},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    EXPECT_EQ(s.who->ClaimInstance(name), s.expected);
  }
  // Once every handle is gone the name is free again.
  first.ReleaseInstance();
  second.ReleaseInstance();
  Win32Processes third;
  EXPECT_EQ(third.ClaimInstance(name), InstanceClaim::kFirst);
}

TEST(Win32ProcessesTest, OwnPathIsTheRunningProgram) {
  Win32Processes processes;
  const std::string path = processes.OwnPath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_NE(path.find(':'), std::string::npos) << path;
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << path;
}

TEST(Win32ProcessesTest, AProgramThatCannotStartReturnsMinusOneAndTheCallerGoesOn) {
  Win32Processes processes;
  EXPECT_EQ(processes.RunAndExit(".\\no such folder\\qor.exe"), -1);
}

TEST(Win32ProcessesTest, ActivatingWithoutARunningLauncherDoesNothing) {
  Win32Processes processes;
  processes.ActivateRunningInstance(UniqueName("no window has this title"));
}

}  // namespace
}  // namespace veltharn
