#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "discovery/environment_repair.h"
#include "tests/fakes/fake_environment.h"
#include "tests/fakes/fake_file_system.h"

namespace pellorix {
namespace {

TEST(EnvironmentRepair, RebuildsMissingOrStaleValues) {
  struct Case {
    const char* label;
    std::optional<std::string> systemDrive;
    std::optional<std::string> windir;
    std::optional<std::string> programFiles;
    std::string expectedSystemDrive;
    std::string expectedProgramFiles;
  };
  const Case cases[] = {
      {"all present", "C:", "C:\\WINDOWS", "C:\\Program Files", "C:", "C:\\Program Files"},
      {"stale ProgramFiles on G:", "G:", "G:\\WINDOWS", "X:\\Gone", "G:", "G:\\Program Files"},
      {"missing ProgramFiles on G:", "G:", "G:\\WINDOWS", std::nullopt, "G:", "c:\\Program Files"},
      {"missing ProgramFiles on d:", "d:", "d:\\WINDOWS", std::nullopt, "d:", "d:\\Program Files"},
      {"SystemDrive from windir", std::nullopt, "E:\\WINNT", std::nullopt, "E:", "E:\\Program Files"},
      {"nothing set", std::nullopt, std::nullopt, std::nullopt, "c:", "c:\\Program Files"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::FakeEnvironment environment;
    testing::FakeFileSystem files;
    files.AddFolders("C:\\Program Files");
    if (c.systemDrive) environment.Put("SystemDrive", *c.systemDrive);
    if (c.windir) environment.Put("windir", *c.windir);
    if (c.programFiles) environment.Put("ProgramFiles", *c.programFiles);
    RepairEnvironment(environment, files);
    EXPECT_EQ(environment.Get("SystemDrive"), c.expectedSystemDrive);
    EXPECT_EQ(environment.Get("ProgramFiles"), c.expectedProgramFiles);
    EXPECT_EQ(environment.Get("SystemDir"), "C:\\WINDOWS\\system32");
  }
}

TEST(EnvironmentRepair, LeavesAPresentSystemDirAlone) {
  testing::FakeEnvironment environment;
  testing::FakeFileSystem files;
  environment.Put("SystemDrive", "C:");
  environment.Put("ProgramFiles", "C:\\Program Files");
  environment.Put("SystemDir", "C:\\Custom");
  files.AddFolders("C:\\Program Files");
  RepairEnvironment(environment, files);
  EXPECT_EQ(environment.Get("SystemDir"), "C:\\Custom");
  EXPECT_EQ(environment.sets, 0);
}

}  // namespace
}  // namespace pellorix
