#include "launcher/control/game_launch.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

TEST(GameLaunchTest, DirectXVersionRule) {
  struct Case {
    const char* version;
    bool sufficient;
  } const cases[] = {
      {"4.09.00.0904", true},   {"4.09.00.0903", false}, {"4.10.00.0000", true},
      {"4.08.99.9999", false},  {"4.09.00", false},      {"4.09.00.0904.1", false},
      {"4..09.00.0904", true},  {"", false},             {"a.b.c.d", false},
      {"5.0.0.0", true},        {"-4.09.00.0904", false}, {"99999999999.1.1.1", true},
      {"4.09.1.0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(IsDirectXVersionSufficient(c.version), c.sufficient);
  }
}

TEST(GameLaunchTest, DirectXFromTheRegistry) {
  FakeRegistry registry;
  EXPECT_FALSE(CheckDirectX(registry));  // no value
  registry.SetDword(kDirectXKey, "Version", 904);
  EXPECT_FALSE(CheckDirectX(registry));
  registry.SetString(kDirectXKey, "Version", "4.09.00.0904");
  EXPECT_TRUE(CheckDirectX(registry));
  registry.failCreate = true;
  EXPECT_FALSE(CheckDirectX(registry));
}

class RecordingDirectory : public MemoryFileSystem {
 public:
  bool SetCurrentDirectory(const std::string& path) override {
    changes.push_back(path);
    return true;
  }
  std::vector<std::string> changes;
};

TEST(GameLaunchTest, StartsTheGameInItsFolder) {
  RecordingDirectory files;
  FakeProcesses processes;
  FakeView view;
  Notices notices(view);
  EXPECT_THROW(StartGame(files, processes, notices), ProcessEnded);
  EXPECT_EQ(files.changes, std::vector<std::string>{".\\system"});
  EXPECT_EQ(processes.started, std::vector<std::string>{".\\qor.exe"});
}

TEST(GameLaunchTest, AFailedStartComesBackAndSaysSo) {
  RecordingDirectory files;
  FakeProcesses processes;
  processes.startFails = true;
  FakeView view;
  Notices notices(view);
  StartGame(files, processes, notices);
  EXPECT_EQ(files.changes, (std::vector<std::string>{".\\system", ".."}));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, "Failed to run Qor.exe. Please check the file and try again.");
  EXPECT_TRUE(view.boxes[0].owned);
  EXPECT_TRUE(view.endResults.empty());
}

}  // namespace
}  // namespace veltharn
