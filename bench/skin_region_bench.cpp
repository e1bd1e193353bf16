// The skin region: the scan of an 800 x 599 skin into runs, with each batch copied into a
// region-data block as the Windows builder does before it hands the block to ExtCreateRegion.
// The GDI calls themselves only exist on Windows and are not measured here.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "launcher/ui/skin_region.h"

namespace veltharn::bench {
namespace {

// What the Windows builder does with a batch short of GDI: a header and the rectangles, packed.
class BlockBuilder : public SkinRunBatches {
 public:
  void OnBatch(std::span<const SkinRect> rects, const SkinRect& bounds) override {
    block_.assign(1 + rects.size(), bounds);
    std::copy(rects.begin(), rects.end(), block_.begin() + 1);
    benchmark::DoNotOptimize(block_.data());
    rectangles += rects.size();
    ++batches;
  }
  std::size_t rectangles = 0;
  std::size_t batches = 0;

 private:
  std::vector<SkinRect> block_;
};

void BM_SkinRegion(benchmark::State& state, const char* file) {
  const char* folder = std::getenv("VELTHARN_BENCH_ART");
  if (folder == nullptr) return state.SkipWithError("VELTHARN_BENCH_ART names no art folder");
  std::ifstream in(std::string(folder) + "/" + file, std::ios::binary);
  std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  constexpr std::size_t kFileHeaderSize = 14;  // BITMAPFILEHEADER; a resource holds what follows
  if (bmp.size() <= kFileHeaderSize) return state.SkipWithError("no skin bitmap");
  std::optional<SkinDib> dib = ParsePackedDib(std::span(bmp).subspan(kFileHeaderSize));
  if (!dib) return state.SkipWithError("not a skin bitmap");
  std::size_t rectangles = 0;
  for (auto _ : state) {
    BlockBuilder builder;
    if (!ScanSkinRuns(*dib, builder)) return state.SkipWithError("scan failed");
    rectangles = builder.rectangles;
  }
  state.counters["rectangles"] = static_cast<double>(rectangles);
  state.SetLabel(std::to_string(dib->width) + " x " + std::to_string(dib->height));
}

}  // namespace

BENCHMARK_CAPTURE(BM_SkinRegion, plain_skin_300, "skin_300.bmp")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SkinRegion, artwork_skin_301, "skin_301.bmp")->Unit(benchmark::kMicrosecond);

}  // namespace veltharn::bench
