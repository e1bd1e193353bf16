// The registry adapter in a key of its own, checked with reg.exe and removed afterwards.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "adapters/win32/win32_registry.h"

namespace pellorix {
namespace {

std::string RunAndCapture(const std::string& commandLine, const std::string& outputPath) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = ::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
  if (output == INVALID_HANDLE_VALUE) return {};
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
    ::WaitForSingleObject(info.hProcess, 30000);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
  }
  ::CloseHandle(output);
  std::string text;
  HANDLE input = ::CreateFileA(outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  char piece[4096];
  DWORD read = 0;
  while (input != INVALID_HANDLE_VALUE && ::ReadFile(input, piece, sizeof piece, &read, nullptr) &&
         read > 0) {
    text.append(piece, read);
  }
  if (input != INVALID_HANDLE_VALUE) ::CloseHandle(input);
  ::DeleteFileA(outputPath.c_str());
  return text;
}

TEST(Win32Registry, WritesWhatRegQueryShowsAndReadsItBack) {
  const std::string root = "Software\\PellorixTest" + std::to_string(::GetCurrentProcessId());
  const std::string path = root + "\\Kelvaro\\QelGF\\Pellorix";
  win32::RegistryStore registry;
  ASSERT_FALSE(registry.Open(Hive::CurrentUser, path, KeyAccess::Read));
  {
    const auto key = registry.Create(Hive::CurrentUser, path, KeyAccess::ReadWrite);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->WriteText("ServerURL", "http://svc.test"));
    EXPECT_TRUE(key->WriteText("Long", std::string(260, 'x')));
    EXPECT_TRUE(key->WriteText("Fits", std::string(259, 'y')));
    ASSERT_TRUE(key->CreateSubKey("Child", KeyAccess::ReadWrite));
  }
  {
    const auto key = registry.Open(Hive::CurrentUser, path, KeyAccess::Read);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadText("serverurl"), "http://svc.test");
    EXPECT_EQ(key->ReadText("Fits"), std::string(259, 'y'));
    EXPECT_FALSE(key->ReadText("Long"));
    EXPECT_FALSE(key->ReadText("Missing"));
    EXPECT_EQ(key->SubKeyName(0), "Child");
    EXPECT_FALSE(key->SubKeyName(1));
  }

  char folder[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, folder);
  const std::string shown = RunAndCapture("reg.exe query \"HKCU\\" + path + "\"",
                                          std::string(folder) + "pellorix-reg.txt");
  EXPECT_NE(shown.find("ServerURL"), std::string::npos) << shown;
  EXPECT_NE(shown.find("http://svc.test"), std::string::npos) << shown;

  // Leaves first: RegDeleteKey removes only keys without subkeys.
  for (const std::string& key : {path + "\\Child", path, root + "\\Kelvaro\\QelGF",
                                 root + "\\Kelvaro", root}) {
    EXPECT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS) << key;
  }
}

}  // namespace
}  // namespace pellorix
