#include "launcher/ui/skin_region.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace veltharn {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;

uint32_t ReadLittle32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool IsKeyColour(const SkinDib& dib, const uint8_t* pixel) {
  switch (dib.bitsPerPixel) {
    case 8: {
      std::size_t entry = static_cast<std::size_t>(*pixel) * 4;
      // An index past the table names no colour: it is not the key colour.
      if (entry + 4 > dib.colourTable.size()) return false;
      return (ReadLittle32(dib.colourTable.data() + entry) & 0x00FFFFFF) == kKeyColourRgb;
    }
    case 16:
      return (pixel[0] | pixel[1] << 8) == kKeyColour16;
    case 24:
      return pixel[0] == 0x01 && pixel[1] == 0xFF && pixel[2] == 0x00;
    case 32:
      return pixel[3] == 0;
  }
  return false;
}

class Batcher {
 public:
  explicit Batcher(SkinRunBatches& sink) : sink_(sink) { rects_.reserve(kRectanglesPerBatch); }

  void Add(const SkinRect& rect) {
    if (rects_.empty()) bounds_ = rect;
    bounds_.left = std::min(bounds_.left, rect.left);
    bounds_.top = std::min(bounds_.top, rect.top);
    bounds_.right = std::max(bounds_.right, rect.right);
    bounds_.bottom = std::max(bounds_.bottom, rect.bottom);
    rects_.push_back(rect);
    if (rects_.size() == kRectanglesPerBatch) Flush();
  }
  void Flush() {
    if (rects_.empty()) return;
    sink_.OnBatch(rects_, bounds_);
    rects_.clear();
  }

 private:
  SkinRunBatches& sink_;
  std::vector<SkinRect> rects_;
  SkinRect bounds_;
};

}  // namespace

std::optional<SkinDib> ParsePackedDib(std::span<const uint8_t> packed) {
  if (packed.size() < kInfoHeaderSize) return std::nullopt;
  const uint32_t headerSize = ReadLittle32(packed.data());
  if (headerSize < kInfoHeaderSize || headerSize > packed.size()) return std::nullopt;
  SkinDib dib;
  dib.width = static_cast<int32_t>(ReadLittle32(packed.data() + 4));
  dib.height = static_cast<int32_t>(ReadLittle32(packed.data() + 8));
  dib.bitsPerPixel = packed[14] | packed[15] << 8;
  const uint32_t usedColours = ReadLittle32(packed.data() + 32);
  std::size_t tableSize = 0;
  switch (dib.bitsPerPixel) {
    case 8:
      tableSize =
          static_cast<std::size_t>(usedColours == 0 ? 256 : std::min<uint32_t>(usedColours, 256)) *
          4;
      break;
    case 16:
    case 24:
    case 32:
      break;
    default:
      return std::nullopt;
  }
  if (packed.size() - headerSize < tableSize) return std::nullopt;
  dib.colourTable = packed.subspan(headerSize, tableSize);
  dib.pixels = packed.subspan(headerSize + tableSize);
  return dib;
}

bool ScanSkinRuns(const SkinDib& dib, SkinRunBatches& batches) {
  if (dib.bitsPerPixel == 8 && dib.colourTable.empty()) return false;
  if (dib.pixels.empty() || dib.width < 1 || dib.height < 1) return false;
  const int bytesPerPixel = dib.bitsPerPixel / 8;
  if (bytesPerPixel < 1 || bytesPerPixel > 4 || dib.bitsPerPixel % 8 != 0) return false;
  const uint64_t stride = (static_cast<uint64_t>(dib.width) * bytesPerPixel + 3) & ~uint64_t{3};
  if (stride * static_cast<uint64_t>(dib.height) > dib.pixels.size()) return false;

  Batcher batcher(batches);
  for (int32_t y = 0; y < dib.height; ++y) {
    // Rows are stored bottom-up: image row y is stored row height - 1 - y.
    const uint8_t* row = dib.pixels.data() + stride * static_cast<uint64_t>(dib.height - 1 - y);
    int32_t x = 0;
    while (x < dib.width) {
      const int32_t start = x;
      while (x < dib.width && !IsKeyColour(dib, row + static_cast<std::size_t>(x) * bytesPerPixel))
        ++x;
      if (x > start) batcher.Add(SkinRect{start, y, x, y + 1});
      ++x;  // over the key-colour pixel that ended the run
    }
  }
  batcher.Flush();
  return true;
}

}  // namespace veltharn
