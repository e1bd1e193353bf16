#include "launcher/ui/progress_bar_geometry.h"

#include <gtest/gtest.h>

namespace veltharn {
namespace {

TEST(ProgressBarGeometryTest, BarCoversItsShareOfTheWindow) {
  // The launcher's 430 x 5 bars: client (0, 0, 428, 3) inside a one-pixel border.
  const BarBox client{0, 0, 428, 3};
  struct Case {
    const char* name;
    int upper;
    int position;
    int barRight;
    bool hasBar;
  } const cases[] = {
      {"at the lower bound no bar", 100, 0, -1, false},
      {"half-way", 100, 50, -1 + 216, true},
      {"full range reaches one pixel past the background", 100, 100, 431, true},
      {"file bar at 32767 of 32767", 0x7FFF, 0x7FFF, 431, true},
      {"empty range", 0, 0, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgressBarModel model;
    model.SetBarRange(c.upper);
    model.SetBarPos(c.position);
    BarGeometry g = LayOutBar(client, model);
    EXPECT_EQ(g.background, (BarBox{-1, -1, 430, 5}));
    EXPECT_EQ(g.bar.left, -1);
    EXPECT_EQ(g.bar.top, -1);
    EXPECT_EQ(g.bar.bottom, 5);
    EXPECT_EQ(g.bar.right, c.barRight);
    EXPECT_EQ(g.hasBar(), c.hasBar);
  }
}

}  // namespace
}  // namespace veltharn
