#include "launcher/ui/win32/skin_region_win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace veltharn {
namespace {

// A 24-bit skin, 4,001 x 3: row 0 alternates visible and key pixels (2,001 runs, more than one
// batch), row 1 is all visible, row 2 all key. Rows are stored bottom-up.
struct Fixture {
  static constexpr int32_t kWidth = 4001;
  std::vector<uint8_t> pixels;
  Fixture() {
    const size_t stride = (kWidth * 3 + 3) & ~size_t{3};
    pixels.assign(stride * 3, 0x40);
    auto key = [&](int32_t x, int32_t y) {
      uint8_t* p = pixels.data() + stride * static_cast<size_t>(2 - y) + static_cast<size_t>(x) * 3;
      p[0] = 0x01;
      p[1] = 0xFF;
      p[2] = 0x00;
    };
    for (int32_t x = 1; x < kWidth; x += 2) key(x, 0);
    for (int32_t x = 0; x < kWidth; ++x) key(x, 2);
  }
  SkinDib dib() const { return SkinDib{{}, pixels, kWidth, 3, 24}; }
};

TEST(SkinRegionWin32Test, TheRegionIsTheUnionOfEveryBatch) {
  Fixture fixture;
  UniqueGdi<HRGN> region = BuildRegionFromDib(fixture.dib());
  ASSERT_TRUE(region.valid());
  struct Case {
    int x, y;
    bool inside;
  } const cases[] = {
      {0, 0, true},    {1, 0, false},    {3998, 0, true},  {3999, 0, false},
      {4000, 0, true}, {0, 1, true},     {2001, 1, true},  {4000, 1, true},
      {0, 2, false},   {4000, 2, false}, {4001, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(PtInRegion(region.get(), c.x, c.y) != FALSE, c.inside);
  }
  RECT box;
  ASSERT_NE(GetRgnBox(region.get(), &box), ERROR);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, Fixture::kWidth);
  EXPECT_EQ(box.bottom, 2);
}

TEST(SkinRegionWin32Test, NoRegionForASkinWithoutVisiblePixelsOrAnUnsupportedDepth) {
  std::vector<uint8_t> allKey = {0x01, 0xFF, 0x00, 0x00};  // one pixel, padded row
  std::vector<uint8_t> pixels(16, 0x40);
  struct Case {
    const char* name;
    SkinDib dib;
  } const cases[] = {
      {"only key colour", {{}, allKey, 1, 1, 24}},
      {"4 bits per pixel", {{}, pixels, 2, 2, 4}},
      {"top-down", {{}, pixels, 1, -1, 24}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(BuildRegionFromDib(c.dib).valid());
  }
}

}  // namespace
}  // namespace veltharn
