// The CRC-32 engines alone, in the 4096-byte blocks a whole-file check hands them: the one Crc32
// picks on this processor beside zlib's, which it replaces where carry-less multiply is there.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "launcher/update/crc32.h"

namespace veltharn::bench {
namespace {

constexpr std::size_t kBlock = 4096;
constexpr std::size_t kBuffer = 1 << 20;  // in the cache, so only the engine is measured

template <uint32_t (*Engine)(std::span<const std::byte>, uint32_t)>
void BM_Crc32Blocks(benchmark::State& state) {
  std::vector<std::byte> data(kBuffer);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::byte>(i * 131 + i / 7);
  uint32_t crc = 0;
  for (auto _ : state) {
    for (std::size_t at = 0; at < data.size(); at += kBlock) {
      crc = Engine(std::span(data).subspan(at, kBlock), crc);
    }
  }
  benchmark::DoNotOptimize(crc);
  state.SetBytesProcessed(static_cast<int64_t>(data.size() * state.iterations()));
}

}  // namespace

BENCHMARK(BM_Crc32Blocks<Crc32>)->Name("BM_Crc32")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Crc32Blocks<Crc32Zlib>)->Name("BM_Crc32Zlib")->Unit(benchmark::kMicrosecond);

}  // namespace veltharn::bench
