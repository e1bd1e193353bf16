#include "launcher/ui/progress_bar_model.h"

#include <gtest/gtest.h>

namespace veltharn {
namespace {

TEST(ProgressBarModelTest, EmptyRangeKeepsASpanOfOne) {
  ProgressBarModel bar;
  bar.SetBarRange(0);
  EXPECT_EQ(bar.rangeSpan(), 1);
  bar.SetBarPos(5);
  EXPECT_EQ(bar.position(), 0);
  EXPECT_EQ(bar.Percent(), 0);
}

TEST(ProgressBarModelTest, PositionsAreClampedBeforeTheyAreStored) {
  ProgressBarModel bar;
  bar.SetBarRange(10);
  struct Case {
    int value;
    int stored;
  } const cases[] = {{-1, 0}, {0, 0}, {4, 4}, {10, 10}, {11, 10}, {-2147483647 - 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    bar.SetBarPos(c.value);
    EXPECT_EQ(bar.position(), c.stored);
  }
}

TEST(ProgressBarModelTest, BarEndsHalfWayAcrossAtFiftyPercent) {
  // A 430-pixel control: the bar rectangle runs from -1 to 433 (three pixels wider).
  ProgressBarModel bar;
  bar.SetBarRange(0x7FFF);
  bar.SetPercent(50);
  EXPECT_EQ(bar.Percent(), 49);  // 16383 of 32767
  bar.SetBarPos(0x7FFF);
  EXPECT_EQ(bar.BarEnd(-1, 433), 433);
  bar.SetBarRange(100);
  bar.SetBarPos(50);
  EXPECT_EQ(bar.BarEnd(-1, 433), -1 + 217);
  bar.SetBarPos(0);
  EXPECT_EQ(bar.BarEnd(-1, 433), -1);
}

}  // namespace
}  // namespace veltharn
