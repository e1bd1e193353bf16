#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace veltharn {

// The window shape of a skin: every pixel of the key colour is cut away, everything else forms
// one rectangle per horizontal run of visible pixels. The scan is plain C++ so that it runs
// everywhere; turning the rectangles into a region is the platform's part.

// The key colour by depth: 8 bits, a colour-table entry of red 0, green 255, blue 1; 16 bits, the
// value 0x07E0; 24 bits, the bytes (blue, green, red) 01 FF 00; 32 bits, a fourth byte of 0.
inline constexpr uint32_t kKeyColourRgb = 0x00FF01;  // little-endian B, G, R = 01 FF 00
inline constexpr uint16_t kKeyColour16 = 0x07E0;

struct SkinRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

// A device-independent bitmap as a resource holds it: rows bottom-up, each padded to 4 bytes.
struct SkinDib {
  std::span<const uint8_t> colourTable;  // 4 bytes an entry (B, G, R, reserved); 8 bits only
  std::span<const uint8_t> pixels;
  int32_t width = 0;
  int32_t height = 0;  // negative (top-down) bitmaps get no region
  int bitsPerPixel = 0;
};

// The bitmap inside a packed DIB (a BITMAPINFOHEADER, an optional colour table, the rows), or
// nullopt when the header is not one of 8, 16, 24 or 32 bits per pixel or the block is too short
// for the table it announces. The spans point into `packed`.
[[nodiscard]] std::optional<SkinDib> ParsePackedDib(std::span<const uint8_t> packed);

// Receives the rectangles in batches of at most kRectanglesPerBatch, each with its bounds, so that
// no single region-data block the platform builds grows without limit.
class SkinRunBatches {
 public:
  virtual ~SkinRunBatches() = default;
  virtual void OnBatch(std::span<const SkinRect> rects, const SkinRect& bounds) = 0;
};

inline constexpr std::size_t kRectanglesPerBatch = 2000;

// Scans rows top to bottom, left to right. False (and no batch) when the bitmap cannot be
// scanned: an 8-bit bitmap without colours, no pixels, a width or height below 1, or fewer pixel
// bytes than its rows need. A skin without any visible pixel delivers no batch either.
[[nodiscard]] bool ScanSkinRuns(const SkinDib& dib, SkinRunBatches& batches);

}  // namespace veltharn
