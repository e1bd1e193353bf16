// The skin's window shape from a packed DIB as a resource may hold it: the header is parsed, the
// rows are scanned, and every rectangle lies inside the bitmap, in batches of the promised size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "launcher/ui/skin_region.h"

namespace {

class CheckedBatches : public veltharn::SkinRunBatches {
 public:
  CheckedBatches(int32_t width, int32_t height) : width_(width), height_(height) {}
  void OnBatch(std::span<const veltharn::SkinRect> rects,
               const veltharn::SkinRect& bounds) override {
    if (rects.empty() || rects.size() > veltharn::kRectanglesPerBatch) std::abort();
    for (const veltharn::SkinRect& rect : rects) {
      if (rect.left < 0 || rect.left >= rect.right || rect.right > width_ || rect.top < 0 ||
          rect.bottom != rect.top + 1 || rect.bottom > height_) {
        std::abort();
      }
      if (rect.left < bounds.left || rect.right > bounds.right || rect.top < bounds.top ||
          rect.bottom > bounds.bottom) {
        std::abort();
      }
    }
  }

 private:
  int32_t width_;
  int32_t height_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // On the heap at its exact size, so that a read past the block is caught.
  std::vector<uint8_t> packed(data, data + size);
  std::optional<veltharn::SkinDib> dib = veltharn::ParsePackedDib(packed);
  if (!dib) return 0;
  // Keep the scan small enough for quick runs: the region of a huge bitmap is not the point.
  if (static_cast<int64_t>(dib->width) * dib->height > (1 << 22)) return 0;
  CheckedBatches batches(dib->width, dib->height);
  (void)veltharn::ScanSkinRuns(*dib, batches);
  return 0;
}
