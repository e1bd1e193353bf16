#include "launcher/ui/win32/skin_region_win32.h"

#include <cstring>
#include <new>
#include <vector>

namespace veltharn {
namespace {

class RegionBuilder : public SkinRunBatches {
 public:
  void OnBatch(std::span<const SkinRect> rects, const SkinRect& bounds) override {
    std::vector<std::byte> block(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(block.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = 0;
    data->rdh.rcBound = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    auto* out = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < rects.size(); ++i) {
      out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    }
    UniqueGdi<HRGN> batch(ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), data));
    if (!batch) return;
    if (!result_) {
      result_ = std::move(batch);
    } else {
      CombineRgn(result_.get(), result_.get(), batch.get(), RGN_OR);
    }
  }
  UniqueGdi<HRGN> Take() { return std::move(result_); }

 private:
  UniqueGdi<HRGN> result_;
};

}  // namespace

UniqueGdi<HRGN> BuildRegionFromDib(const SkinDib& dib) {
  try {
    RegionBuilder builder;
    if (!ScanSkinRuns(dib, builder)) return {};
    return builder.Take();
  } catch (const std::bad_alloc&) {
    // Without memory for the rectangles the window keeps the shape it has.
    return {};
  }
}

}  // namespace veltharn
