#include "launcher/update/client_path.h"

#include <gtest/gtest.h>

#include <string>

namespace veltharn {
namespace {

TEST(ClientPathTest, AcceptsNamesInsideTheClientFolder) {
  for (const char* path : {"qor.exe", ".\\system\\qor.exe", "system\\data\\a.pak", "Patch\\12.rtp",
                           ".\\Patch\\system\\x.dll", "a\\..\\b.txt", "system/mixed\\sep.txt",
                           "Notice\\Notice-k.txt", "..a", "a..b.txt", "a\\b\\..\\..\\c"}) {
    EXPECT_TRUE(IsSafeClientPath(path)) << path;
  }
}

TEST(ClientPathTest, RefusesNamesThatLeaveOrEscapeTheFolder) {
  const std::string longClimb = std::string("a\\") + std::string(300, '.') ;
  for (const char* path :
       {"", ".", ".\\", "..", "..\\qor.exe", "..\\..\\Windows\\win.ini", "system\\..\\..\\x",
        "a\\..\\..\\b", "C:\\Windows\\win.ini", "C:qor.exe", "c:", "\\Windows\\win.ini",
        "/etc/passwd", "\\\\server\\share\\x", "\\\\?\\C:\\x", "\\\\.\\PhysicalDrive0",
        "file.txt:stream", "file.txt::$DATA", "system/../../x", "..//x", "CON", "nul.txt",
        "system\\COM1", "system\\lpt9.log", "aux", "CONIN$", "name.", "name ", "system\\dir.\\x",
        "a*b", "a?b", "a|b", "a\"b", "a<b", "a>b", "a\tb", "\x01"}) {
    EXPECT_FALSE(IsSafeClientPath(path)) << path;
  }
  EXPECT_FALSE(IsSafeClientPath(longClimb));
}

}  // namespace
}  // namespace veltharn
