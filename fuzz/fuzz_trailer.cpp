// The trailer reader over files of any size and content, through a reader that hands out its
// bytes in small pieces: the words are the file's last 16 bytes, or nothing for 16 bytes or less.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "launcher/update/file_trailer.h"

namespace {

class PieceReader : public veltharn::ReadableFile {
 public:
  PieceReader(const uint8_t* data, size_t size, size_t piece)
      : bytes_(data, data + size), piece_(piece) {}
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool Seek(int64_t offset) override {
    if (offset < 0 || offset > Size()) return false;
    position_ = static_cast<size_t>(offset);
    return true;
  }
  int64_t Read(std::span<std::byte> buffer) override {
    size_t count = std::min({buffer.size(), piece_, bytes_.size() - position_});
    std::memcpy(buffer.data(), bytes_.data() + position_, count);
    position_ += count;
    return static_cast<int64_t>(count);
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t piece_;
  size_t position_ = 0;
};

uint32_t WordAt(const uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veltharn;
  if (size < 1) return 0;
  PieceReader file(data + 1, size - 1, 1 + data[0] % 17);
  std::optional<TrailerWords> words = ReadTrailerWords(file);
  const size_t fileSize = size - 1;
  if (words.has_value() != (fileSize > kTrailerWordsSize)) std::abort();
  if (!words) return 0;
  const uint8_t* last = data + 1 + fileSize - kTrailerWordsSize;
  const TrailerWords expected{WordAt(last), WordAt(last + 4), WordAt(last + 8), WordAt(last + 12)};
  if (!(*words == expected)) std::abort();
  // What BuildTrailer stamps reads back as what was stamped.
  auto trailer = BuildTrailer(words->word0, words->word1, words->crc);
  const TrailerWords again = ParseTrailerWords(std::span(trailer).subspan<4>());
  if (again.word0 != words->word0 || again.word1 != words->word1 || again.crc != words->crc) {
    std::abort();
  }
  return 0;
}
