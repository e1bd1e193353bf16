#include "launcher/adapters/win32/dll_agent_library.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "launcher/adapters/win32/win32_file_system.h"

namespace veltharn {
namespace {

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

// A client folder of its own as the current directory; the previous one comes back afterwards.
class DllAgentLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    previous_ = previous;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    client_ = std::string(temp) + "veltharn-agent-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(client_.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(client_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(previous_.c_str());
    DeleteFileA((client_ + "\\Pellorix.dll").c_str());
    RemoveDirectoryA(client_.c_str());
  }
  void InstallStandIn() {
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\stand_in_agent.dll").c_str(),
                          (client_ + "\\Pellorix.dll").c_str(), FALSE));
  }

  std::string previous_;
  std::string client_;
  Win32FileSystem files_;
};

TEST_F(DllAgentLibraryTest, NoLibraryInTheClientFolderLoadsNothing) {
  DllAgentLibrary library(files_, reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234)));
  EXPECT_EQ(library.Load(), nullptr);
}

TEST_F(DllAgentLibraryTest, ExportsAreFoundByTheirNamesAndGetTheirArguments) {
  InstallStandIn();
  DllAgentLibrary library(files_, reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234)));
  std::unique_ptr<AgentModule> module = library.Load();
  ASSERT_NE(module, nullptr);
  struct Case {
    AgentExport which;
    bool exported;
  } const cases[] = {{AgentExport::kCheckInstalled, true},
                     {AgentExport::kInstall, true},
                     {AgentExport::kInspector, false},
                     {AgentExport::kExecute, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(AgentExportName(c.which));
    EXPECT_EQ(module->Has(c.which), c.exported);
  }
  AgentArguments arguments;
  arguments.serviceUrl = "http://agent.example";  // 20 characters
  arguments.legacyUpdaterCrc = "0A1B2C3D";        // 8
  arguments.portalBootstrapCrc = "FFFF";          // 4
  arguments.number = 7;
  EXPECT_EQ(module->Call(AgentExport::kCheckInstalled, arguments), 0x1234 + 1);
  EXPECT_EQ(module->Call(AgentExport::kInstall, arguments), 0x1234 + 20000 + 800 + 40 + 7);
}

TEST_F(DllAgentLibraryTest, ALibraryOfTheSameNameOnTheSearchPathIsNotTaken) {
  // Only the client folder counts: with none there, the program's own folder (which holds a
  // library that answers) is never searched.
  ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\stand_in_agent.dll").c_str(),
                        (ProgramFolder() + "\\Pellorix.dll").c_str(), FALSE));
  DllAgentLibrary library(files_, nullptr);
  EXPECT_EQ(library.Load(), nullptr);
  DeleteFileA((ProgramFolder() + "\\Pellorix.dll").c_str());
}

}  // namespace
}  // namespace veltharn
