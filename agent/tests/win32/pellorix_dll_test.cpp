// The built DLL: its eight exports, the placeholders, and the language check on this system.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

using NoArguments = int(__cdecl*)();
using CheckInstalledFn = int(__cdecl*)(int);

TEST(PellorixDll, ExportsTheOperationsAndThePlaceholders) {
  HMODULE dll = ::LoadLibraryA(PELLORIX_DLL_NAME);
  ASSERT_NE(dll, nullptr);
  for (const char* name : {"QelCheckInstalled", "QelInstall", "QelInspector", "QelExecute"}) {
    EXPECT_NE(::GetProcAddress(dll, name), nullptr) << name;
  }
  for (const char* name : {"StartAppoint", "CheckAppoint", "CheckInstalled", "CloseAppoint"}) {
    SCOPED_TRACE(name);
    const auto placeholder = reinterpret_cast<NoArguments>(
        reinterpret_cast<void*>(::GetProcAddress(dll, name)));
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder(), 1);
  }
  EXPECT_EQ(::GetProcAddress(dll, "PellorixPlaceholder"), nullptr);
  EXPECT_NE(::RegisterWindowMessageA("MA_TO_AGENTCLOSE"), 0u);

  const auto check = reinterpret_cast<CheckInstalledFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll, "QelCheckInstalled")));
  ASSERT_NE(check, nullptr);
  const int result = check(0);
  if ((::GetSystemDefaultUILanguage() & 0xff) != 0x12) {
    EXPECT_EQ(result, 17);
  } else {
    EXPECT_TRUE(result == 0 || result == 11 || result == 14 || result == 15) << result;
  }
  ::FreeLibrary(dll);
}

}  // namespace
