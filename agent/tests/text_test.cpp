#include <string>

#include <gtest/gtest.h>

#include "common/text.h"
#include "install/command_line.h"

namespace pellorix {
namespace {

TEST(Text, BoundsTextsToTheirBuffers) {
  EXPECT_EQ(CutToBuffer(std::string(300, 'x')).size(), 259u);
  EXPECT_EQ(CutToBuffer("short"), "short");
  EXPECT_TRUE(FitToBuffer(std::string(259, 'x')));
  EXPECT_FALSE(FitToBuffer(std::string(260, 'x')));
}

TEST(Text, FoldersAndBackslashes) {
  EXPECT_EQ(ParentFolder("C:\\a\\b.exe"), "C:\\a");
  EXPECT_EQ(ParentFolder("C:"), "");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\a"), "C:\\a");
  EXPECT_TRUE(EqualsNoCase("PELLORIX", "Pellorix"));
  EXPECT_FALSE(EqualsNoCase("Pellorix 2", "Pellorix"));
}

TEST(CommandLine, JoinsAndRefusesOverLongLines) {
  EXPECT_EQ(LegacyCommandLine("C:\\P\\PellorixUpdate.exe", " -o"), "\"C:\\P\\PellorixUpdate.exe\"  -o");
  EXPECT_EQ(PortalCommandLine("\"C:\\t.exe\"", " -s x"), "\"C:\\t.exe\"  -s x");
  // 2 quotes + 1 blank + arguments.
  EXPECT_TRUE(LegacyCommandLine(std::string(250, 'p'), std::string(6, 'a')));
  EXPECT_FALSE(LegacyCommandLine(std::string(250, 'p'), std::string(7, 'a')));
}

}  // namespace
}  // namespace pellorix
