// The process tools find a program that the test started, by name and by path.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "adapters/win32/process_apis.h"
#include "adapters/win32/win32_system_records.h"
#include "process_control/c_process_finder.h"
#include "process_control/c_psapi_process_tool.h"
#include "process_control/c_toolhelp_process_tool.h"

namespace pellorix {
namespace {

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\'));
}

TEST(Win32ProcessTools, FindAProcessByNameAndByPath) {
  const std::string name = PELLORIX_SLEEPER_NAME;
  const std::string path = OwnFolder() + "\\" + name;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = "\"" + path + "\"";
  ASSERT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info));
  ::WaitForInputIdle(info.hProcess, 2000);
  ::Sleep(300);  // the new process appears in snapshots once it has loaded its modules

  win32::WindowsProcessApiSource source;
  win32::Win32SystemRecords records;
  EXPECT_EQ(ReadPlatform(records), Platform::WindowsNt);
  CProcessFinder finder(ReadPlatform(records), source);
  EXPECT_TRUE(finder.IsRunning(name));
  EXPECT_TRUE(finder.IsRunningFrom(name, path));
  EXPECT_FALSE(finder.IsRunningFrom(name, "C:\\elsewhere\\" + name));
  EXPECT_FALSE(finder.IsRunning("nosuchprogram.exe"));

  CToolhelpProcessTool toolhelp(source.OpenToolhelp());
  EXPECT_TRUE(toolhelp.IsReady());
  EXPECT_TRUE(toolhelp.IsRunning(name));  // NT snapshots carry base names

  CPsapiProcessTool psapi(source.OpenPsapi());
  EXPECT_TRUE(psapi.IsReady());
  EXPECT_TRUE(psapi.TerminateByName(name));
  EXPECT_EQ(::WaitForSingleObject(info.hProcess, 5000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(info.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 1u);
  ::TerminateProcess(info.hProcess, 0);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
}

}  // namespace
}  // namespace pellorix
