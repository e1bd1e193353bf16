#include "launcher/update/file_trailer.h"

namespace veltharn {
namespace {

uint32_t WordAt(std::span<const std::byte> bytes, std::size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

void PutWord(std::span<std::byte> bytes, std::size_t offset, uint32_t word) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::byte>(word >> (8 * i));
}

}  // namespace

TrailerWords ParseTrailerWords(std::span<const std::byte, kTrailerWordsSize> bytes) {
  return {WordAt(bytes, 0), WordAt(bytes, 4), WordAt(bytes, 8), WordAt(bytes, 12)};
}

std::optional<TrailerWords> ReadTrailerWords(ReadableFile& file) {
  const int64_t size = file.Size();
  if (size <= static_cast<int64_t>(kTrailerWordsSize)) return std::nullopt;
  if (!file.Seek(size - static_cast<int64_t>(kTrailerWordsSize))) return std::nullopt;
  std::array<std::byte, kTrailerWordsSize> words;
  std::size_t got = 0;
  while (got < words.size()) {
    const int64_t read = file.Read(std::span(words).subspan(got));
    if (read <= 0) return std::nullopt;
    got += static_cast<std::size_t>(read);
  }
  return ParseTrailerWords(words);
}

std::array<std::byte, kTrailerSize> BuildTrailer(uint32_t word0, uint32_t word1, uint32_t crc) {
  std::array<std::byte, kTrailerSize> trailer{};
  PutWord(trailer, 4, word0);
  PutWord(trailer, 8, word1);
  PutWord(trailer, 12, crc);
  return trailer;
}

}  // namespace veltharn
