#include "launcher/ui/skin_region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace veltharn {
namespace {

// A collecting sink: every rectangle in scan order, and the size and bounds of each batch.
struct Collected : SkinRunBatches {
  std::vector<SkinRect> rects;
  std::vector<std::size_t> batchSizes;
  std::vector<SkinRect> batchBounds;
  void OnBatch(std::span<const SkinRect> batch, const SkinRect& bounds) override {
    rects.insert(rects.end(), batch.begin(), batch.end());
    batchSizes.push_back(batch.size());
    batchBounds.push_back(bounds);
  }
};

// Pixels of a 24-bit bitmap from rows of text, top row first: 'k' is the key colour, anything
// else a visible pixel. Stored bottom-up with rows padded to 4 bytes, as a resource holds them.
std::vector<uint8_t> Rows24(const std::vector<std::string>& rows) {
  const std::size_t width = rows.front().size();
  const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
  std::vector<uint8_t> pixels(stride * rows.size(), 0x55);
  for (std::size_t y = 0; y < rows.size(); ++y) {
    uint8_t* row = pixels.data() + stride * (rows.size() - 1 - y);
    for (std::size_t x = 0; x < width; ++x) {
      if (rows[y][x] == 'k') {
        row[x * 3] = 0x01;
        row[x * 3 + 1] = 0xFF;
        row[x * 3 + 2] = 0x00;
      } else {
        row[x * 3] = 0x00;  // pure green is not the key colour
        row[x * 3 + 1] = 0xFF;
        row[x * 3 + 2] = 0x00;
      }
    }
  }
  return pixels;
}

TEST(SkinRegionTest, OneRectanglePerRunOfVisiblePixels) {
  struct Case {
    const char* name;
    std::vector<std::string> rows;
    std::vector<SkinRect> expected;
  } const cases[] = {
      {"a row without key colour is one full-width rectangle", {"....."}, {{0, 0, 5, 1}}},
      {"a row of only key colour gives nothing", {"kkkkk", "....."}, {{0, 1, 5, 2}}},
      {"rounded frame", {"kk.kk", "k...k", "....."}, {{2, 0, 3, 1}, {1, 1, 4, 2}, {0, 2, 5, 3}}},
      {"runs are cut only at key pixels", {".k..k."}, {{0, 0, 1, 1}, {2, 0, 4, 1}, {5, 0, 6, 1}}},
      {"first row is the top of the image", {"k.", ".."}, {{1, 0, 2, 1}, {0, 1, 2, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> pixels = Rows24(c.rows);
    SkinDib dib{{},
                pixels,
                static_cast<int32_t>(c.rows.front().size()),
                static_cast<int32_t>(c.rows.size()),
                24};
    Collected collected;
    ASSERT_TRUE(ScanSkinRuns(dib, collected));
    EXPECT_EQ(collected.rects, c.expected);
  }
}

TEST(SkinRegionTest, KeyColourByDepth) {
  // One row of four pixels: visible, key, visible, visible.
  const std::vector<uint8_t> colours = {0x10, 0x20, 0x30, 0x00,   // 0: some colour
                                        0x01, 0xFF, 0x00, 0x7F};  // 1: key (reserved byte ignored)
  struct Case {
    const char* name;
    int bits;
    std::vector<uint8_t> row;
  } const cases[] = {
      {"8 bits: the table entry is the key colour", 8, {0, 1, 0, 0}},
      {"8 bits: an index past the table is visible", 8, {0, 1, 200, 0}},
      {"16 bits: 0x07E0", 16, {0x1F, 0x00, 0xE0, 0x07, 0xE1, 0x07, 0x00, 0x00}},
      {"32 bits: a fourth byte of 0",
       32,
       {1, 2, 3, 0xFF, 1, 0xFF, 0, 0, 9, 9, 9, 1, 0, 0, 0, 0x80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SkinDib dib{colours, c.row, 4, 1, c.bits};
    Collected collected;
    ASSERT_TRUE(ScanSkinRuns(dib, collected));
    std::vector<SkinRect> expected = {{0, 0, 1, 1}, {2, 0, 4, 1}};
    EXPECT_EQ(collected.rects, expected);
  }
}

TEST(SkinRegionTest, BitmapsThatCannotBeScannedGiveNoRegion) {
  std::vector<uint8_t> pixels(64, 0x33);
  const std::vector<uint8_t> colours(1024, 0);
  struct Case {
    const char* name;
    SkinDib dib;
  } const cases[] = {
      {"8 bits without colours", {{}, pixels, 2, 2, 8}},
      {"no pixels", {{}, {}, 2, 2, 24}},
      {"zero width", {{}, pixels, 0, 2, 24}},
      {"top-down (negative height)", {{}, pixels, 2, -2, 24}},
      {"4 bits per pixel", {colours, pixels, 2, 2, 4}},
      {"1 bit per pixel", {colours, pixels, 2, 2, 1}},
      {"fewer bytes than the rows need",
       {{}, std::span<const uint8_t>(pixels).first(20), 3, 2, 24}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Collected collected;
    EXPECT_FALSE(ScanSkinRuns(c.dib, collected));
    EXPECT_TRUE(collected.batchSizes.empty());
  }
}

TEST(SkinRegionTest, ManyRunsArriveInBatchesOfTwoThousandWithTheirBounds) {
  // 4,001 pixels wide, alternating visible and key: 2,001 runs on each of two rows.
  std::string row;
  for (int x = 0; x < 4001; ++x) row += x % 2 == 0 ? '.' : 'k';
  std::vector<uint8_t> pixels = Rows24({row, row});
  SkinDib dib{{}, pixels, 4001, 2, 24};
  Collected collected;
  ASSERT_TRUE(ScanSkinRuns(dib, collected));
  ASSERT_EQ(collected.rects.size(), 4002u);
  EXPECT_EQ(collected.batchSizes, (std::vector<std::size_t>{2000, 2000, 2}));
  EXPECT_EQ(collected.batchBounds[0], (SkinRect{0, 0, 3999, 1}));  // runs 0..1999 of row 0
  EXPECT_EQ(collected.batchBounds[1], (SkinRect{0, 0, 4001, 2}));  // last run of row 0, row 1
  EXPECT_EQ(collected.batchBounds[2], (SkinRect{3998, 1, 4001, 2}));
  for (std::size_t i = 0; i < collected.rects.size(); ++i) {
    const int32_t y = i < 2001 ? 0 : 1;
    const int32_t x = static_cast<int32_t>(i % 2001) * 2;
    ASSERT_EQ(collected.rects[i], (SkinRect{x, y, x + 1, y + 1})) << i;
  }
}

TEST(SkinRegionTest, ASkinWithoutVisiblePixelsDeliversNoBatch) {
  std::vector<uint8_t> pixels = Rows24({"kkk", "kkk"});
  Collected collected;
  EXPECT_TRUE(ScanSkinRuns(SkinDib{{}, pixels, 3, 2, 24}, collected));
  EXPECT_TRUE(collected.batchSizes.empty());
}

// A packed DIB as a bitmap resource holds it: BITMAPINFOHEADER, colour table, rows.
std::vector<uint8_t> PackedDib(int32_t width, int32_t height, uint16_t bits, uint32_t usedColours,
                               std::size_t tableBytes, std::size_t pixelBytes) {
  std::vector<uint8_t> packed(40 + tableBytes + pixelBytes, 0);
  auto put32 = [&](std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) packed[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  packed[12] = 1;
  packed[14] = static_cast<uint8_t>(bits);
  put32(32, usedColours);
  return packed;
}

TEST(SkinRegionTest, PackedDibLocatesTableAndPixels) {
  struct Case {
    const char* name;
    uint16_t bits;
    uint32_t usedColours;
    std::size_t tableBytes;
    bool parsed;
    std::size_t expectedTable;
  } const cases[] = {
      {"24 bits: pixels follow the header", 24, 0, 0, true, 0},
      {"8 bits, 0 used colours: 256 entries", 8, 0, 1024, true, 1024},
      {"8 bits, 16 used colours", 8, 16, 64, true, 64},
      {"8 bits, table cut short", 8, 0, 100, false, 0},
      {"4 bits is not a skin depth", 4, 16, 64, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> packed = PackedDib(4, 2, c.bits, c.usedColours, c.tableBytes, 16);
    if (!c.parsed && c.tableBytes == 100) packed.resize(40 + 100);
    std::optional<SkinDib> dib = ParsePackedDib(packed);
    ASSERT_EQ(dib.has_value(), c.parsed);
    if (!dib) continue;
    EXPECT_EQ(dib->width, 4);
    EXPECT_EQ(dib->height, 2);
    EXPECT_EQ(dib->bitsPerPixel, c.bits);
    EXPECT_EQ(dib->colourTable.size(), c.expectedTable);
    EXPECT_EQ(dib->pixels.data(), packed.data() + 40 + c.expectedTable);
  }
}

}  // namespace
}  // namespace veltharn
