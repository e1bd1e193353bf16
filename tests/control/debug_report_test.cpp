#include "launcher/control/debug_report.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/recording_debug_output.h"

namespace veltharn {
namespace {

TEST(ReportDebugTest, AppendsLineEndAndReturnsOne) {
  RecordingDebugOutput output;
  EXPECT_EQ(ReportDebug("unknown type %c in %s", 'b', "Sb"), 1);
  ASSERT_EQ(output.lines.size(), 1u);
  EXPECT_EQ(output.lines[0], "unknown type b in Sb\r\n");
}

TEST(ReportDebugTest, CutsLongTextsInsideTheBuffer) {
  RecordingDebugOutput output;
  std::string longText(1000, 'x');
  ReportDebug("%s", longText.c_str());
  ASSERT_EQ(output.lines.size(), 1u);
  EXPECT_EQ(output.lines[0].size(), 255u);  // 253 characters, "\r\n"; the terminator makes 256
  EXPECT_EQ(output.lines[0].substr(253), "\r\n");
}

}  // namespace
}  // namespace veltharn
