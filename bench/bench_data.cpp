#include "bench/bench_data.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace veltharn::bench {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile OpenForWrite(const std::filesystem::path& path) {
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) throw std::runtime_error("cannot write " + path.string());
  return file;
}

class XorShift {
 public:
  explicit XorShift(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }

 private:
  uint64_t state_;
};

void Put(std::FILE* file, const void* bytes, std::size_t count) {
  if (std::fwrite(bytes, 1, count, file) != count) throw std::runtime_error("write failed");
}

}  // namespace

void WriteRandomFile(const std::filesystem::path& path, uint64_t size, uint64_t seed) {
  UniqueFile file = OpenForWrite(path);
  XorShift random(seed);
  std::vector<uint64_t> block(1 << 14);  // 128 KiB
  while (size > 0) {
    for (uint64_t& word : block) word = random.Next();
    const auto count = static_cast<std::size_t>(std::min<uint64_t>(size, block.size() * 8));
    Put(file.get(), block.data(), count);
    size -= count;
  }
}

uint64_t WriteCompressedStream(const std::filesystem::path& path, uint64_t plainSize) {
  static constexpr std::array<const char*, 16> kWords = {
      "sword ",  "shield ", "potion ", "dungeon ", "castle ", "dragon ", "quest ", "gold ",
      "mana\n", "armor ",  "tile=",   "0x3f ",    "level ",  "npc\n",   "map ",   "spell "};
  UniqueFile file = OpenForWrite(path);
  z_stream stream{};
  if (deflateInit(&stream, 6) != Z_OK) throw std::runtime_error("deflateInit failed");
  XorShift random(7);
  std::vector<unsigned char> plain(1 << 20);
  std::vector<unsigned char> packed(deflateBound(&stream, static_cast<uLong>(plain.size())));
  uint64_t written = 0;
  uint64_t left = plainSize;
  do {
    std::size_t filled = 0;
    while (filled < plain.size() && filled < left) {
      const uint64_t pick = random.Next();
      std::string piece = kWords[pick & 15];
      // One word in eight carries a number: enough noise that the stream is not trivially small.
      if ((pick >> 4 & 7) == 0) piece += std::to_string(pick >> 40);
      for (char c : piece) {
        if (filled == plain.size() || filled == left) break;
        plain[filled++] = static_cast<unsigned char>(c);
      }
    }
    left -= filled;
    stream.next_in = plain.data();
    stream.avail_in = static_cast<uInt>(filled);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = packed.data();
      stream.avail_out = static_cast<uInt>(packed.size());
      deflate(&stream, flush);
      const std::size_t count = packed.size() - stream.avail_out;
      Put(file.get(), packed.data(), count);
      written += count;
    } while (stream.avail_out == 0);
  } while (left > 0);
  deflateEnd(&stream);
  return written;
}

}  // namespace veltharn::bench
